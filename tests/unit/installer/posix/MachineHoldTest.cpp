// What a run holds of the machine, against the test's own bus: every lock
// the run takes is given back when the run lets go.
#include "fakes/posix/PrivateBus.h"
#include "installer/RunHolds.h"

#include <gtest/gtest.h>

namespace {

TEST(MachineHold, ReleaseGivesBackEveryLockThatEngageTook)
{
    const quen::test::PrivateBus bus;
    ASSERT_TRUE(bus.Started()) << "no dbus-daemon for the test's own bus";
    quen::detail::MachineHold hold;
    hold.Engage(L"Installing");
    EXPECT_EQ(bus.LocksStanding(), (std::vector<std::string>{"idle", "sleep", "shutdown"}));
    hold.Release();
    EXPECT_EQ(bus.LocksStanding(), std::vector<std::string>{});
}

}  // namespace
