// CWinMutex behaves as a Windows mutex: its owner may take it again, and
// another thread waits until every hold is given back.
#include <quen/WinMutex.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

TEST(WinMutex, TheOwnerTakesItAgainAndOthersWaitForTheLastRelease)
{
    CWinMutex mutex;
    std::atomic<bool> taken{false};
    mutex.Lock();
    mutex.Lock();
    std::thread other([&] {
        CWinMutexLock lock(mutex);
        taken = true;
    });
    mutex.Unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(taken);
    mutex.Unlock();
    other.join();
    EXPECT_TRUE(taken);
}

}  // namespace
