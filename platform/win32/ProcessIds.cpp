#include "platform/Process.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::platform {

uint32_t CurrentThreadId() { return ::GetCurrentThreadId(); }

uint32_t CurrentProcessId() { return ::GetCurrentProcessId(); }

}  // namespace quen::platform
