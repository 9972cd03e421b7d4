// Reading a text file by lines; the code page comes from the platform.
#include "platform/AnsiTextFile.h"

#include "platform/Errors.h"
#include "platform/Paths.h"

namespace quen::platform {
namespace {

constexpr std::size_t kBufferSize = std::size_t{64} << 10;

// Blanks by byte: in every ANSI code page these bytes are these characters
// alone (no multi-byte character contains them).
bool IsBlankByte(int byte) { return byte == ' ' || byte == '\t' || byte == '\v' || byte == '\f'; }

}  // namespace

AnsiTextFile::AnsiTextFile() : m_buffer(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

AnsiTextFile::~AnsiTextFile() = default;

bool AnsiTextFile::Open(const std::wstring& path)
{
    std::filesystem::path host;
    if (!ToHostPath(path, host))
        return false;
    m_in.open(host, std::ios::binary);
    if (!m_in) {
        SetLastErrorCode(err::OpenFailed);
        return false;
    }
    return true;
}

int AnsiTextFile::NextByte()
{
    if (m_at == m_size) {
        m_in.read(m_buffer.get(), kBufferSize);
        m_size = static_cast<std::size_t>(m_in.gcount());
        m_at = 0;
        if (m_size == 0)
            return -1;
    }
    return static_cast<unsigned char>(m_buffer[m_at++]);
}

bool AnsiTextFile::ReadLine(std::wstring& line, std::size_t maxBytes)
{
    m_bytes.clear();
    int byte = NextByte();
    if (byte < 0)
        return false;
    while (IsBlankByte(byte))
        byte = NextByte();
    // Blanks past the limit are counted, not kept: they end the text or
    // stand before a byte that makes it too long.
    bool textEnded = false;
    bool tooLong = false;
    for (; byte >= 0 && byte != '\n'; byte = NextByte()) {
        if (textEnded || tooLong)
            continue;
        if (byte == '\r')
            textEnded = true;
        else if (m_bytes.size() < maxBytes)
            m_bytes.push_back(static_cast<char>(byte));
        else if (!IsBlankByte(byte))
            tooLong = true;
    }
    if (tooLong)
        m_bytes.clear();
    while (!m_bytes.empty() && IsBlankByte(static_cast<unsigned char>(m_bytes.back())))
        m_bytes.pop_back();
    line = FromAnsiCodePage(m_bytes);
    return true;
}

}  // namespace quen::platform
