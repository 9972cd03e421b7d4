// The library's own MediaBurner, as far as it can be used without touching a
// real drive.
#include <quen/Plugins.h>

#include "fakes/TestMachine.h"

#include <gtest/gtest.h>

namespace {

using Plugins = quen::test::TestMachine;

TEST_F(Plugins, TheMediaBurnerIsFoundInAnyCaseOpensNoDriveThatIsNotOpticalAndSuppressesNoAutoplayWithoutADrive)
{
    EXPECT_EQ(COSDependentFactory::GetInstance().GetPlugin(L"Scanner"), nullptr);
    const auto burner =
        std::dynamic_pointer_cast<IMediaBurner>(COSDependentFactory::GetInstance().GetPlugin(L"mediaBURNER"));
    ASSERT_NE(burner, nullptr);
    // The scratch folder's drive holds the system: it is never an optical drive.
    for (const std::wstring& drive : {Dir().substr(0, 3), std::wstring()}) {
        burner->SelectDrive(drive);
        burner->MediaRequest();
    }
    EXPECT_FALSE(LogContains(L"Opening drive"));
    EXPECT_THROW(burner->SuppressAutoplay(), ELibraryException);
}

}  // namespace
