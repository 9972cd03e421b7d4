// Staging a module: its release folder copied from the source into its
// folder below the installs folder, what each part type takes, the record
// paths that are refused before anything is touched, and how entries of one
// run share what they staged.
#include "ModuleFixture.h"

#include "foundation/WideString.h"
#include "installer/RunSteps.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class Staging : public quen::test::ModuleFixture {
protected:
    void SetUp() override
    {
        ModuleFixture::SetUp();
        Configure();
        WriteFile(m_source + L"\\Modules\\Office\\setup.exe", "setup");
        WriteFile(m_source + L"\\Modules\\Office\\office.app", "package");
        WriteFile(m_source + L"\\Modules\\Office\\Data\\inner.app", "inner");
        fs::create_directories(Host(m_source + L"\\Modules\\Office\\Empty"));
        quen::detail::RunSteps::Prepare(m_installer, L"");
    }

    void Stage(const CDataTable& record, int disc = -1)
    {
        CModuleInstaller module(&record, &m_installer);
        module.SetDisc(disc);
        module.CopyToInstallDir();
    }

    const std::wstring m_installs = WorkRoot() + L"Installs\\";

    bool Staged(const std::wstring& relative) const { return fs::exists(Host(m_installs + relative)); }

    // Every file and folder below a host folder, with the files' content.
    static std::map<std::string, std::string> Snapshot(const fs::path& folder)
    {
        std::map<std::string, std::string> tree;
        if (!fs::exists(folder))
            return tree;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            std::ostringstream content;
            if (entry.is_regular_file())
                content << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            tree[fs::relative(entry.path(), folder).generic_string()] = content.str();
        }
        return tree;
    }
};

TEST_F(Staging, AModuleTakesItsWholeReleaseFolderAndCountsWhatItCopies)
{
    Stage(Record(L"Office", L"Modules\\Office"));

    EXPECT_TRUE(Staged(L"Modules\\Office\\setup.exe"));
    EXPECT_TRUE(Staged(L"Modules\\Office\\Data\\inner.app"));
    EXPECT_TRUE(fs::is_directory(Host(m_installs + L"Modules\\Office\\Empty")));
    EXPECT_TRUE(LogContains(L"        # Files: 3"));
    EXPECT_TRUE(LogContains(L"  # Directories: 2"));
}

TEST_F(Staging, ApplicationsAndDriversTakeOnlyTheirPackagesAndOtherPartsNothing)
{
    Stage(Record(L"Viewer", L"Modules\\Office", L"application"));
    EXPECT_TRUE(Staged(L"Modules\\Office\\office.app"));
    EXPECT_FALSE(Staged(L"Modules\\Office\\setup.exe"));
    EXPECT_FALSE(Staged(L"Modules\\Office\\Data"));

    quen::detail::RunSteps::Prepare(m_installer, L"");
    Stage(Record(L"Chipset", L"Modules\\Office", L"Driver"));
    EXPECT_TRUE(Staged(L"Modules\\Office\\office.app"));
    EXPECT_FALSE(Staged(L"Modules\\Office\\setup.exe"));

    quen::detail::RunSteps::Prepare(m_installer, L"");
    Stage(Record(L"Manual", L"Modules\\Office", L"Document"));
    EXPECT_TRUE(fs::is_empty(Host(m_installs + L"Modules\\Office")));
}

TEST_F(Staging, AMissingSourceThrowsNamingItAndTouchesNothing)
{
    try {
        Stage(Record(L"Ghost", L"Modules\\Ghost"));
        FAIL() << "no exception";
    } catch (const EFileException& e) {
        EXPECT_EQ(e.Message(), L"Source directory doesn't exist.");
        EXPECT_EQ(e.Kind(), EFileException::BadPath);
        EXPECT_EQ(e.Directory(), m_source + L"\\Modules\\Ghost");
    }
    EXPECT_FALSE(Staged(L"Modules"));
}

TEST_F(Staging, EveryReleasePathOutsideItsFolderIsRefusedBeforeTheDiskIsTouched)
{
    WriteFile(m_installs + L"earlier.txt", "staged before");
    WriteFile(L"C:\\Outside\\keep.txt", "keep");
    WriteFile(m_source + L"\\..\\Outside\\keep.txt", "keep");
    const auto installsBefore = Snapshot(Host(m_installs));
    const auto scratchBefore = Snapshot(Host(Dir()));
    const auto outsideBefore = Snapshot(Host(L"C:\\Outside"));

    const std::wstring hostile[] = {
        L"", L"\\", L"\\\\", L"/", L"C:\\Outside", L"C:Outside", L"c:", L"\\\\server\\share", L"//server/share",
        L"\\\\?\\C:\\Outside", L"\\\\.\\C:", L"..", L"..\\Outside", L"Modules\\..\\..\\..\\Outside",
        L"Modules/../../Outside", L".", L".\\Modules", L"Modules\\.", L"Modules\\\\Office", L"Modules\\...\\x",
        L"Modules\\.. \\x", L"Modules\\ \\x", L"Office:stream", std::wstring(L"Mod\0ules", 8), L"Mod\tules",
    };
    for (const std::wstring& path : hostile) {
        try {
            Stage(Record(L"Hostile", path));
            ADD_FAILURE() << "accepted: " << quen::ToUtf8(path);
        } catch (const ELibraryException& e) {
            EXPECT_THAT(e.Message(), HasSubstr(L"Field \"PathToRelease\" of record \"Hostile\""));
            EXPECT_EQ(dynamic_cast<const EFileException*>(&e), nullptr);
        }
    }
    EXPECT_EQ(Snapshot(Host(m_installs)), installsBefore);
    EXPECT_EQ(Snapshot(Host(Dir())), scratchBefore);
    EXPECT_EQ(Snapshot(Host(L"C:\\Outside")), outsideBefore);
    fs::remove_all(Host(L"C:\\Outside"));
}

