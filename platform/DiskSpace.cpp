#include "platform/DiskSpace.h"

#include <atomic>

namespace quen::platform {
namespace {

std::atomic<FreeSpaceHook> g_hook{nullptr};

}  // namespace

bool FreeDiskSpace(const std::wstring& folder, uint64_t& bytes)
{
    if (const FreeSpaceHook hook = g_hook.load(std::memory_order_acquire))
        return hook(folder, bytes);
    return SystemFreeDiskSpace(folder, bytes);
}

void SetFreeSpaceHook(FreeSpaceHook hook) { g_hook.store(hook, std::memory_order_release); }

}  // namespace quen::platform
