// Windows: emptying a folder by the names its listing gives.
//
// Each entry is removed by its \\?\ path, which the file API takes as it
// stands: a name that an ordinary path would change ("x.", "name ") or take
// for a device ("nul") is removed itself, never another file. Names with
// ':', '?', '*', control characters or a backslash cannot exist here.
#include "platform/FileSystem.h"

#include "platform/Paths.h"
#include "platform/win32/ApiPath.h"
#include "platform/win32/WindowsSupport.h"

#include <memory>
#include <type_traits>
#include <utility>

namespace quen::platform {
namespace {

struct FindCloser {
    void operator()(HANDLE find) const { ::FindClose(find); }
};
using ScopedFind = std::unique_ptr<std::remove_pointer_t<HANDLE>, FindCloser>;

struct Entry {
    std::wstring name;
    DWORD attributes = 0;
};

bool ReadEntries(const std::wstring& folder, std::vector<Entry>& entries)
{
    WIN32_FIND_DATAW data;
    const HANDLE first = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                            FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (first == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty drive root lists nothing at all
    const ScopedFind find(first);
    do {
        const std::wstring_view name = data.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back({std::wstring(name), data.dwFileAttributes});
    } while (::FindNextFileW(find.get(), &data));
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

// `folder` in its \\?\ form, without a trailing backslash.
bool EmptyFolder(const std::wstring& folder)
{
    std::vector<Entry> entries;
    if (!ReadEntries(folder, entries))
        return false;
    for (const Entry& entry : entries) {
        const std::wstring path = folder + L"\\" + entry.name;
        if ((entry.attributes & FILE_ATTRIBUTE_READONLY) &&
            !::SetFileAttributesW(path.c_str(), entry.attributes & ~FILE_ATTRIBUTE_READONLY))
            return false;
        const bool isFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // A link to a folder goes as a link; what it points to stays.
        const bool isLink = (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (isFolder && !isLink && !EmptyFolder(path))
            return false;
        if (!(isFolder ? ::RemoveDirectoryW(path.c_str()) : ::DeleteFileW(path.c_str())))
            return false;
    }
    return true;
}

}  // namespace

bool RemoveFolderContents(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(win32::ApiPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return win32::Fail(ERROR_DIRECTORY);
    std::wstring full;
    if (!FullPath(path, full))
        return false;
    while (!full.empty() && full.back() == L'\\')
        full.pop_back();
    return EmptyFolder(full.starts_with(L"\\\\") ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full);
}

}  // namespace quen::platform
