#include "installer/AbandonedRuns.h"

#include "platform/ProcessExit.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace quen::detail {
namespace {

struct Registry {
    std::mutex mutex;
    std::condition_variable ended;
    std::vector<std::thread::id> threads;
    bool exitWaitRegistered = false;
};

// Never destroyed: a run may end after the statics have gone (Windows, where
// nothing waits at exit).
Registry& Runs()
{
    static auto* runs = new Registry;
    return *runs;
}

}  // namespace

void AbandonedRuns::Add(std::thread::id thread)
{
    Registry& runs = Runs();
    std::lock_guard lock(runs.mutex);
    runs.threads.push_back(thread);
    // Registered once the first run is abandoned, so that the exit waits
    // before what the runs use (the logger, the registry store) goes.
    if (!runs.exitWaitRegistered) {
        runs.exitWaitRegistered = true;
        platform::RunAtProcessExit(&AbandonedRuns::WaitForOthers);
    }
}

void AbandonedRuns::Ended()
{
    Registry& runs = Runs();
    {
        std::lock_guard lock(runs.mutex);
        const auto found = std::find(runs.threads.begin(), runs.threads.end(), std::this_thread::get_id());
        if (found == runs.threads.end())
            return;
        runs.threads.erase(found);
    }
    runs.ended.notify_all();
}

bool AbandonedRuns::OnAbandonedRun()
{
    Registry& runs = Runs();
    std::lock_guard lock(runs.mutex);
    return std::find(runs.threads.begin(), runs.threads.end(), std::this_thread::get_id()) != runs.threads.end();
}

void AbandonedRuns::WaitForOthers()
{
    Registry& runs = Runs();
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock lock(runs.mutex);
    runs.ended.wait(lock, [&] {
        return std::all_of(runs.threads.begin(), runs.threads.end(), [&](std::thread::id id) { return id == self; });
    });
}

}  // namespace quen::detail
