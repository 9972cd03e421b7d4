// What the parts of CWIMFile share.
#pragma once

#include <string>

namespace quen::wim {

// The source file that every throw of CWIMFile records.
inline constexpr wchar_t kSource[] = L".\\WIMFile";

// A text argument that may be null.
inline std::wstring Text(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

// The text of a failed wimgapi call's error, taken at once: the system's text
// for the thread's last error, after what names wimgapi.dll when the failure
// is the DLL's own (missing, lacking the call, a stub).
std::wstring FailureText();

// After a failed wimgapi call, once its error has been taken and logged:
// what more the platform knows about it (wimlib's text on Linux), as a Debug line.
void LogFailureDetail();

}  // namespace quen::wim
