// The registry on Windows: the system's 32-bit view, and the private roots
// that every other test runs in.
#include "fakes/TestMachine.h"

#include "platform/Errors.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quen::platform {
namespace {

// Runs on the machine's own registry, reading only: on every x64 Windows
// the 64-bit HKLM\SOFTWARE holds WOW6432Node, and the 32-bit view of
// SOFTWARE is that node's content, which does not hold itself.
TEST(WindowsRegistryViews, ThirtyTwoAndSixtyFourBitViewsReachTheSystemsTwoTrees)
{
    const auto holdsNode = [](RegView view) {
        std::vector<std::wstring> names;
        EXPECT_EQ(RegListSubkeys(RegRoot::LocalMachine, L"SOFTWARE", view, names), err::Success);
        return std::find_if(names.begin(), names.end(), [](const std::wstring& name) {
                   return EqualsNoCase(name, L"WOW6432Node");
               }) != names.end();
    };
    if (!holdsNode(RegView::View64))
        GTEST_SKIP() << "this machine keeps no 32-bit registry view";
    EXPECT_TRUE(holdsNode(RegView::Native));
    EXPECT_FALSE(holdsNode(RegView::View32));
}

TEST(WindowsRegistryIsolation, PrivateRootsTakeEveryWriteAndLeaveNothingBehind)
{
    const std::wstring privateKey = L"Software\\Quen isolation test " + std::to_wstring(CurrentProcessId());
    const std::wstring probe = L"SOFTWARE\\Quen isolation probe";
    ASSERT_EQ(test::RegIsolateRoots(privateKey, true), err::Success);
    const uint32_t machineWrite = RegWrite(RegRoot::LocalMachine, probe, L"v", RegView::Native, RegDword(1));
    const uint32_t userWrite = RegWrite(RegRoot::CurrentUser, probe, L"v", RegView::Native, RegDword(2));
    const bool visible = RegKeyExists(RegRoot::LocalMachine, probe, RegView::Native);
    ASSERT_EQ(test::RegIsolateRoots(privateKey, false), err::Success);

    EXPECT_EQ(machineWrite, err::Success);
    EXPECT_EQ(userWrite, err::Success);
    EXPECT_TRUE(visible);
    const bool leakedToMachine = RegKeyExists(RegRoot::LocalMachine, probe, RegView::Native);
    const bool leakedToUser = RegKeyExists(RegRoot::CurrentUser, probe, RegView::Native);
    EXPECT_FALSE(leakedToMachine);
    EXPECT_FALSE(leakedToUser);
    EXPECT_FALSE(RegKeyExists(RegRoot::CurrentUser, privateKey, RegView::Native));
    // Put the machine back should the redirection have failed.
    if (leakedToMachine)
        RegDeleteKeyTree(RegRoot::LocalMachine, probe, RegView::Native);
    if (leakedToUser)
        RegDeleteKeyTree(RegRoot::CurrentUser, probe, RegView::Native);
}

class WindowsRegistry : public quen::test::TestMachine {};

TEST_F(WindowsRegistry, ValueOfAnySizeIsReadWhole)
{
    for (const std::size_t size : {std::size_t{255}, std::size_t{256}, std::size_t{257}, std::size_t{1} << 20}) {
        RegValue written{regtype::Binary, std::vector<uint8_t>(size)};
        for (std::size_t i = 0; i < size; ++i)
            written.data[i] = static_cast<uint8_t>(i * 31 + size);
        ASSERT_EQ(RegWrite(RegRoot::LocalMachine, L"SOFTWARE\\Big", L"v", RegView::Native, written), err::Success);
        RegValue read;
        ASSERT_EQ(RegRead(RegRoot::LocalMachine, L"SOFTWARE\\Big", L"v", RegView::Native, read), err::Success);
        EXPECT_EQ(read.data, written.data) << size;
    }
}

TEST_F(WindowsRegistry, DeletingATreeInTheThirtyTwoBitViewLeavesTheOtherViewAlone)
{
    ASSERT_EQ(RegWrite(RegRoot::LocalMachine, L"SOFTWARE\\App\\Sub", L"v", RegView::View32, RegDword(32)), 0u);
    ASSERT_EQ(RegWrite(RegRoot::LocalMachine, L"SOFTWARE\\App\\Sub", L"v", RegView::View64, RegDword(64)), 0u);
    EXPECT_EQ(RegDeleteKeyTree(RegRoot::LocalMachine, L"SOFTWARE\\App", RegView::View32), err::Success);
    EXPECT_FALSE(RegKeyExists(RegRoot::LocalMachine, L"SOFTWARE\\App", RegView::View32));
    EXPECT_TRUE(RegKeyExists(RegRoot::LocalMachine, L"SOFTWARE\\App\\Sub", RegView::View64));
}

}  // namespace
}  // namespace quen::platform
