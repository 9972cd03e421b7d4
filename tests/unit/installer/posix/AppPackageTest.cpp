// The FI's application-and-driver package on a real WIM file made with
// wimlib: staged into its folder, emptied of an earlier run's files but not
// of a module this run staged there, and its first image unpacked.
#include "../RunFixture.h"
#include "fakes/posix/WimBuilder.h"

#include <gmock/gmock.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using quen::test::WimImage;
using ::testing::ElementsAre;

class AppPackage : public quen::test::RunFixture {
protected:
    // Image 1 holds the setup programs; image 2 must stay packed.
    void Package(const std::wstring& path) const
    {
        WimImage apps;
        apps.files = {{"Apps/Camera/setup.exe", "camera"}, {"Drivers/Net/net.inf", "inf"}};
        WimImage other;
        other.files = {{"other.txt", "other"}};
        fs::create_directories(Host(path).parent_path());
        quen::test::WriteWim(Host(path), {apps, other});
    }

    std::vector<std::string> Names(const std::wstring& folder) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(Host(folder)))
            names.push_back(fs::relative(entry.path(), Host(folder)).generic_string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(AppPackage, ThePackageReplacesAnEarlierRunsFilesAndItsFirstImageIsUnpacked)
{
    NewRun(true);
    AddApplication();
    Package(Drive() + L"\\FI\\Apps\\ABCDEFGHIJ.app");
    WriteFile(Installs() + L"FI\\Apps\\earlier.txt", "earlier");
    CCopyList list;
    ASSERT_TRUE(Run::CreateCopyList(*m_run, list));

    EXPECT_TRUE(Run::CopyFiles(*m_run, list));

    EXPECT_THAT(Names(Installs() + L"FI\\Apps"), ElementsAre("ABCDEFGHIJ.app"));
    EXPECT_THAT(Names(Folders(*m_run).ExtractDir()),
                ElementsAre("Apps", "Apps/Camera", "Apps/Camera/setup.exe", "Drivers", "Drivers/Net",
                            "Drivers/Net/net.inf"));
    EXPECT_EQ(m_progressEvents, 1);
}

TEST_F(AppPackage, AModuleStagedEarlierInTheFIsFolderIsKept)
{
    // On discs the FI may come after a module of an earlier disc.
    NewRun(false);
    AddApplication();
    WriteFile(DiscFolder(1) + L"\\FI\\Apps\\Extra\\data.txt", "data");
    Package(DiscFolder(2) + L"\\FI\\Apps\\ABCDEFGHIJ.app");
    CModuleInstaller& extra = AddModule(L"Extra", L"FI\\Apps\\Extra");
    extra.SetDisc(1);
    auto fi = std::make_unique<CCopyAppsAndDrivers>(m_run.get());
    fi->SetDisc(2);
    CCopyList list;
    list.Add(extra);
    list.Add(std::move(fi));
    Insert(1);

    EXPECT_TRUE(Run::CopyFiles(*m_run, list));

    EXPECT_EQ(ReadFile(Installs() + L"FI\\Apps\\Extra\\data.txt"), "data");
    EXPECT_TRUE(fs::exists(Host(Installs() + L"FI\\Apps\\ABCDEFGHIJ.app")));
}

}  // namespace
