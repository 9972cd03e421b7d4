#include "platform/ProcessExit.h"

namespace quen::platform {

// Nothing is registered: see the header.
void RunAtProcessExit(void (*)()) {}

}  // namespace quen::platform
