// Reading a text file by lines; the code page comes from the platform.
#include "platform/AnsiTextFile.h"

#include "platform/Errors.h"
#include "platform/Paths.h"

namespace quen::platform {

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

bool AnsiTextFile::ReadLine(std::wstring& line)
{
    if (!std::getline(m_in, m_bytes))
        return false;
    line = FromAnsiCodePage(m_bytes);
    return true;
}

}  // namespace quen::platform
