#include "platform/ProcessExit.h"

#include <cstdlib>

namespace quen::platform {

void RunAtProcessExit(void (*function)()) { std::atexit(function); }

}  // namespace quen::platform
