#include "fakes/posix/FaultInjection.h"

#include "platform/posix/DiskChangeHook.h"

#include <atomic>

namespace quen::test {

static std::atomic<uint64_t> g_count{0};
static std::atomic<uint64_t> g_failAt{0};
static std::atomic<int> g_error{0};

void ArmFileSystemFault(uint64_t failAt, int error)
{
    g_count.store(0);
    g_failAt.store(failAt);
    g_error.store(error);
    platform::posix::SetDiskChangeHook([] { return g_count.fetch_add(1) + 1 == g_failAt.load() ? g_error.load() : 0; });
}

uint64_t DisarmFileSystemFault()
{
    platform::posix::SetDiskChangeHook(nullptr);
    return g_count.load();
}

}  // namespace quen::test
