// The staging copy: every entry of the copy list put into the work area in
// order, its disc asked for and weighed first, a cancel honoured between
// entries, and the FI's package refused before anything is touched when its
// record names a place outside the folders.
#include "RunFixture.h"


#include <gmock/gmock.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class StagingCopy : public quen::test::RunFixture {
protected:
    bool Staged(const std::wstring& relative) const { return fs::exists(Host(Installs() + relative)); }

    // Part1 to PartN, one on each disc, disc n's holding 4 * n bytes; disc 1
    // in the drive.
    CCopyList Parts(int discs)
    {
        CCopyList list;
        for (int disc = 1; disc <= discs; ++disc) {
            const std::wstring name = L"Part" + std::to_wstring(disc);
            WriteFile(DiscFolder(disc) + L"\\Modules\\" + name + L"\\data.txt", std::string(4 * disc, 'd'));
            CModuleInstaller& module = AddModule(name, L"Modules\\" + name);
            module.SetDisc(disc);
            list.Add(module);
        }
        Insert(1);
        return list;
    }
};

TEST_F(StagingCopy, EachDiscIsAskedForInTurnADeclinedOneEndsTheCopyCancelledAndACancelBeforeTheFirstCopiesNothing)
{
    NewRun(false);
    CCopyList list = Parts(3);
    m_host = [](int index) { return index < 2 ? index + 1 : 0; };

    EXPECT_FALSE(Run::CopyFiles(*m_run, list));

    EXPECT_THAT(m_requests, ElementsAre(1, 2));
    EXPECT_TRUE(Staged(L"Modules\\Part1\\data.txt"));
    EXPECT_TRUE(Staged(L"Modules\\Part2\\data.txt"));
    EXPECT_FALSE(Staged(L"Modules\\Part3"));
    EXPECT_EQ(m_progressEvents, 2);
    ASSERT_EQ(m_finished.size(), 1u);
    EXPECT_EQ(m_finished[0].status, CInstaller::eStatusCancelled);

    NewRun(false);
    CCopyList cancelled = Parts(1);
    m_run->Cancel();
    EXPECT_TRUE(Run::CopyFiles(*m_run, cancelled));
    EXPECT_FALSE(Staged(L"Modules\\Part1"));
    EXPECT_EQ(m_progressEvents, 2);
}

TEST_F(StagingCopy, EachDiscIsWeighedBeforeItsFirstCopyAndALargerCopyThanFitsFailsNamingBothFigures)
{
    NewRun(true);
    WriteFile(Drive() + L"\\Modules\\Office\\setup.exe", "setup");
    WriteFile(Drive() + L"\\Modules\\Tool\\bin\\data", "data");
    CCopyList list;
    list.Add(AddModule(L"Office", L"Modules\\Office"));
    list.Add(AddModule(L"Tool", L"Modules\\Tool"));
    {
        const quen::test::ScopedFreeSpace nearlyFull(8);
        try {
            Run::CopyFiles(*m_run, list);
            FAIL() << "copied without the space for it";
        } catch (const EFileException& e) {
            EXPECT_THAT(e.Message(), HasSubstr(L"it needs 9 bytes, 8 bytes are free"));
        }
        EXPECT_FALSE(Staged(L"Modules\\Office"));
        EXPECT_EQ(m_progressEvents, 0);
    }
    {
        const quen::test::ScopedFreeSpace justEnough(9);
        EXPECT_TRUE(Run::CopyFiles(*m_run, list));
        EXPECT_TRUE(Staged(L"Modules\\Tool\\bin\\data"));
    }

    // Room for disc 1 only: disc 2 is weighed when it comes in.
    NewRun(false);
    CCopyList discs = Parts(2);
    const quen::test::ScopedFreeSpace roomForDiscOne(5);
    EXPECT_THROW(Run::CopyFiles(*m_run, discs), EFileException);
    EXPECT_TRUE(Staged(L"Modules\\Part1\\data.txt"));
    EXPECT_FALSE(Staged(L"Modules\\Part2"));
}

TEST_F(StagingCopy, AnFIRecordNamingAPlaceOutsideItsFoldersIsRefusedBeforeAnythingIsTouched)
{
    // Each would find a package where the plain joins lead.
    const std::pair<CDataTable, std::wstring> hostile[] = {
        {FIRecord(L"..\\Escape"), L"PathToRelease"},
        {FIRecord(L"FI\\Apps", L"..\\..\\Out"), L"BLID"},
    };
    for (const auto& [fi, field] : hostile) {
        NewRun(true, fi);
        WriteFile(Dir() + L"Escape\\ABCDEFGHIJ.app", "package");
        WriteFile(Drive() + L"\\Out.app", "package");
        CCopyAppsAndDrivers entry(m_run.get());
        try {
            entry.CopyToInstallDir();
            FAIL() << "no exception";
        } catch (const EFileException&) {
            FAIL() << "refused as a missing file, not as a bad path";
        } catch (const ELibraryException& e) {
            EXPECT_THAT(e.Message(), HasSubstr(field));
            EXPECT_THAT(e.Message(), HasSubstr(L"Foundation"));
        }
        EXPECT_FALSE(fs::exists(Host(Installs())) && !fs::is_empty(Host(Installs())));
        EXPECT_FALSE(fs::exists(Host(Installs() + L"..\\Escape")));
    }
}

}  // namespace
