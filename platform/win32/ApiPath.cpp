#include "platform/win32/ApiPath.h"
#include "platform/win32/WindowsSupport.h"

#include "platform/Paths.h"

namespace quen::platform::win32 {

std::wstring ApiPath(const std::wstring& path)
{
    // CreateDirectoryW stops 12 characters short of MAX_PATH (room for an 8.3
    // name). The length that counts is the full path's: a short relative path
    // in a deep current directory is long too.
    constexpr std::size_t kShortLimit = MAX_PATH - 12;
    std::wstring full;
    if (!FullPath(path, full) || full.size() < kShortLimit)
        return path;
    // The \\?\ form resolves nothing (no `..`, no `/`), so it takes the full path.
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace quen::platform::win32
