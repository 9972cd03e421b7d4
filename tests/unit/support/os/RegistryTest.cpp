#include "fakes/TestMachine.h"

#include <quen/OsServices.h>

#include "platform/Errors.h"
#include "platform/Registry.h"

namespace {

namespace platform = quen::platform;

using CRegistryTest = quen::test::TestMachine;

TEST_F(CRegistryTest, SetStringCreatesTheKeyAndGetStringReadsItBack)
{
    const std::wstring key = L"SOFTWARE\\Quen Corporation\\Installed Software\\Modules\\ 42";
    ASSERT_TRUE(CRegistry::SetString(ERegistryRoot::LocalMachine, key, L"InstallMode", L"Recovery"));
    ASSERT_TRUE(CRegistry::SetString(ERegistryRoot::LocalMachine, key, L"VersionPath", L""));
    std::wstring text;
    EXPECT_TRUE(CRegistry::GetString(ERegistryRoot::LocalMachine, key, L"installmode", text));
    EXPECT_EQ(text, L"Recovery");
    EXPECT_TRUE(CRegistry::GetString(ERegistryRoot::LocalMachine, key, L"VersionPath", text));
    EXPECT_EQ(text, L"");

    platform::RegValue value;
    ASSERT_EQ(platform::RegRead(platform::RegRoot::LocalMachine, key, L"InstallMode", platform::RegView::Native, value),
              platform::err::Success);
    EXPECT_EQ(value.type, platform::regtype::Sz);
}

TEST_F(CRegistryTest, GetStringGivesExpandableTextUnexpanded)
{
    ASSERT_EQ(platform::RegWrite(platform::RegRoot::LocalMachine, L"SOFTWARE\\Q", L"Path", platform::RegView::Native,
                                 platform::RegString(L"%ProgramFiles%\\Q", platform::regtype::ExpandSz)),
              platform::err::Success);
    std::wstring text;
    EXPECT_TRUE(CRegistry::GetString(ERegistryRoot::LocalMachine, L"SOFTWARE\\Q", L"Path", text));
    EXPECT_EQ(text, L"%ProgramFiles%\\Q");
}

TEST_F(CRegistryTest, AbsentOrNonTextValuesGiveFalseAndEmptyText)
{
    ASSERT_EQ(platform::RegWrite(platform::RegRoot::LocalMachine, L"SOFTWARE\\Q", L"Number", platform::RegView::Native,
                                 platform::RegDword(1)),
              platform::err::Success);
    std::wstring text = L"stale";
    EXPECT_FALSE(CRegistry::GetString(ERegistryRoot::LocalMachine, L"SOFTWARE\\Q", L"Number", text));
    EXPECT_EQ(text, L"");
    text = L"stale";
    EXPECT_FALSE(CRegistry::GetString(ERegistryRoot::LocalMachine, L"SOFTWARE\\Q", L"Missing", text));
    EXPECT_EQ(text, L"");
    EXPECT_EQ(platform::LastError(), platform::err::FileNotFound);
    EXPECT_FALSE(CRegistry::GetString(ERegistryRoot::LocalMachine, L"SOFTWARE\\None", L"x", text));
}

TEST_F(CRegistryTest, EachRootIsItsOwnTree)
{
    const std::pair<ERegistryRoot, platform::RegRoot> roots[] = {
        {ERegistryRoot::ClassesRoot, platform::RegRoot::ClassesRoot},
        {ERegistryRoot::CurrentUser, platform::RegRoot::CurrentUser},
        {ERegistryRoot::LocalMachine, platform::RegRoot::LocalMachine},
        {ERegistryRoot::Users, platform::RegRoot::Users},
        {ERegistryRoot::CurrentConfig, platform::RegRoot::CurrentConfig},
    };
    for (const auto& [root, platformRoot] : roots)
        ASSERT_TRUE(CRegistry::SetString(root, L"K", L"Root", std::to_wstring(static_cast<int>(platformRoot))));
    for (const auto& [root, platformRoot] : roots) {
        platform::RegValue value;
        ASSERT_EQ(platform::RegRead(platformRoot, L"K", L"Root", platform::RegView::Native, value),
                  platform::err::Success);
        EXPECT_EQ(platform::RegValueText(value), std::to_wstring(static_cast<int>(platformRoot)));
    }
}

}  // namespace
