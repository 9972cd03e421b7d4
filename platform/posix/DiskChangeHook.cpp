// POSIX personality: the seam before each disk change (see DiskChangeHook.h).
#include "platform/posix/DiskChangeHook.h"

#include <atomic>
#include <cerrno>

namespace quen::platform::posix {
namespace {

std::atomic<DiskChangeHook> g_hook{nullptr};

}  // namespace

void SetDiskChangeHook(DiskChangeHook hook) { g_hook.store(hook); }

bool DiskChangeRefused()
{
    const DiskChangeHook hook = g_hook.load(std::memory_order_relaxed);
    if (hook == nullptr)
        return false;
    const int error = hook();
    if (error == 0)
        return false;
    errno = error;
    return true;
}

}  // namespace quen::platform::posix
