// What one run shares between the installer and its thread, kept apart from
// the installer so that it outlives an installer that a host destroys from
// one of its own callbacks.
#pragma once

#include "platform/FileLock.h"

#include <atomic>
#include <memory>
#include <thread>

namespace quen::detail {

struct RunState {
    // Held for the whole run: one installation at a time uses the work area.
    std::unique_ptr<platform::FileLock> workAreaLock;
    // The thread that fires the run's events: the host's during Install,
    // then the run's own.
    std::atomic<std::thread::id> eventThread;
    // Set when the installer was destroyed on the event thread, from inside
    // a callback: from then on nothing may touch it.
    std::atomic<bool> abandoned{false};
    // InstallFinished reaches the host once per run.
    std::atomic<bool> finished{false};
};

// Thrown once a callback has destroyed the installer, to leave every frame
// that belongs to it without touching it again. It derives from nothing, so
// no handler of the library's exceptions takes it.
struct RunAbandoned {};

}  // namespace quen::detail
