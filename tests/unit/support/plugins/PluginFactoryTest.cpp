// The plug-in factory, and the library's own MediaBurner as far as it can be
// used without touching a real drive.
#include <quen/Plugins.h>

#include "fakes/FakeMediaBurner.h"
#include "fakes/TestMachine.h"

#include <gtest/gtest.h>

namespace {

using quen::test::FakeMediaBurner;
using quen::test::ScopedPlugin;

class Plugins : public quen::test::TestMachine {
protected:
    COSDependentFactory& m_factory = COSDependentFactory::GetInstance();
};

TEST_F(Plugins, TheLibraryBringsAMediaBurnerFoundByNameInAnyCase)
{
    EXPECT_NE(std::dynamic_pointer_cast<IMediaBurner>(m_factory.GetPlugin(L"MediaBurner")), nullptr);
    EXPECT_EQ(m_factory.GetPlugin(L"MEDIABURNER"), m_factory.GetPlugin(L"mediaburner"));
    EXPECT_EQ(m_factory.GetPlugin(L"Scanner"), nullptr);
}

TEST_F(Plugins, ARegisteredPluginReplacesTheOneOfItsNameUntilItIsPutBack)
{
    const auto original = m_factory.GetPlugin(L"MediaBurner");
    const auto fake = std::make_shared<FakeMediaBurner>();
    {
        ScopedPlugin scope(L"mediaBurner", fake);
        EXPECT_EQ(m_factory.GetPlugin(L"MediaBurner"), fake);
    }
    EXPECT_EQ(m_factory.GetPlugin(L"MediaBurner"), original);

    EXPECT_EQ(m_factory.RegisterPlugin(L"Scanner", fake), nullptr);
    EXPECT_EQ(m_factory.RegisterPlugin(L"Scanner", nullptr), fake);
    EXPECT_EQ(m_factory.GetPlugin(L"Scanner"), nullptr);
}

TEST_F(Plugins, APluginStaysUsableWhileHeldThoughItIsReplaced)
{
    std::weak_ptr<IOSDependentPlugin> watched;
    std::shared_ptr<IOSDependentPlugin> held;
    {
        auto fake = std::make_shared<FakeMediaBurner>();
        watched = fake;
        ScopedPlugin scope(L"MediaBurner", std::move(fake));
        held = m_factory.GetPlugin(L"MediaBurner");
    }
    EXPECT_FALSE(watched.expired());
    held.reset();
    EXPECT_TRUE(watched.expired());
}

TEST_F(Plugins, TheMediaBurnerOpensNoDriveThatIsNotOptical)
{
    // The scratch folder's drive holds the system: it is never an optical drive.
    const auto burner = std::dynamic_pointer_cast<IMediaBurner>(m_factory.GetPlugin(L"MediaBurner"));
    ASSERT_NE(burner, nullptr);
    burner->SelectDrive(Dir().substr(0, 3));
    burner->MediaRequest();
    burner->SelectDrive(L"");
    burner->MediaRequest();
    EXPECT_TRUE(LogContains(L"The recovery source is not on an optical drive; no drive is opened."));
    EXPECT_FALSE(LogContains(L"Opening drive"));
}

TEST_F(Plugins, TheMediaBurnerRefusesToSuppressAutoplayWithoutADrive)
{
    const auto burner = std::dynamic_pointer_cast<IMediaBurner>(m_factory.GetPlugin(L"MediaBurner"));
    ASSERT_NE(burner, nullptr);
    burner->SelectDrive(L"");
    EXPECT_THROW(burner->SuppressAutoplay(), ELibraryException);
}

}  // namespace
