#include <quen/Logging.h>

#include "foundation/WideString.h"

#include <cstdio>
#include <fstream>

namespace {

std::string Line(const LogRecord& record)
{
    std::string line = quen::ToUtf8(record.Format());
    if (line.empty() || line.back() != '\n')  // texts may bring their own line end
        line.push_back('\n');
    return line;
}

}  // namespace

struct CFileLogSink::Impl {
    std::ofstream stream;
};

CFileLogSink::CFileLogSink(const std::filesystem::path& file) : m_impl(std::make_unique<Impl>())
{
    m_impl->stream.open(file, std::ios::binary | std::ios::app);
    if (!m_impl->stream) {
        throw EFileException(L"Unable to open the log file.", L".\\Logging", __LINE__, EFileException::OpenFailed,
                             quen::FromUtf8Lossy(file.string()));
    }
}

CFileLogSink::~CFileLogSink() = default;

void CFileLogSink::Write(const LogRecord& record)
{
    const std::string line = Line(record);
    m_impl->stream.write(line.data(), static_cast<std::streamsize>(line.size()));
    m_impl->stream.flush();
}

CStderrLogSink::CStderrLogSink(int maxLevel) : m_maxLevel(maxLevel) {}

void CStderrLogSink::Write(const LogRecord& record)
{
    if (record.level > m_maxLevel)
        return;
    const std::string line = Line(record);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

CCallbackLogSink::CCallbackLogSink(std::function<void(const LogRecord&)> callback) : m_callback(std::move(callback)) {}

void CCallbackLogSink::Write(const LogRecord& record)
{
    if (m_callback)
        m_callback(record);
}

void CMemoryLogSink::Write(const LogRecord& record)
{
    std::lock_guard lock(m_mutex);
    m_records.push_back(record);
}

std::vector<LogRecord> CMemoryLogSink::Records() const
{
    std::lock_guard lock(m_mutex);
    return m_records;
}

std::vector<std::wstring> CMemoryLogSink::Texts() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::wstring> texts;
    texts.reserve(m_records.size());
    for (const auto& record : m_records)
        texts.push_back(record.text);
    return texts;
}

void CMemoryLogSink::Clear()
{
    std::lock_guard lock(m_mutex);
    m_records.clear();
}
