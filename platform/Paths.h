// Windows path arithmetic and the machine's well-known folders.
//
// Every function takes and returns Windows paths (backslashes, drive letters,
// UNC). Functions that can fail return false and set the last error.
#pragma once

#include <filesystem>
#include <string>

namespace quen::platform {

// The absolute form of `path`: relative paths and paths that begin with one
// backslash resolve against the current directory, `/` becomes `\`, `.` and
// `..` resolve lexically and stop at the root (drive or \\server\share). A
// trailing backslash is kept. Fails with InvalidName for characters that
// Windows refuses in names (<>"|?* and control characters, `:` past the drive).
bool FullPath(const std::wstring& path, std::wstring& full);

std::wstring CurrentDirectory();  // with a trailing backslash
bool SetCurrentDir(const std::wstring& path);

std::wstring WindowsDir();  // "C:\Windows", no trailing backslash
std::wstring TempDir();     // "C:\Windows\Temp\", with one

// The host path for a Windows path: identity on Windows; on POSIX the drive
// map and case-insensitive lookup of docs/paths.md. Fails with InvalidName
// (bad Windows path).
bool ToHostPath(const std::wstring& path, std::filesystem::path& host);

}  // namespace quen::platform
