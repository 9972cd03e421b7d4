// What kind of process and machine the library runs on.
#pragma once

#include <cstdint>

namespace quen::platform {

inline constexpr uint16_t kArchitectureX86 = 0;
inline constexpr uint16_t kArchitectureX64 = 9;

// Whether this process is a 32-bit one on 64-bit Windows (WOW64); false when
// the system cannot say. The POSIX personality is a native 64-bit process.
bool QueryWow64(bool& isWow64);

// The machine's own processor architecture, as Windows numbers them (0 x86,
// 9 x64, 12 ARM64, ...), whatever the process's. 9 on POSIX.
uint16_t NativeArchitecture();

}  // namespace quen::platform
