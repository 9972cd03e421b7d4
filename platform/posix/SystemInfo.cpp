// POSIX personality: a 64-bit native process on an x64 machine.
#include "platform/SystemInfo.h"

namespace quen::platform {

bool QueryWow64(bool& isWow64)
{
    isWow64 = false;
    return true;
}

uint16_t NativeArchitecture() { return kArchitectureX64; }

}  // namespace quen::platform
