#include "platform/Process.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace quen::platform {

uint32_t CurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

}  // namespace quen::platform
