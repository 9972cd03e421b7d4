// Runs whose installer a host destroyed from one of its callbacks. Such a run
// goes on alone to its clean-up (the work area removed, its lock given back);
// a new Install in this process, a host about to exit, and on Linux the
// process's exit itself wait for it.
#pragma once

#include <thread>

namespace quen::detail {

class AbandonedRuns {
public:
    // The run on `thread` has lost its installer.
    static void Add(std::thread::id thread);
    // The run on the calling thread has ended; nothing when it was not added.
    static void Ended();
    // True when the calling thread is that of an abandoned run: waiting for
    // the runs would wait for itself.
    static bool OnAbandonedRun();
    // Waits until every abandoned run but the caller's own has ended.
    static void WaitForOthers();
};

}  // namespace quen::detail
