// The machine and autoplay held over D-Bus, against the test's own bus: each
// power hold takes its logind lock and giving it back closes the lock's
// descriptor; autoplay is held off by one desktop inhibitor for any number
// of drives and given back with the last.
#include "fakes/posix/PrivateBus.h"

#include "platform/Autoplay.h"
#include "platform/Power.h"

#include <gtest/gtest.h>

namespace quen::platform {
namespace {

using Locks = std::vector<std::string>;

TEST(BusHolds, EachPowerHoldTakesItsLogindLockUntilItsLastHolderGivesItBack)
{
    const test::PrivateBus bus;
    ASSERT_TRUE(bus.Started()) << "no dbus-daemon for the test's own bus";

    const struct {
        AwakeHold what;
        const char* lock;
    } holds[] = {
        {AwakeHold::ScreenSaver, "idle"},
        {AwakeHold::Standby, "sleep"},
        {AwakeHold::Hibernation, "sleep"},
        {AwakeHold::Shutdown, "shutdown"},
    };
    for (const auto& hold : holds) {
        ASSERT_TRUE(SetAwakeHold(hold.what, true, L"Installing")) << hold.lock;
        EXPECT_EQ(bus.LocksStanding().back(), hold.lock);
    }
    // Standby and hibernation share one lock.
    EXPECT_EQ(bus.LocksGranted(), (Locks{"idle", "sleep", "shutdown"}));

    EXPECT_TRUE(SetAwakeHold(AwakeHold::Standby, false, L""));
    EXPECT_EQ(bus.LocksStanding(), (Locks{"idle", "sleep", "shutdown"}));
    EXPECT_TRUE(SetAwakeHold(AwakeHold::Hibernation, false, L""));
    EXPECT_EQ(bus.LocksStanding(), (Locks{"idle", "shutdown"}));
    EXPECT_TRUE(SetAwakeHold(AwakeHold::ScreenSaver, false, L""));
    EXPECT_TRUE(SetAwakeHold(AwakeHold::Shutdown, false, L""));
    EXPECT_EQ(bus.LocksStanding(), Locks{});
}

TEST(BusHolds, AutoplayIsHeldOffOnceForAllDrivesAndGivenBackWithTheLast)
{
    const test::PrivateBus bus;
    ASSERT_TRUE(bus.Started()) << "no dbus-daemon for the test's own bus";

    ASSERT_TRUE(SetAutoplayHold(L"E:\\", true));
    ASSERT_TRUE(SetAutoplayHold(L"f:\\", true));
    constexpr uint32_t kAutomount = 16;
    EXPECT_EQ(bus.InhibitorFlags(), std::vector<uint32_t>{kAutomount});
    EXPECT_EQ(bus.InhibitorsStanding(), 1u);

    EXPECT_TRUE(SetAutoplayHold(L"e:\\", false));
    EXPECT_EQ(bus.InhibitorsStanding(), 1u);
    EXPECT_TRUE(SetAutoplayHold(L"F:\\", false));
    EXPECT_EQ(bus.InhibitorsStanding(), 0u);
}

}  // namespace
}  // namespace quen::platform