TEST_F(Staging, AHostileReleasePathIsNotRemovedAfterTheInstallEither)
{
    WriteFile(m_installs + L"earlier.txt", "staged before");
    const CDataTable record = Record(L"Hostile", L"..");
    CModuleInstaller module(&record, &m_installer);
    EXPECT_THROW(module.CleanupAfterInstall(), ELibraryException);
    EXPECT_EQ(ReadFile(m_installs + L"earlier.txt"), "staged before");

    const CDataTable office = Record(L"Office", L"Modules\\Office");
    CModuleInstaller staged(&office, &m_installer);
    staged.CopyToInstallDir();
    staged.CleanupAfterInstall();
    EXPECT_FALSE(Staged(L"Modules\\Office"));
    EXPECT_TRUE(Staged(L"Modules"));
}

TEST_F(Staging, TwoRecordsOfOneReleasePathFromOneSourceAreStagedOnce)
{
    Stage(Record(L"Office", L"Modules\\Office"));
    WriteFile(m_source + L"\\Modules\\Office\\late.txt", "late");
    Stage(Record(L"Office again", L"modules\\OFFICE\\"));

    EXPECT_TRUE(Staged(L"Modules\\Office\\setup.exe"));
    EXPECT_FALSE(Staged(L"Modules\\Office\\late.txt"));
}

TEST_F(Staging, ASplitModuleGathersEveryDiscsPartInItsOneFolder)
{
    // One drive, whose disc changes between the entries.
    fs::remove_all(Host(m_source));
    WriteFile(m_source + L"\\Modules\\Big\\part1.bin", "disc 1");
    const CDataTable record = Record(L"Big", L"Modules\\Big");
    CModuleInstaller first(&record, &m_installer);
    first.SetDisc(1);
    CModuleInstaller second(first);
    second.SetDisc(2);

    first.CopyToInstallDir();
    fs::remove_all(Host(m_source));
    WriteFile(m_source + L"\\Modules\\Big\\part2.bin", "disc 2");
    second.CopyToInstallDir();

    EXPECT_EQ(ReadFile(m_installs + L"Modules\\Big\\part1.bin"), "disc 1");
    EXPECT_EQ(ReadFile(m_installs + L"Modules\\Big\\part2.bin"), "disc 2");
}

TEST_F(Staging, NoEntryRemovesWhatAnEarlierEntryStagedInNestedFolders)
{
    // The inner folder first, then the folder that holds it.
    Stage(Record(L"Office", L"Modules\\Office"));
    fs::remove(Host(m_source + L"\\Modules\\Office\\setup.exe"));
    WriteFile(m_source + L"\\Modules\\readme.txt", "outer");
    Stage(Record(L"All modules", L"Modules"));
    EXPECT_TRUE(Staged(L"Modules\\Office\\setup.exe"));
    EXPECT_TRUE(Staged(L"Modules\\readme.txt"));

    // The outer folder first, then one inside it.
    quen::detail::RunSteps::Prepare(m_installer, L"");
    Stage(Record(L"All modules", L"Modules"));
    fs::remove(Host(m_source + L"\\Modules\\Office\\office.app"));
    Stage(Record(L"Office", L"Modules\\Office"));
    EXPECT_TRUE(Staged(L"Modules\\Office\\office.app"));
    EXPECT_TRUE(Staged(L"Modules\\readme.txt"));
}

TEST_F(Staging, WhatAnEarlierRunLeftIsClearedAndANewRunStagesAgain)
{
    Stage(Record(L"Office", L"Modules\\Office"));
    quen::detail::RunSteps::Prepare(m_installer, L"");  // a new run empties the work area
    WriteFile(m_installs + L"Modules\\Office\\stale.txt", "left by hand");
    Stage(Record(L"Office", L"Modules\\Office"));
    EXPECT_TRUE(Staged(L"Modules\\Office\\setup.exe"));
    EXPECT_FALSE(Staged(L"Modules\\Office\\stale.txt"));
}

}  // namespace
