// Files and folders by Windows path. Every function that can fail returns
// false and sets the last error (a Win32 code).
//
// Windows: the Win32 file API; paths whose full form passes MAX_PATH go to it
// in their \\?\ form. Attributes are the file system's own (a new file
// usually carries Archive, and Wine reports Archive on every file and keeps
// no read-only attribute on folders). A link to a folder is listed as a file
// and RemoveFile removes the link alone, as on POSIX.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quen::platform {

inline constexpr uint32_t InvalidAttributes = 0xFFFFFFFFu;

struct DirEntry {
    std::wstring name;
    bool isDirectory = false;
};

struct FileStatus {
    bool isDirectory = false;
    uint64_t size = 0;
    int64_t modifiedUnixSeconds = 0;  // UTC
    uint32_t attributes = 0;
};

bool PathExists(const std::wstring& path);
bool IsDirectory(const std::wstring& path);
bool GetFileStatus(const std::wstring& path, FileStatus& status);

// Creates one folder; its parent must exist. Fails with AlreadyExists.
bool MakeDirectory(const std::wstring& path);
bool RemoveFile(const std::wstring& path);
// Removes an empty folder; a read-only one fails with AccessDenied.
bool RemoveEmptyDirectory(const std::wstring& path);
// Copies one file's content and modification time (POSIX: and its
// permission bits, with write permission for the owner added); with failIfExists an
// existing target fails with FileExists. Copying a file onto itself (same file
// by identity, whatever the spelling) fails with AccessDenied and leaves it
// untouched; so does replacing a read-only target. POSIX: uses the kernel's
// fast paths (reflink, copy_file_range) where the file system has them.
// Windows: CopyFileW, which copies the attributes too (Wine keeps the
// modification time to the second only).
bool CopyOneFile(const std::wstring& source, const std::wstring& target, bool failIfExists);
bool MoveOneFile(const std::wstring& source, const std::wstring& target);
// Removes everything inside a folder, read-only files and folders included,
// by the host's own directory entries: never through a Windows path made
// from a listed name, so a name no Windows path can spell (POSIX: "a:b",
// "a?b", a tab, a backslash, bytes that are not UTF-8) goes like any other
// and never stands for another file. A link goes, never what it points to.
// Stops at the first entry it cannot remove.
bool RemoveFolderContents(const std::wstring& path);
// The folder's entries without "." and "..", in no particular order. Fails
// with NoUnicodeTranslation when a host name is not valid UTF-8 (POSIX), with
// Directory when the path names a file (Windows).
bool ListDirectory(const std::wstring& path, std::vector<DirEntry>& entries);
// True when both paths name one existing file or folder.
bool IsSameFile(const std::wstring& a, const std::wstring& b);

// InvalidAttributes when the path does not exist.
uint32_t GetAttributes(const std::wstring& path);
bool SetAttributes(const std::wstring& path, uint32_t attributes);

}  // namespace quen::platform
