// Work that must finish before the process goes, run when it exits normally.
//
// POSIX: at exit() (returning from main too), before the statics made
// before the call are destroyed. Windows: never: a DLL's exit work runs at
// its detach, under the loader lock and after the system has ended every
// other thread, where waiting for one would hang for ever. Hosts call what
// must finish themselves before they leave main.
#pragma once

namespace quen::platform {

void RunAtProcessExit(void (*function)());

}  // namespace quen::platform
