// Power holds, autoplay and the tray over D-Bus, against the test's own bus.
#include "fakes/TestMachine.h"
#include "fakes/posix/PrivateBus.h"

#include "platform/Autoplay.h"
#include "platform/OpticalDrives.h"
#include "platform/Power.h"
#include "platform/posix/MountTableFile.h"

#include <gtest/gtest.h>

namespace quen::platform {
namespace {

using Locks = std::vector<std::string>;
using BusHolds = test::TestMachine;

TEST_F(BusHolds, HoldsStandUntilTheirLastHolderGivesThemBackAndOnlyAnOpticalDrivesTrayOpensAfterItsUnmount)
{
    const test::PrivateBus bus;
    ASSERT_TRUE(bus.Started()) << "no dbus-daemon for the test's own bus";

    const AwakeHold holds[] = {AwakeHold::ScreenSaver, AwakeHold::Standby, AwakeHold::Hibernation, AwakeHold::Shutdown};
    for (const AwakeHold what : holds)
        ASSERT_TRUE(SetAwakeHold(what, true, L"Installing"));
    // Standby and hibernation share one lock.
    EXPECT_EQ(bus.LocksStanding(), (Locks{"idle", "sleep", "shutdown"}));
    EXPECT_TRUE(SetAwakeHold(AwakeHold::Standby, false, L""));
    EXPECT_EQ(bus.LocksStanding(), (Locks{"idle", "sleep", "shutdown"}));
    EXPECT_TRUE(SetAwakeHold(AwakeHold::Hibernation, false, L""));
    EXPECT_EQ(bus.LocksStanding(), (Locks{"idle", "shutdown"}));
    EXPECT_TRUE(SetAwakeHold(AwakeHold::ScreenSaver, false, L""));
    EXPECT_TRUE(SetAwakeHold(AwakeHold::Shutdown, false, L""));
    EXPECT_EQ(bus.LocksStanding(), Locks{});

    constexpr uint32_t kAutomount = 16;
    ASSERT_TRUE(SetAutoplayHold(L"E:\\", true));
    ASSERT_TRUE(SetAutoplayHold(L"f:\\", true));
    EXPECT_EQ(bus.InhibitorsStanding(), std::vector<uint32_t>{kAutomount});
    EXPECT_TRUE(SetAutoplayHold(L"e:\\", false));
    EXPECT_EQ(bus.InhibitorsStanding(), std::vector<uint32_t>{kAutomount});
    EXPECT_TRUE(SetAutoplayHold(L"F:\\", false));
    EXPECT_EQ(bus.InhibitorsStanding(), std::vector<uint32_t>{});

    std::filesystem::create_directories(Host(L"E:\\"));
    // No /dev/sr1 need exist here: a source that does not resolve counts as written.
    WriteFile(Dir() + L"mountinfo", "22 1 8:2 / / rw - ext4 /dev/sda2 rw\n41 22 11:1 / " +
                                        std::filesystem::canonical(Host(L"E:\\")).string() +
                                        " ro - iso9660 /dev/sr1 ro\n");
    posix::SetMountTableFile(Host(Dir() + L"mountinfo"));
    EXPECT_EQ(ListOpticalDrives(), std::vector<std::wstring>{L"E:\\"});
    EXPECT_FALSE(EjectOpticalDrive(Dir().substr(0, 3)));
    EXPECT_TRUE(EjectOpticalDrive(L"e:\\"));
    EXPECT_EQ(bus.UdisksCalls(), (std::vector<std::string>{"Unmount block_devices/sr1", "Eject drives/disc_sr1"}));
    posix::SetMountTableFile({});
}

}  // namespace
}  // namespace quen::platform
