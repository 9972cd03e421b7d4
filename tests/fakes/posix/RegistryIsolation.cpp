// The registry lives in the machine root, so a test with a root of its own
// has a registry of its own already.
#include "fakes/RegistryIsolation.h"

namespace quen::test {

uint32_t RegIsolateRoots(const std::wstring& /*privateKey*/, bool /*isolate*/) { return 0; }

}  // namespace quen::test
