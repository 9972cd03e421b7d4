// Mounting images over FUSE. A machine that cannot mount (no /dev/fuse, no
// right to mount) makes the mount fail with a clear error: the tests then
// skip, naming it.
#include <quen/OsServices.h>
#include <quen/WIMFile.h>

#include "fakes/posix/WimMachine.h"
#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Wimgapi.h"

#include <filesystem>
#include <fstream>

namespace quen::test {
namespace {

class MountTest : public WimMachine {
protected:
    void SetUp() override
    {
        WimMachine::SetUp();
        CDirectory::Create(Dir() + L"Temp");
        m_wim = MakeWim(Dir() + L"mount.wim", {ModuleImage("", "one"), ModuleImage("", "two")});
        // Can this machine mount at all?
        CDirectory::Create(Dir() + L"probe");
        if (!platform::WIMMountImage((Dir() + L"probe").c_str(), m_wim.c_str(), 1, nullptr))
            GTEST_SKIP() << "this machine cannot mount WIM images: "
                         << ToUtf8(GetErrorText(platform::LastError())) << ToUtf8(platform::WimFailureDetail());
        platform::WIMUnmountImage((Dir() + L"probe").c_str(), m_wim.c_str(), 1, false);
    }

    std::wstring m_wim;
};

TEST_F(MountTest, AMountedImageShowsItsFilesUntilClose)
{
    const std::wstring mount = Dir() + L"Mount";
    WriteFile(mount + L"\\stale.txt", "stale");
    {
        CWIMFile wim(m_wim.c_str(), nullptr, (Dir() + L"Temp").c_str());
        wim.MountImage(mount.c_str(), 2);
        EXPECT_EQ(ReadFile(mount + L"\\setup.cmd"), "@echo two\r\n");
        EXPECT_FALSE(std::filesystem::exists(Host(mount) / "stale.txt"));
        EXPECT_TRUE(LogContains(L"Mounting WIM: " + m_wim + L" on directory " + mount));

        // Changes live in the temporary folder and are dropped at the unmount.
        std::ofstream(Host(mount) / "new.txt") << "new";
    }
    EXPECT_TRUE(std::filesystem::is_empty(Host(mount)));
    CWIMFile again(m_wim.c_str(), nullptr, nullptr);
    again.ExtractImage((Dir() + L"out").c_str(), 2);
    EXPECT_FALSE(std::filesystem::exists(Host(Dir() + L"out") / "new.txt"));
}

TEST_F(MountTest, MountingAgainReleasesTheEarlierMount)
{
    CWIMFile wim(m_wim.c_str(), nullptr, (Dir() + L"Temp").c_str());
    wim.MountImage((Dir() + L"first").c_str(), 1);
    wim.MountImage((Dir() + L"second").c_str(), 2);
    EXPECT_TRUE(std::filesystem::is_empty(Host(Dir() + L"first")));
    EXPECT_EQ(ReadFile(Dir() + L"second\\setup.cmd"), "@echo two\r\n");
}

TEST_F(MountTest, AFailedMountNamesTheSystemsReason)
{
    CWIMFile wim(m_wim.c_str(), nullptr, (Dir() + L"Temp").c_str());
    try {
        wim.MountImage((Dir() + L"Mount").c_str(), 7);
        ADD_FAILURE() << "mounted";
    } catch (const ELibraryException& e) {
        EXPECT_EQ(e.Message(), L"Unable to mount image " + GetErrorText(platform::err::InvalidParameter) + L".");
    }
    EXPECT_TRUE(wim.IsOpen());
}

}  // namespace
}  // namespace quen::test
