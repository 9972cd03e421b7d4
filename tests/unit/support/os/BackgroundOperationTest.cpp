#include <quen/OsServices.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

struct Job {
    std::atomic<bool> started{false};
    std::atomic<bool> sawCancel{false};
};

// Runs until cancelled, then reports 7.
uint32_t RunUntilCancelled(CBgThreadData* data)
{
    auto* job = static_cast<Job*>(data->GetUserData());
    job->started = true;
    while (!data->IsCancelled())
        std::this_thread::yield();
    job->sawCancel = data->IsCancelled();
    return 7;
}

TEST(BackgroundOperation, FunctionGetsUserDataAndSeesCancelAndTheDestructorCancelsAndWaits)
{
    Job job, last;
    {
        CBackgroundOperation operation;
        EXPECT_FALSE(operation.Start(nullptr, &job));
        ASSERT_TRUE(operation.Start(&RunUntilCancelled, &job));
        EXPECT_FALSE(operation.Start(&RunUntilCancelled, &job));
        operation.Cancel();
        operation.Wait();
        EXPECT_TRUE(job.sawCancel);
        EXPECT_FALSE(operation.IsRunning());
        EXPECT_EQ(operation.ExitCode(), 7u);
        ASSERT_TRUE(operation.Start(&RunUntilCancelled, &last));
        while (!last.started)
            std::this_thread::yield();
    }
    EXPECT_TRUE(last.sawCancel);
}

}  // namespace
