// Where the 32-bit view of HKEY_LOCAL_MACHINE\SOFTWARE is kept.
#pragma once

namespace quen::platform::win32 {

// Tells the registry layer whether HKEY_LOCAL_MACHINE has been redirected to
// an ordinary key (RegOverridePredefKey). The system keeps no 32-bit view
// inside such a key, so the layer then keeps it below SOFTWARE\WOW6432Node
// itself, where the system keeps it.
void SetMachineRootRedirected(bool redirected);

}  // namespace quen::platform::win32
