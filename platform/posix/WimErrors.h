// How the wimgapi calls report failures on POSIX: a Win32 code as the last
// error, and a text for the log (wimlib's, or one of our own).
#pragma once

#include <cstdint>
#include <string>

namespace quen::platform::posix {

// Forgets the detail of an earlier failure; every wimgapi call begins so.
void BeginWimCall();
// Sets the last error to `code` and the detail to `detail`; returns false.
bool FailWim(uint32_t code, const std::wstring& detail);
// The same for wimlib's error `code`, with wimlib's text; `savedErrno` is
// errno just after the failing wimlib call.
bool FailWithWimlib(int code, int savedErrno);
uint32_t Win32FromWimlib(int code, int savedErrno);

}  // namespace quen::platform::posix
