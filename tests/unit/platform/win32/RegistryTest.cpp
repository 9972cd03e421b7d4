// The registry on Windows: the system's 32-bit view, and the private roots
// that every other test runs in.
#include "fakes/TestMachine.h"

#include "platform/Errors.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

namespace quen::platform {
namespace {

// Runs on the machine's own registry, reading only: every x64 Windows names
// its two program folders in the two views of one key.
TEST(WindowsRegistryViews, ThirtyTwoAndSixtyFourBitViewsReachTheSystemsTwoTrees)
{
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    RegValue native, view64, view32;
    if (RegRead(RegRoot::LocalMachine, key, L"ProgramFilesDir", RegView::View32, view32) != err::Success)
        GTEST_SKIP() << "this machine names no 32-bit program folder";
    ASSERT_EQ(RegRead(RegRoot::LocalMachine, key, L"ProgramFilesDir", RegView::View64, view64), err::Success);
    ASSERT_EQ(RegRead(RegRoot::LocalMachine, key, L"ProgramFilesDir", RegView::Native, native), err::Success);
    EXPECT_NE(RegValueText(view32), RegValueText(view64));
    EXPECT_NE(RegValueText(view32).find(L"(x86)"), std::wstring::npos) << RegValueText(view32);
    EXPECT_EQ(RegValueText(native), RegValueText(view64));
}

TEST(WindowsRegistryIsolation, PrivateRootsTakeEveryWriteAndLeaveNothingBehind)
{
    const std::wstring privateKey = L"Software\\Quen isolation test " + std::to_wstring(CurrentProcessId());
    const std::wstring probe = L"SOFTWARE\\Quen isolation probe";
    ASSERT_EQ(RegIsolateRoots(privateKey, true), err::Success);
    const uint32_t machineWrite = RegWrite(RegRoot::LocalMachine, probe, L"v", RegView::Native, RegDword(1));
    const uint32_t userWrite = RegWrite(RegRoot::CurrentUser, probe, L"v", RegView::Native, RegDword(2));
    const bool visible = RegKeyExists(RegRoot::LocalMachine, probe, RegView::Native);
    ASSERT_EQ(RegIsolateRoots(privateKey, false), err::Success);

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
