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

class AppPackage : public quen::test::RunFixture {
protected:
    // Image 1 holds the setup programs; image 2 must stay packed.
    void Package(const std::wstring& source) const
    {
        WimImage apps;
        apps.files = {{"Apps/Camera/setup.exe", "camera"}};
        WimImage other;
        other.files = {{"other.txt", "other"}};
        fs::create_directories(Host(source + L"\\FI\\Apps"));
        quen::test::WriteWim(Host(source + L"\\FI\\Apps\\ABCDEFGHIJ.app"), {apps, other});
    }
};

TEST_F(AppPackage, ThePackageReplacesAnEarlierRunsFilesButNotAModuleStagedEarlierAndItsFirstImageIsUnpacked)
{
    // On discs the FI may come after a module of an earlier disc.
    NewRun(false);
    AddApplication();
    WriteFile(DiscFolder(1) + L"\\FI\\Apps\\Extra\\data.txt", "data");
    Package(DiscFolder(2));
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
    EXPECT_EQ(ReadFile(Folders(*m_run).ExtractDir() + L"Apps\\Camera\\setup.exe"), "camera");
    EXPECT_FALSE(fs::exists(Host(Folders(*m_run).ExtractDir() + L"other.txt")));

    // Alone in its folder, it replaces what an earlier run left there.
    NewRun(true);
    Package(Drive());
    WriteFile(Installs() + L"FI\\Apps\\earlier.txt", "earlier");
    CCopyList alone;
    alone.Add(std::make_unique<CCopyAppsAndDrivers>(m_run.get()));
    EXPECT_TRUE(Run::CopyFiles(*m_run, alone));
    EXPECT_FALSE(fs::exists(Host(Installs() + L"FI\\Apps\\earlier.txt")));
    EXPECT_TRUE(fs::exists(Host(Installs() + L"FI\\Apps\\ABCDEFGHIJ.app")));
}

}  // namespace
