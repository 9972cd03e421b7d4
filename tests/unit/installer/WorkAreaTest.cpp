// The work area: emptied and hidden at the start of a run, and what it never
// empties.
#include <quen/Installer.h>

#include "fakes/TestMachine.h"
#include "fakes/Thrown.h"
#include "installer/RunSteps.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class WorkArea : public quen::test::WorkRootMachine {
protected:
    // Prepares the work area of a new installer reading from `source` (a
    // folder with `hardDisk`, else discs; a disc source is not checked).
    void Prepare(bool hardDisk, const std::wstring& source, const std::wstring* mount = nullptr)
    {
        CInstaller installer(m_db);
        installer.SetFlags(hardDisk, false);
        installer.SetPaths(&source, nullptr, nullptr, mount);
        quen::detail::RunSteps::Prepare(installer, L"");
    }

    static bool IsHidden(const std::wstring& path)
    {
        const uint32_t attributes = quen::platform::GetAttributes(path);
        return attributes != quen::platform::InvalidAttributes && (attributes & eAttrHidden) != 0;
    }

    CInstallDB m_db{L"C:\\Image\\image.json", CDataTable(), CDataTable(), CDataTableList(), CDataTableList()};
};

TEST_F(WorkArea, EveryFolderIsEmptiedAndHiddenAMountFolderOutsideTheWorkRootTooAndAnEmptyOneSkipped)
{
    WriteFile(WorkRoot() + L"Installs\\old\\stale.txt", "stale");
    WriteFile(WorkRoot() + L"leftover.bin", "x");
    Prepare(false, L"E:\\NoDiscYet");
    for (const wchar_t* folder : {L"", L"Installs\\", L"Temp\\", L"WIMs\\", L"Extracted\\"}) {
        const std::wstring path = WorkRoot() + folder;
        EXPECT_TRUE(fs::is_directory(Host(path))) << Host(path);
        EXPECT_TRUE(IsHidden(path)) << Host(path);
    }
    EXPECT_FALSE(fs::exists(Host(WorkRoot() + L"Mount")));
    EXPECT_FALSE(fs::exists(Host(WorkRoot() + L"leftover.bin")));
    EXPECT_TRUE(fs::is_empty(Host(WorkRoot() + L"Installs")));

    const std::wstring source = Dir() + L"Source", mount = Dir() + L"Mnt";
    WriteFile(source + L"\\module.mod", "keep");
    WriteFile(mount + L"\\old.txt", "x");
    Prepare(true, source, &mount);
    EXPECT_TRUE(fs::is_empty(Host(mount)));
    EXPECT_TRUE(IsHidden(mount));
}

TEST_F(WorkArea, AMountFolderThatHoldsTheSourceOrADriveRootIsNeverEmptied)
{
    if (!HasMachineRoot())
        GTEST_SKIP() << "the drives here are the machine's own: emptying is refused, but no test may risk a real drive";
    WriteFile(L"D:\\Recovery\\module.mod", "keep");
    WriteFile(L"F:\\data.txt", "keep");
    for (const std::wstring mount : {L"D:\\", L"F:\\", L"d:\\recovery\\"})
        Prepare(true, L"D:\\Recovery", &mount);
    EXPECT_EQ(ReadFile(L"D:\\Recovery\\module.mod"), "keep");
    EXPECT_EQ(ReadFile(L"F:\\data.txt"), "keep");
}

TEST_F(WorkArea, AMissingHardDiskSourceThrowsWithItsPathAndAFolderThatCannotBeCreatedDoesNotStopTheRun)
{
    EXPECT_EQ(quen::test::ThrownMessage<ELibraryException>([&] { Prepare(true, L"D:\\Missing"); }),
              L"The source directory D:\\Missing does not exist.");
    EXPECT_FALSE(fs::exists(Host(WorkRoot())));

    WriteFile(L"C:\\Windows\\Temp\\Quen", "a file where the work root should be");
    EXPECT_NO_THROW(Prepare(false, L"E:\\NoDiscYet"));
}

}  // namespace
