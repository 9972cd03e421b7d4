// How the file classes of the OS-services library report failures.
#pragma once

#include <quen/OsServices.h>

#include <cstdint>
#include <string>

namespace quen::os {

// Throws CFileException with `what` followed by the system's text for `code`
// (none when `code` is 0); `path` goes into the directory field.
[[noreturn]] void ThrowFileError(const wchar_t* sourceFile, int line, EFileException::EKind kind,
                                 const std::wstring& what, const std::wstring& path, uint32_t code);

// The full form of `path`; throws CFileException (BadPath) naming it when it
// is not a valid Windows path.
std::wstring FullPathOrThrow(const std::wstring& path, const wchar_t* sourceFile, int line);

}  // namespace quen::os
