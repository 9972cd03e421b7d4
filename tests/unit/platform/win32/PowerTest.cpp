// Power holds on Windows. Under Wine without a display no window can block shutdown:
// that hold is refused with a Warning line.
#include "fakes/TestMachine.h"

#include "platform/Power.h"

#include <gtest/gtest.h>

#include <thread>
#include <utility>

namespace quen::platform {
namespace {

using WindowsPower = quen::test::TestMachine;

TEST_F(WindowsPower, EveryHoldIsTakenOrRefusedWithAWarningAndAlwaysGivenBackFromManyThreadsAtOnce)
{
    const std::pair<AwakeHold, std::wstring> holds[] = {{AwakeHold::ScreenSaver, L"the screen saver"},
                                                        {AwakeHold::Standby, L"standby"},
                                                        {AwakeHold::Hibernation, L"hibernation"},
                                                        {AwakeHold::Shutdown, L"shutdown"}};
    std::vector<std::thread> threads;
    for (const auto& [what, name] : holds) {
        const bool taken = SetAwakeHold(what, true, L"Installing");
        EXPECT_NE(taken, LogContains(L"Could not hold off " + name + L": ")) << name;
        EXPECT_TRUE(SetAwakeHold(what, false, L"")) << name;
        threads.emplace_back([what = what] {
            for (int i = 0; i < 50; ++i) {
                SetAwakeHold(what, true, L"");
                EXPECT_TRUE(SetAwakeHold(what, false, L""));
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
}

}  // namespace
}  // namespace quen::platform
