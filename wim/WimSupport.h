// What the parts of CWIMFile share.
#pragma once

#include <string>

namespace quen::wim {

// The source file that every throw of CWIMFile records.
inline constexpr wchar_t kSource[] = L".\\WIMFile";

// A text argument that may be null.
inline std::wstring Text(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

// After a failed wimgapi call, once its error has been taken and logged:
// what more the platform knows about it (wimlib's text on Linux), as a Debug line.
void LogFailureDetail();

}  // namespace quen::wim
