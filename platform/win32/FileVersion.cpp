// Windows: a file's version resource through the version library.
#include "platform/FileVersion.h"
#include "platform/win32/WindowsSupport.h"

#include <cstring>
#include <vector>

namespace quen::platform {

bool HasVersionResource(const std::wstring& path)
{
    DWORD ignored = 0;
    return ::GetFileVersionInfoSizeW(path.c_str(), &ignored) != 0;
}

bool ReadFileVersion(const std::wstring& path, FileVersion& version)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return false;
    std::vector<uint8_t> data(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data()))
        return false;
    void* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\", &fixed, &length))
        return false;
    VS_FIXEDFILEINFO info;
    if (length < sizeof info) {
        ::SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    std::memcpy(&info, fixed, sizeof info);
    if (info.dwSignature != 0xFEEF04BD) {
        ::SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    version = {HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS), HIWORD(info.dwFileVersionLS),
               LOWORD(info.dwFileVersionLS)};
    return true;
}

}  // namespace quen::platform
