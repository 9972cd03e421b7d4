// Files and folders by Windows path. Every function that can fail returns
// false and sets the last error (a Win32 code).
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
// Removes an empty folder.
bool RemoveEmptyDirectory(const std::wstring& path);
// Copies one file's content and modification time; with failIfExists an
// existing target fails with FileExists. Copying a file onto itself (same file
// by identity, whatever the spelling) fails with AccessDenied and leaves it
// untouched. Uses the kernel's fast paths (reflink, copy_file_range) where the
// file system has them.
bool CopyOneFile(const std::wstring& source, const std::wstring& target, bool failIfExists);
bool MoveOneFile(const std::wstring& source, const std::wstring& target);
// The folder's entries without "." and "..", in no particular order. Fails
// with NoUnicodeTranslation when a host name is not valid UTF-8.
bool ListDirectory(const std::wstring& path, std::vector<DirEntry>& entries);
// True when both paths name one existing file or folder.
bool IsSameFile(const std::wstring& a, const std::wstring& b);

// InvalidAttributes when the path does not exist.
uint32_t GetAttributes(const std::wstring& path);
bool SetAttributes(const std::wstring& path, uint32_t attributes);

}  // namespace quen::platform
