// POSIX personality: a 64-bit machine seen by a 64-bit process, where no
// folder is redirected.
#include "platform/Wow64.h"

namespace quen::platform {

ScopedFsRedirectionOff::ScopedFsRedirectionOff() = default;
ScopedFsRedirectionOff::~ScopedFsRedirectionOff() = default;

}  // namespace quen::platform
