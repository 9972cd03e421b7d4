// The library's MediaBurner holding autoplay off, against the test's own bus.
#include <quen/Plugins.h>

#include "fakes/posix/PrivateBus.h"

#include <gtest/gtest.h>

namespace {

TEST(MediaBurnerBus, AutoplaySuppressedOnTheSelectedDriveIsGivenBackByRestore)
{
    const quen::test::PrivateBus bus;
    ASSERT_TRUE(bus.Started()) << "no dbus-daemon for the test's own bus";
    const auto burner =
        std::dynamic_pointer_cast<IMediaBurner>(COSDependentFactory::GetInstance().GetPlugin(L"MediaBurner"));
    ASSERT_NE(burner, nullptr);

    burner->SelectDrive(L"E:\\");
    burner->SuppressAutoplay();
    EXPECT_EQ(bus.InhibitorsStanding().size(), 1u);
    burner->RestoreAutoplay();
    EXPECT_EQ(bus.InhibitorsStanding().size(), 0u);
    burner->SelectDrive(L"");
}

}  // namespace
