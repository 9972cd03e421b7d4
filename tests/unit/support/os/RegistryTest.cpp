#include "fakes/TestMachine.h"

#include <quen/OsServices.h>

#include "platform/Errors.h"
#include "platform/Registry.h"

namespace {

namespace platform = quen::platform;
using platform::RegRoot;
using platform::RegView;

using CRegistryTest = quen::test::TestMachine;

TEST_F(CRegistryTest, TextValuesReadBackUnexpandedAbsentOrNonTextValuesGiveFalseAndEachRootWritesItsOwnTree)
{
    const std::wstring key = L"SOFTWARE\\Quen Corporation\\Installed Software\\Modules\\ 42";
    ASSERT_TRUE(CRegistry::SetString(ERegistryRoot::LocalMachine, key, L"InstallMode", L"Recovery"));
    ASSERT_EQ(platform::RegWrite(RegRoot::LocalMachine, key, L"Path", RegView::Native,
                                 platform::RegString(L"%ProgramFiles%\\Q", platform::regtype::ExpandSz)),
              0u);
    ASSERT_EQ(platform::RegWrite(RegRoot::LocalMachine, key, L"Number", RegView::Native, platform::RegDword(1)), 0u);
    const std::pair<const wchar_t*, const wchar_t*> reads[] = {  // no text: the read fails
        {L"installmode", L"Recovery"}, {L"Path", L"%ProgramFiles%\\Q"}, {L"Number", nullptr}, {L"Missing", nullptr},
    };
    for (const auto& [name, expected] : reads) {
        std::wstring text = L"stale";
        EXPECT_EQ(CRegistry::GetString(ERegistryRoot::LocalMachine, key, name, text), expected != nullptr) << name;
        EXPECT_EQ(text, expected ? expected : L"") << name;
    }
    EXPECT_EQ(platform::LastError(), platform::err::FileNotFound);
    // Each root is its own tree.
    const std::pair<ERegistryRoot, RegRoot> roots[] = {
        {ERegistryRoot::ClassesRoot, RegRoot::ClassesRoot}, {ERegistryRoot::CurrentUser, RegRoot::CurrentUser},
        {ERegistryRoot::LocalMachine, RegRoot::LocalMachine}, {ERegistryRoot::Users, RegRoot::Users},
        {ERegistryRoot::CurrentConfig, RegRoot::CurrentConfig},
    };
    for (const auto& [root, platformRoot] : roots) {
        ASSERT_TRUE(CRegistry::SetString(root, L"K", L"Root", L"set"));
        platform::RegValue value;
        EXPECT_EQ(platform::RegRead(platformRoot, L"K", L"Root", RegView::Native, value), 0u);
    }
}

}  // namespace
