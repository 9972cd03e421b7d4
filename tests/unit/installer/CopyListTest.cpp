// The copy list: the FI's entry and the modules, where the recovery-media
// description (beside or above the database) says each lies, a duplicate per
// further disc of a split module, and the order by disc.
#include "RunFixture.h"

#include <gmock/gmock.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

class CopyList : public quen::test::RunFixture {
protected:
    void Description(const std::string& discs, const std::wstring& folder = L"Recovery\\Data\\") const
    {
        WriteFile(Dir() + folder + L"qenhdrcv.ini", "[QRD]\n" + discs);
    }

    bool Build(CCopyList& list) { return Run::CreateCopyList(*m_run, list); }

    // Each entry as "label@disc", in list order.
    static std::vector<std::wstring> Entries(const CCopyList& list)
    {
        std::vector<std::wstring> entries;
        for (const IModuleToCopy* entry : list)
            entries.push_back(entry->CustomerLabel() + L"@" + std::to_wstring(entry->GetDisc()));
        return entries;
    }
};

TEST_F(CopyList, FromAHardDiskTheFIComesFirstThenTheModulesInTheirOrderWithoutDiscs)
{
    NewRun(true);
    AddApplication();
    AddModule(L"Office", L"Modules\\Office");
    AddModule(L"Tools", L"Modules\\Tools");

    CCopyList list;
    EXPECT_TRUE(Build(list));

    EXPECT_THAT(Entries(list), ElementsAre(L"Foundation@-1", L"Office@-1", L"Tools@-1"));
    EXPECT_THAT(m_requests, IsEmpty());
    // The package is named by the first ten characters of the BLID, or by
    // all of a shorter one.
    const auto* fi = dynamic_cast<CCopyAppsAndDrivers*>(list[0]);
    ASSERT_NE(fi, nullptr);
    EXPECT_EQ(fi->AppFileName(), L"ABCDEFGHIJ.app");
    NewRun(true, FIRecord(L"FI\\Apps", L"ABCD"));
    EXPECT_EQ(CCopyAppsAndDrivers(m_run.get()).AppFileName(), L"ABCD.app");
}

TEST_F(CopyList, OnDiscsEntriesAreSortedByDiscAndASplitModuleGetsADuplicatePerFurtherDisc)
{
    Description("Disc3 = Modules\\Big\\part2 ; FI\\Apps\n"
                "Disc2 = Modules\\Office ; FI\\Apps\n"
                "Disc1 = Modules\\Big\\part1\n");
    NewRun(false);
    Insert(1);
    AddApplication();
    CModuleInstaller& big = AddModule(L"Big", L"Modules\\Big");
    AddModule(L"Office", L"Modules\\Office");

    CCopyList list;
    EXPECT_TRUE(Build(list));

    // The FI takes the first disc the description names, and only that one;
    // entries of one disc keep no particular order.
    const std::vector<std::wstring> entries = Entries(list);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_THAT(std::vector<std::wstring>(entries.begin(), entries.begin() + 2), ElementsAre(L"Big@1", L"Office@2"));
    EXPECT_THAT(std::vector<std::wstring>(entries.begin() + 2, entries.end()),
                UnorderedElementsAre(L"Foundation@3", L"Big@3"));
    EXPECT_NE(list[0], &big);
    EXPECT_EQ(big.GetDisc(), 3);
}

TEST_F(CopyList, TheFIIsFoundByItsFolderOrPackageAndOnNoDiscFailsTheListOnlyWhenThereAreApplications)
{
    Description("Disc1 = Modules\\Office\n"
                "Disc2 = FI\\Apps\\ABCDEFGHIJ.app\n");
    NewRun(false);
    Insert(1);
    AddApplication();
    AddModule(L"Lost", L"Modules\\Lost");
    AddModule(L"Office", L"Modules\\Office");
    CCopyList byPackage;
    EXPECT_TRUE(Build(byPackage));
    EXPECT_THAT(Entries(byPackage), ElementsAre(L"Office@1", L"Foundation@2"));

    // Above the database when not beside it.
    fs::remove(Host(Dir() + L"Recovery\\Data\\qenhdrcv.ini"));
    Description("Disc1 = Modules\\Office\n", L"Recovery\\");
    NewRun(false);
    AddModule(L"Office", L"Modules\\Office");
    CCopyList withoutApps;
    EXPECT_TRUE(Build(withoutApps));
    EXPECT_THAT(Entries(withoutApps), ElementsAre(L"Office@1"));
    AddApplication();
    CCopyList withApps;
    EXPECT_FALSE(Build(withApps));
    EXPECT_EQ(withApps.Size(), 0u);
}

}  // namespace
