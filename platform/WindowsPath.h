// Lexical analysis of Windows paths, the same on every platform: what the
// POSIX personality resolves, and what the fuzzers and tests check.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quen::platform {

// Either slash separates the components of a Windows path.
inline constexpr std::wstring_view kPathSeparators = L"\\/";
inline bool IsPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

struct WindowsPath {
    wchar_t drive = 0;      // upper-case letter, or 0 for a UNC path
    std::wstring server;    // UNC only
    std::wstring share;     // UNC only
    std::vector<std::wstring> components;
    bool trailingSlash = false;

    // "C:\a\b" or "\\server\share\a\b", with a trailing backslash when the
    // path had one (a root always ends with one).
    std::wstring ToString() const;
};

// Resolves `path` against `currentDirectory` (a full path) into `out`:
// either slash separates, empty and `.` components drop, `..` removes the
// component before it and stops at the root, trailing dots and blanks of a
// component drop as Windows drops them. Returns 0 or a Win32 error code:
// InvalidName for an empty path, a character Windows refuses in names
// (<>"|?* and controls, `:` past the drive), a reserved device name (CON, NUL,
// COM1, ...) or a \\.\ device path; BadPathname for a UNC path without a
// share or whose server or share is only dots and blanks; FilenameExcedRange
// for a component over 255 characters or a path over 32,767.
uint32_t ParseWindowsPath(const std::wstring& path, const std::wstring& currentDirectory, WindowsPath& out);

// True for the names Windows reserves for devices, with or without extension.
bool IsReservedDeviceName(const std::wstring& component);

}  // namespace quen::platform
