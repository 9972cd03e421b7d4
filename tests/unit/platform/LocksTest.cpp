// The lock of a file (one holder at a time, given up with its object) and
// CWinMutex, which behaves as a Windows mutex.
#include "fakes/TestMachine.h"
#include "platform/Errors.h"
#include "platform/FileLock.h"

#include <quen/WinMutex.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using quen::platform::FileLock;

class FileLockTest : public quen::test::TestMachine {};

TEST_F(FileLockTest, OneHolderAtATimeTheLockIsFreeAgainWithItsObjectAndAMissingFolderSaysWhy)
{
    const std::wstring path = Dir() + L"run.lock";
    auto first = FileLock::TryLock(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(FileLock::TryLock(path), nullptr);
    EXPECT_EQ(quen::platform::LastError(), quen::platform::err::SharingViolation);
    first.reset();
    EXPECT_NE(FileLock::TryLock(path), nullptr);

    EXPECT_EQ(FileLock::TryLock(Dir() + L"missing\\run.lock"), nullptr);
    EXPECT_EQ(quen::platform::LastError(), quen::platform::err::PathNotFound);
}

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
