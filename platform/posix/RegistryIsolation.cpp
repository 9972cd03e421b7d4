// POSIX personality: the registry lives in the machine root, so a process
// with a root of its own has a registry of its own already.
#include "platform/Registry.h"

namespace quen::platform {

uint32_t RegIsolateRoots(const std::wstring& /*privateKey*/, bool /*isolate*/) { return 0; }

}  // namespace quen::platform
