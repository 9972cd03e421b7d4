// The lock of a file: one holder at a time, given up with its object.
#include "fakes/TestMachine.h"
#include "platform/Errors.h"
#include "platform/FileLock.h"

#include <gtest/gtest.h>

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

}  // namespace
