// Staging a module: its release folder copied from the source into its
// folder below the installs folder, what each part type takes, the record
// paths that are refused before anything is touched, and how entries of one
// run share what they staged.
#include "ModuleFixture.h"
#include "fakes/Thrown.h"

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

    void Stage(const CDataTable& record)
    {
        CModuleInstaller module(&record, &m_installer);
        module.CopyToInstallDir();
    }

    const std::wstring m_installs = WorkRoot() + L"Installs\\";

    bool Staged(const std::wstring& relative) const { return fs::exists(Host(m_installs + relative)); }

    // Every file and folder below a host folder, with the files' content.
    static std::map<std::string, std::string> Snapshot(const fs::path& folder)
    {
        std::map<std::string, std::string> tree;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            std::ostringstream content;
            if (entry.is_regular_file())
                content << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            tree[fs::relative(entry.path(), folder).generic_string()] = content.str();
        }
        return tree;
    }
};

TEST_F(Staging, AModuleTakesItsWholeReleaseFolderApplicationsAndDriversTheirPackagesOtherPartsNothing)
{
    const struct {
        const wchar_t* part;
        bool whole;
        bool package;
    } cases[] = {
        {L"Module", true, true},
        {L"application", false, true},
        {L"Driver", false, true},
        {L"Document", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(quen::ToUtf8(c.part));
        quen::detail::RunSteps::Prepare(m_installer, L"");
        Stage(Record(L"Office", L"Modules\\Office", c.part));
        EXPECT_EQ(Staged(L"Modules\\Office\\setup.exe"), c.whole);
        EXPECT_EQ(Staged(L"Modules\\Office\\Data\\inner.app"), c.whole);
        EXPECT_EQ(Staged(L"Modules\\Office\\Empty"), c.whole);
        EXPECT_EQ(Staged(L"Modules\\Office\\office.app"), c.package);
    }
}

TEST_F(Staging, AMissingSourceThrowsNamingItAndTouchesNothing)
{
    const auto e = quen::test::Thrown<EFileException>([&] { Stage(Record(L"Ghost", L"Modules\\Ghost")); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Kind(), EFileException::BadPath);
    EXPECT_EQ(e->Directory(), m_source + L"\\Modules\\Ghost");
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
        EXPECT_THAT(quen::test::ThrownMessage<ELibraryException>([&] { Stage(Record(L"Hostile", path)); }),
                    HasSubstr(L"Field \"PathToRelease\" of record \"Hostile\""))
            << quen::ToUtf8(path);
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

TEST_F(Staging, TwoRecordsOfOneReleasePathFromOneSourceAreStagedOnceUntilANewRunEmptiesTheWorkArea)
{
    Stage(Record(L"Office", L"Modules\\Office"));
    WriteFile(m_source + L"\\Modules\\Office\\late.txt", "late");
    Stage(Record(L"Office again", L"modules\\OFFICE\\"));
    EXPECT_TRUE(Staged(L"Modules\\Office\\setup.exe"));
    EXPECT_FALSE(Staged(L"Modules\\Office\\late.txt"));

    quen::detail::RunSteps::Prepare(m_installer, L"");
    WriteFile(m_installs + L"Modules\\Office\\stale.txt", "left by hand");
    Stage(Record(L"Office", L"Modules\\Office"));
    EXPECT_TRUE(Staged(L"Modules\\Office\\late.txt"));
    EXPECT_FALSE(Staged(L"Modules\\Office\\stale.txt"));
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

}  // namespace
