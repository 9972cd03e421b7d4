// Gives this test process a registry of its own.
#pragma once

#include <cstdint>
#include <string>

namespace quen::test {

// On Windows HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are redirected to the
// subkeys HKLM and HKCU of HKCU\<privateKey> (which `isolate` false deletes
// again after restoring both roots); the other roots stay the machine's. On
// POSIX every machine root has a registry of its own already: nothing to do,
// 0. Returns a Win32 error code.
uint32_t RegIsolateRoots(const std::wstring& privateKey, bool isolate);

}  // namespace quen::test
