#include "platform/posix/WimProgress.h"

#include "platform/posix/WimHandles.h"

namespace quen::platform::posix {
namespace {

uint32_t Send(const WimCallback& callback, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    // A message procedure travels as a FARPROC; call it as what it is.
    const auto proc = reinterpret_cast<WimMessageProc>(reinterpret_cast<void (*)()>(callback.proc));
    return proc(message, wParam, lParam, callback.userData);
}

// Sends to every callback; false when one asks to abort. A copy of the list
// is walked, so that a callback may unregister itself.
bool Broadcast(const WimFile& file, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    const std::vector<WimCallback> callbacks = file.callbacks;
    bool goOn = true;
    for (const auto& callback : callbacks) {
        if (Send(callback, message, wParam, lParam) == WIM_MSG_ABORT_IMAGE)
            goOn = false;
    }
    return goOn;
}

bool ReportPercent(WimFile& file, uint64_t done, uint64_t total)
{
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    if (percent == file.lastPercent)
        return true;
    file.lastPercent = percent;
    intptr_t remainingMs = 0;
    if (done > 0 && done < total) {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - file.started)
                                 .count();
        remainingMs = static_cast<intptr_t>(static_cast<double>(elapsed) * static_cast<double>(total - done) /
                                            static_cast<double>(done));
    }
    return Broadcast(file, WIM_MSG_PROGRESS, static_cast<uintptr_t>(percent), remainingMs);
}

}  // namespace

wimlib_progress_status ReportProgress(wimlib_progress_msg message, wimlib_progress_info* info, void* context)
{
    auto& file = *static_cast<WimFile*>(context);
    bool goOn = true;
    switch (message) {
    case WIMLIB_PROGRESS_MSG_EXTRACT_IMAGE_BEGIN:
        file.lastPercent = -1;
        file.started = std::chrono::steady_clock::now();
        goOn = ReportPercent(file, 0, 1);
        break;
    case WIMLIB_PROGRESS_MSG_EXTRACT_STREAMS:
        goOn = ReportPercent(file, info->extract.completed_bytes, info->extract.total_bytes);
        break;
    case WIMLIB_PROGRESS_MSG_EXTRACT_IMAGE_END:
        goOn = ReportPercent(file, 1, 1);
        break;
    default:
        break;
    }
    return goOn ? WIMLIB_PROGRESS_STATUS_CONTINUE : WIMLIB_PROGRESS_STATUS_ABORT;
}

}  // namespace quen::platform::posix
