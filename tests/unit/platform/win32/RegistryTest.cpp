// The registry on Windows: the private roots that every other test runs in,
// and values larger than a first read's buffer.
#include "fakes/TestMachine.h"

#include "platform/Errors.h"
#include "platform/Process.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

namespace quen::platform {
namespace {

TEST(WindowsRegistryIsolation, PrivateRootsTakeEveryWriteAndLeaveNothingBehind)
{
    const std::wstring privateKey = L"Software\\Quen isolation test " + std::to_wstring(CurrentProcessId());
    const std::wstring probe = L"SOFTWARE\\Quen isolation probe";
    ASSERT_EQ(test::RegIsolateRoots(privateKey, true), err::Success);
    for (const RegRoot root : {RegRoot::LocalMachine, RegRoot::CurrentUser})
        EXPECT_EQ(RegWrite(root, probe, L"v", RegView::Native, RegDword(1)), err::Success);
    const bool visible = RegKeyExists(RegRoot::LocalMachine, probe, RegView::Native);
    ASSERT_EQ(test::RegIsolateRoots(privateKey, false), err::Success);
    EXPECT_TRUE(visible);
    for (const RegRoot root : {RegRoot::LocalMachine, RegRoot::CurrentUser}) {
        // Put the machine back should the redirection have failed.
        EXPECT_EQ(RegDeleteKeyTree(root, probe, RegView::Native), err::FileNotFound);
    }
    EXPECT_FALSE(RegKeyExists(RegRoot::CurrentUser, privateKey, RegView::Native));
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

}  // namespace
}  // namespace quen::platform
