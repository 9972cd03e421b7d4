// POSIX personality: the file-system fault hook (see FaultInjection.h).
#include "platform/posix/FaultInjection.h"

#include <atomic>
#include <cerrno>

namespace quen::platform::posix {
namespace {

std::atomic<bool> g_armed{false};
std::atomic<uint64_t> g_count{0};
std::atomic<uint64_t> g_failAt{0};
std::atomic<int> g_error{0};

}  // namespace

void ArmFileSystemFault(uint64_t failAt, int error)
{
    g_count.store(0);
    g_failAt.store(failAt);
    g_error.store(error);
    g_armed.store(true);
}

uint64_t DisarmFileSystemFault()
{
    g_armed.store(false);
    return g_count.load();
}

bool InjectedFault()
{
    if (!g_armed.load(std::memory_order_relaxed))
        return false;
    if (g_count.fetch_add(1) + 1 != g_failAt.load())
        return false;
    errno = g_error.load();
    return true;
}

}  // namespace quen::platform::posix
