// Power holds on Windows, taken and given back on their own thread. Under
// Wine without a display there is no window to block shutdown with: that
// hold is refused with a Warning line, the others hold.
#include "fakes/TestMachine.h"

#include "platform/Power.h"

#include <gtest/gtest.h>

#include <thread>
#include <utility>

namespace quen::platform {
namespace {

using WindowsPower = quen::test::TestMachine;

const std::pair<AwakeHold, std::wstring> kHolds[] = {
    {AwakeHold::ScreenSaver, L"the screen saver"},
    {AwakeHold::Standby, L"standby"},
    {AwakeHold::Hibernation, L"hibernation"},
    {AwakeHold::Shutdown, L"shutdown"},
};

TEST_F(WindowsPower, EveryHoldIsTakenOrRefusedWithAWarningAndAlwaysGivenBack)
{
    for (int round = 0; round < 2; ++round) {
        for (const auto& [what, name] : kHolds) {
            const bool taken = SetAwakeHold(what, true, L"Installing");
            EXPECT_NE(taken, LogContains(L"Could not hold off " + name + L": ")) << name;
            EXPECT_TRUE(SetAwakeHold(what, false, L"")) << name;
        }
    }
}

TEST_F(WindowsPower, HoldsFromManyThreadsAtOnceAllComeBack)
{
    std::vector<std::thread> threads;
    for (const auto& [what, name] : kHolds) {
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
