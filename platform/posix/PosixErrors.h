// Shared by the POSIX implementation files: errno into Win32 codes.
#pragma once

#include <cstdint>

namespace quen::platform {

uint32_t Win32FromErrno(int error);
// Set the last error and return false, for `return FailWithErrno(errno);`.
bool FailWithErrno(int error);
bool Fail(uint32_t code);

}  // namespace quen::platform
