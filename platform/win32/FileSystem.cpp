// Windows: files and folders through the Win32 file API.
//
// A link to a folder (symbolic link or junction) is listed as what it is,
// not as a folder, and removing it removes the link alone: a tree removal
// then never reaches the content behind it, as on POSIX.
#include "platform/FileSystem.h"
#include "platform/WindowsPath.h"
#include "platform/win32/ApiPath.h"
#include "platform/win32/FileIdentity.h"
#include "platform/win32/WindowsSupport.h"

#include <memory>
#include <type_traits>

namespace quen::platform {
namespace {

using win32::ApiPath;
using win32::Fail;

struct FindCloser {
    void operator()(HANDLE find) const { ::FindClose(find); }
};
using ScopedFind = std::unique_ptr<std::remove_pointer_t<HANDLE>, FindCloser>;

bool IsFolderLink(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// 100-nanosecond ticks since 1601-01-01 UTC to seconds since 1970-01-01 UTC.
int64_t UnixSeconds(const FILETIME& time)
{
    constexpr int64_t kTicksPerSecond = 10'000'000;
    constexpr int64_t kEpochDifference = 11'644'473'600;  // seconds from 1601 to 1970
    const auto ticks = static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return ticks / kTicksPerSecond - kEpochDifference;
}

}  // namespace

bool PathExists(const std::wstring& path) { return GetAttributes(path) != InvalidAttributes; }

bool IsDirectory(const std::wstring& path)
{
    const uint32_t attributes = GetAttributes(path);
    return attributes != InvalidAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool GetFileStatus(const std::wstring& path, FileStatus& status)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(ApiPath(path).c_str(), GetFileExInfoStandard, &data))
        return false;
    status.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.size = status.isDirectory ? 0 : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    status.modifiedUnixSeconds = UnixSeconds(data.ftLastWriteTime);
    status.attributes = data.dwFileAttributes;
    return true;
}

bool MakeDirectory(const std::wstring& path) { return ::CreateDirectoryW(ApiPath(path).c_str(), nullptr) != FALSE; }

bool RemoveFile(const std::wstring& path)
{
    const std::wstring api = ApiPath(path);
    if (IsFolderLink(::GetFileAttributesW(api.c_str())))
        return ::RemoveDirectoryW(api.c_str()) != FALSE;
    return ::DeleteFileW(api.c_str()) != FALSE;
}

bool RemoveEmptyDirectory(const std::wstring& path)
{
    const std::wstring api = ApiPath(path);
    const DWORD attributes = ::GetFileAttributesW(api.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    // Windows refuses a read-only folder; Wine removes it. Refuse it wherever we run.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_READONLY))
        return Fail(ERROR_ACCESS_DENIED);
    return ::RemoveDirectoryW(api.c_str()) != FALSE;
}

bool ListDirectory(const std::wstring& path, std::vector<DirEntry>& entries)
{
    // The folder is checked first, so a missing one fails as FileNotFound
    // (PathNotFound for a missing parent) rather than as a failed search.
    const std::wstring folder = ApiPath(path);
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return Fail(ERROR_DIRECTORY);

    std::wstring pattern = folder;
    if (!IsPathSeparator(pattern.back()))
        pattern.push_back(L'\\');
    pattern.push_back(L'*');

    std::vector<DirEntry> found;
    WIN32_FIND_DATAW data;
    const HANDLE first = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                            FIND_FIRST_EX_LARGE_FETCH);
    if (first == INVALID_HANDLE_VALUE) {
        // An empty drive root has not even "." and "..".
        if (::GetLastError() != ERROR_FILE_NOT_FOUND)
            return false;
        entries.clear();
        return true;
    }
    const ScopedFind find(first);
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const bool isFolder =
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsFolderLink(data.dwFileAttributes);
        found.push_back({std::wstring(name), isFolder});
    } while (::FindNextFileW(find.get(), &data));
    if (::GetLastError() != ERROR_NO_MORE_FILES)
        return false;
    entries = std::move(found);
    return true;
}

bool IsSameFile(const std::wstring& a, const std::wstring& b)
{
    win32::FileIdentity first, second;
    return win32::IdentifyFile(a, first) && win32::IdentifyFile(b, second) && first == second;
}

uint32_t GetAttributes(const std::wstring& path) { return ::GetFileAttributesW(ApiPath(path).c_str()); }

bool SetAttributes(const std::wstring& path, uint32_t attributes)
{
    return ::SetFileAttributesW(ApiPath(path).c_str(), attributes) != FALSE;
}

}  // namespace quen::platform
