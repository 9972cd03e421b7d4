// The work area: emptied and hidden at the start of a run, and what it never
// empties.
#include <quen/Installer.h>

#include "fakes/InstallerTestPeer.h"
#include "fakes/TestMachine.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <filesystem>
#include <fstream>

namespace {

using Peer = CInstallerTestPeer;

class WorkArea : public quen::test::WorkRootMachine {
protected:
    CInstallDB m_db{L"C:\\Image\\image.json", CDataTable(), CDataTable(), CDataTableList(), CDataTableList()};

    static bool IsHidden(const std::wstring& path)
    {
        const uint32_t attributes = quen::platform::GetAttributes(path);
        return attributes != quen::platform::InvalidAttributes && (attributes & eAttrHidden) != 0;
    }
};

TEST_F(WorkArea, ValidateEmptiesAndHidesEveryFolderAndSkipsAnEmptyMountFolder)
{
    WriteFile(WorkRoot() + L"Installs\\old\\stale.txt", "stale");
    WriteFile(WorkRoot() + L"leftover.bin", "x");
    CInstaller installer(m_db);
    installer.SetFlags(false, false);
    const std::wstring source = L"E:\\NoDiscYet";  // a disc source is not checked
    installer.SetPaths(&source, nullptr, nullptr, nullptr);
    Peer::Validate(installer);

    for (const wchar_t* folder : {L"", L"Installs\\", L"Temp\\", L"WIMs\\", L"Extracted\\"}) {
        const std::wstring path = WorkRoot() + folder;
        EXPECT_TRUE(std::filesystem::is_directory(Host(path))) << Host(path);
        EXPECT_TRUE(IsHidden(path)) << Host(path);
    }
    EXPECT_FALSE(std::filesystem::exists(Host(WorkRoot() + L"Mount")));
    EXPECT_FALSE(std::filesystem::exists(Host(WorkRoot() + L"leftover.bin")));
    EXPECT_TRUE(std::filesystem::is_empty(Host(WorkRoot() + L"Installs")));
}

// A setup program may leave names that no Windows path can spell; the next
// run must still find its work area empty, and only its own files removed.
TEST_F(WorkArea, NamesThatOnlyTheHostCanSpellAreEmptiedToo)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << "such names cannot exist on a Windows file system";
    const std::filesystem::path temp = Host(WorkRoot() + L"Temp");
    std::filesystem::create_directories(temp / "setup\\logs");
    std::filesystem::create_directories(temp / "x");
    for (const char* name : {"install-12:30.log", "what?", "tab\there", "bad\xff", "x\\y", "x/y", "setup\\logs/a*"})
        std::ofstream(temp / name) << name;
    CInstaller installer(m_db);
    installer.SetFlags(false, false);
    const std::wstring source = L"E:\\NoDiscYet";
    installer.SetPaths(&source, nullptr, nullptr, nullptr);
    Peer::Validate(installer);
    EXPECT_TRUE(std::filesystem::is_empty(temp));
}

TEST_F(WorkArea, AMountFolderOutsideTheWorkRootIsEmptiedAndHidden)
{
    const std::wstring source = Dir() + L"Source", mount = Dir() + L"Mnt";
    WriteFile(source + L"\\module.mod", "keep");
    WriteFile(mount + L"\\old.txt", "x");
    CInstaller installer(m_db);
    installer.SetFlags(true, false);
    installer.SetPaths(&source, nullptr, nullptr, &mount);
    Peer::Validate(installer);
    EXPECT_TRUE(std::filesystem::is_empty(Host(mount)));
    EXPECT_TRUE(IsHidden(mount));
}

TEST_F(WorkArea, AMountFolderThatHoldsTheSourceOrADriveRootIsNeverEmptied)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << "the drives here are the machine's own: emptying is refused, but no test may risk a real drive";
    WriteFile(L"D:\\Recovery\\module.mod", "keep");
    WriteFile(L"F:\\data.txt", "keep");
    const std::wstring source = L"D:\\Recovery";
    for (const std::wstring mount : {L"D:\\", L"F:\\", L"d:\\recovery\\"}) {
        CInstaller installer(m_db);
        installer.SetFlags(true, false);
        installer.SetPaths(&source, nullptr, nullptr, &mount);
        Peer::Validate(installer);
    }
    EXPECT_EQ(ReadFile(L"D:\\Recovery\\module.mod"), "keep");
    EXPECT_EQ(ReadFile(L"F:\\data.txt"), "keep");
}

TEST_F(WorkArea, AMissingHardDiskSourceThrowsWithItsPath)
{
    CInstaller installer(m_db);
    installer.SetFlags(true, false);
    const std::wstring source = L"D:\\Missing";
    installer.SetPaths(&source, nullptr, nullptr, nullptr);
    try {
        Peer::Validate(installer);
        FAIL() << "no exception";
    } catch (const ELibraryException& e) {
        EXPECT_EQ(e.Message(), L"The source directory D:\\Missing does not exist.");
    }
    EXPECT_FALSE(std::filesystem::exists(Host(WorkRoot())));
}

TEST_F(WorkArea, AFolderThatCannotBeCreatedDoesNotStopTheRun)
{
    WriteFile(L"C:\\Windows\\Temp\\Quen", "a file where the work root should be");
    CInstaller installer(m_db);
    installer.SetFlags(false, false);
    EXPECT_NO_THROW(Peer::Validate(installer));
}

}  // namespace
