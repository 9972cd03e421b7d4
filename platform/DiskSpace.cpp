#include "platform/DiskSpace.h"

#include <atomic>

namespace quen::platform {
namespace {

// UINT64_MAX: no figure set (no volume has that many bytes free).
std::atomic<uint64_t> g_testFigure{UINT64_MAX};

}  // namespace

bool FreeDiskSpace(const std::wstring& folder, uint64_t& bytes)
{
    const uint64_t figure = g_testFigure.load(std::memory_order_relaxed);
    if (figure != UINT64_MAX) {
        bytes = figure;
        return true;
    }
    return SystemFreeDiskSpace(folder, bytes);
}

void SetFreeDiskSpaceForTests(std::optional<uint64_t> bytes) { g_testFigure = bytes.value_or(UINT64_MAX); }

}  // namespace quen::platform
