#include <quen/OsServices.h>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace {

struct Job {
    std::atomic<bool> started{false};
    std::atomic<bool> release{false};
    std::atomic<bool> sawCancel{false};
};

// Runs until cancelled or released, then reports 7.
uint32_t RunUntilCancelled(CBgThreadData* data)
{
    auto* job = static_cast<Job*>(data->GetUserData());
    job->started = true;
    while (!data->IsCancelled() && !job->release)
        std::this_thread::yield();
    job->sawCancel = data->IsCancelled();
    return 7;
}

TEST(BackgroundOperation, FunctionGetsUserDataAndSeesCancel)
{
    CBackgroundOperation operation;
    Job job;
    EXPECT_FALSE(operation.Start(nullptr, &job));
    ASSERT_TRUE(operation.Start(&RunUntilCancelled, &job));
    EXPECT_TRUE(operation.IsRunning());
    EXPECT_FALSE(operation.Start(&RunUntilCancelled, &job));
    operation.Cancel();
    operation.Wait();
    EXPECT_TRUE(job.sawCancel);
    EXPECT_FALSE(operation.IsRunning());
    EXPECT_EQ(operation.ExitCode(), 7u);

    // A new start joins the finished thread and clears the old cancel.
    Job again;
    again.release = true;
    ASSERT_TRUE(operation.Start(&RunUntilCancelled, &again));
    operation.Wait();
    EXPECT_FALSE(again.sawCancel);
}

TEST(BackgroundOperation, DestructorCancelsAndWaitsForTheThread)
{
    Job job;
    {
        CBackgroundOperation operation;
        ASSERT_TRUE(operation.Start(&RunUntilCancelled, &job));
        while (!job.started)
            std::this_thread::yield();
    }
    EXPECT_TRUE(job.sawCancel);
}

struct SelfDestroying {
    CBackgroundOperation* operation = new CBackgroundOperation;
    std::promise<bool> cancelSeenAfterDelete;
};

uint32_t DeleteOwnOperation(CBgThreadData* data)
{
    auto* self = static_cast<SelfDestroying*>(data->GetUserData());
    delete self->operation;
    self->cancelSeenAfterDelete.set_value(data->IsCancelled());  // the data outlives the operation
    return 0;
}

TEST(BackgroundOperation, DestructorOnItsOwnThreadLeavesTheThreadToFinish)
{
    // Static: the detached thread may still be returning when the test ends.
    static SelfDestroying self;
    auto result = self.cancelSeenAfterDelete.get_future();
    ASSERT_TRUE(self.operation->Start(&DeleteOwnOperation, &self));
    ASSERT_EQ(result.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "deadlock";
    EXPECT_TRUE(result.get());
}

}  // namespace
