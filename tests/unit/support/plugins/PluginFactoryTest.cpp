// The plug-in factory, and the library's own MediaBurner as far as it can be
// used without touching a real drive.
#include <quen/Plugins.h>

#include "fakes/FakeMediaBurner.h"
#include "fakes/TestMachine.h"

#include <gtest/gtest.h>

namespace {

using quen::test::FakeMediaBurner;
using quen::test::ScopedPlugin;

using Plugins = quen::test::TestMachine;

TEST_F(Plugins, ARegisteredPluginReplacesTheOneOfItsNameInAnyCaseUntilItIsPutBack)
{
    COSDependentFactory& factory = COSDependentFactory::GetInstance();
    const auto original = factory.GetPlugin(L"MediaBurner");
    EXPECT_NE(std::dynamic_pointer_cast<IMediaBurner>(original), nullptr);
    const auto fake = std::make_shared<FakeMediaBurner>();
    {
        ScopedPlugin scope(L"mediaBurner", fake);
        EXPECT_EQ(factory.GetPlugin(L"MEDIABURNER"), fake);
    }
    EXPECT_EQ(factory.GetPlugin(L"mediaburner"), original);
    EXPECT_EQ(factory.GetPlugin(L"Scanner"), nullptr);
}

TEST_F(Plugins, TheMediaBurnerOpensNoDriveThatIsNotOpticalAndSuppressesNoAutoplayWithoutADrive)
{
    // The scratch folder's drive holds the system: it is never an optical drive.
    const auto burner =
        std::dynamic_pointer_cast<IMediaBurner>(COSDependentFactory::GetInstance().GetPlugin(L"MediaBurner"));
    for (const std::wstring& drive : {Dir().substr(0, 3), std::wstring()}) {
        burner->SelectDrive(drive);
        burner->MediaRequest();
    }
    EXPECT_FALSE(LogContains(L"Opening drive"));
    EXPECT_THROW(burner->SuppressAutoplay(), ELibraryException);
}

}  // namespace
