// Mounting images over FUSE. A machine that cannot mount (no /dev/fuse, no
// right to mount) makes the mount fail with a clear error: the test then
// skips, naming it.
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/Thrown.h"
#include "fakes/posix/WimBuilder.h"
#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Wimgapi.h"

#include <fstream>

namespace quen::test {
namespace {

using MountTest = WimMachine;

TEST_F(MountTest, AMountShowsTheImageUntilTheNextMountOrCloseAndDropsWhatWasWrittenToIt)
{
    const std::wstring path = MakeWim(Dir() + L"mount.wim", {ModuleImage("", "one"), ModuleImage("", "two")});
    CDirectory::Create(Dir() + L"probe");
    if (!platform::WIMMountImage((Dir() + L"probe").c_str(), path.c_str(), 1, nullptr))
        GTEST_SKIP() << "this machine cannot mount WIM images: " << ToUtf8(GetErrorText(platform::LastError()))
                     << ToUtf8(platform::WimFailureDetail());
    platform::WIMUnmountImage((Dir() + L"probe").c_str(), path.c_str(), 1, false);

    const std::wstring first = Dir() + L"first";
    const std::wstring second = Dir() + L"second";
    WriteFile(second + L"\\stale.txt", "stale");
    {
        CWIMFile wim(path.c_str(), nullptr, nullptr);
        wim.MountImage(first.c_str(), 1);
        EXPECT_EQ(ReadFile(first + L"\\setup.cmd"), "@echo one\r\n");
        EXPECT_EQ(ThrownMessage<ELibraryException>([&] { wim.MountImage((Dir() + L"third").c_str(), 7); }),
                  L"Unable to mount image " + GetErrorText(platform::err::InvalidParameter) + L".");
        EXPECT_TRUE(std::filesystem::is_empty(Host(first)));
        wim.MountImage(second.c_str(), 2);
        EXPECT_EQ(ReadFile(second + L"\\setup.cmd"), "@echo two\r\n");
        EXPECT_FALSE(std::filesystem::exists(Host(second) / "stale.txt"));
        std::ofstream(Host(second) / "new.txt") << "new";
    }
    EXPECT_TRUE(std::filesystem::is_empty(Host(second)));
    CWIMFile again(path.c_str(), nullptr, nullptr);
    again.ExtractImage((Dir() + L"out").c_str(), 2);
    EXPECT_FALSE(std::filesystem::exists(Host(Dir() + L"out") / "new.txt"));
}

}  // namespace
}  // namespace quen::test
