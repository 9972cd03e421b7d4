// Whole runs on real files and real WIM packages: from a recovery folder,
// and from three recovery discs read through one drive letter that the
// host's media callback points at the disc it is asked for.
#include "WholeRunFixture.h"

#include <gmock/gmock.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using quen::test::DiscRun;
using quen::test::RunHost;
using quen::test::WholeRun;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

TEST_F(WholeRun, FromARecoveryFolderEveryKindOfModuleIsInstalledAndEachStepReported)
{
    const std::wstring source = Source();
    WriteFIPackage(source + L"\\FI");
    WriteFile(source + L"\\Modules\\Tool\\tool.txt", "1.2.3\r\n");
    WriteModulePackage(source + L"\\Modules\\Pack", "R-1");
    const auto installer = FolderInstaller();
    RunHost host(*installer);

    CDataTableList apps;
    apps.Add(App(L"Camera", L"Apps\\Camera", L"Application"));
    apps.Add(App(L"Reader", L"Apps\\Reader", L"Application"));
    apps.Add(App(L"QuenNet", L"Drivers\\Net", L"Driver"));
    CDataTableList modules;
    CDataTable tool = CopyModule(L"Tool", L"Modules\\Tool");
    tool.SetField(IniFields::VersionPath, Dir() + L"Target\\Tool\\tool.txt");
    tool.SetField(IniFields::VerCheckAfter, L"1.2.3");
    modules.Add(tool);
    modules.Add(PackModule());
    WriteFile(source + L"\\Modules\\Data\\data.bin", "data");
    CDataTable data = Record(L"Data", L"Modules\\Data");
    data.SetField(IdfFields::InstallerType, L"Data");
    modules.Add(data);
    RunToEnd(*installer, apps, modules);

    // The FI package and 3 modules staged, 3 applications and 3 modules installed.
    EXPECT_THAT(host.Events(L"progress"), ElementsAreArray(Progress(10)));
    EXPECT_THAT(host.Events(L"status"),
                ElementsAre(L"status 0 ", L"status 1 ", L"status 2 Camera", L"status 2 Reader", L"status 2 QuenNet",
                            L"status 2 Tool", L"status 2 Pack", L"status 2 Pack"));
    EXPECT_THAT(host.Events(L"failed"), ElementsAre(L"failed Reader 3"));
    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 0 "));

    EXPECT_EQ(ReadFile(Dir() + L"Target\\Tool\\tool.txt"), "1.2.3\r\n");
    EXPECT_FALSE(LogContains(L"Verify Version returned 4"));
    EXPECT_EQ(ReadFile(L"C:\\Windows\\Drivers\\Inf\\QuenNet\\net.inf"), "[Version]\r\n");
    for (const wchar_t* labelAndPart : {L"Camera P100", L"Reader P100", L"QuenNet P100", L"Tool P100", L"Pack P100"})
        EXPECT_TRUE(Recorded(labelAndPart)) << labelAndPart;
    EXPECT_FALSE(Recorded(L"Data P100"));
    EXPECT_TRUE(LogContains(L"ExecuteProgram returned: 0"));
    EXPECT_FALSE(WorkAreaExists());
}

TEST_F(WholeRun, EachModuleReachedReportsWhatBecameOfItOnceAndLongStepsReportTheirBytes)
{
    const std::wstring source = Source();
    WriteFIPackage(source + L"\\FI");
    WriteFile(source + L"\\Modules\\Tool\\tool.txt", std::string(3 << 20, 'x'));
    WriteModulePackage(source + L"\\Modules\\Pack", "R-1");
    WriteFile(source + L"\\Modules\\Data\\data.bin", "data");
    fs::create_directories(Host(source + L"\\Modules\\Empty"));
    const auto installer = FolderInstaller();
    RunHost host(*installer);

    CDataTableList apps;
    apps.Add(App(L"Camera", L"Apps\\Camera", L"Application"));
    apps.Add(App(L"Reader", L"Apps\\Reader", L"Application"));
    CDataTableList modules;
    CDataTable tool = CopyModule(L"Tool", L"Modules\\Tool");
    tool.SetField(IniFields::VersionPath, Dir() + L"Target\\Tool\\tool.txt");
    tool.SetField(IniFields::VerCheckAfter, L"9.9");
    modules.Add(tool);
    CDataTable pack = PackModule();
    pack.SetField(IdfFields::ReleaseID_Rel, L"R-2");
    modules.Add(pack);
    CDataTable empty = PackModule();
    empty.SetField(IdfFields::CustomerLabel, L"Empty");
    empty.SetField(IdfFields::PathToRelease, L"Modules\\Empty");
    modules.Add(empty);
    CDataTable data = Record(L"Data", L"Modules\\Data");
    data.SetField(IdfFields::InstallerType, L"Data");
    modules.Add(data);
    RunToEnd(*installer, apps, modules);

    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 0 "));
    EXPECT_THAT(host.Outcomes(), ElementsAre(L"outcome Camera 0", L"outcome Reader 1 3", L"outcome Tool 6 4",
                                             L"outcome Pack 4 R-2 R-1", L"outcome Empty 3", L"outcome Data 2"));

    // The tool's folder, 3 MiB, is copied in steps that end at its size; the
    // FI package is copied, then unpacked, each from 0 to its whole.
    const std::vector<RunHost::Detail> details = host.Details();
    const auto steps = [&](const std::wstring& ending) {
        std::vector<RunHost::Detail> chosen;
        for (const RunHost::Detail& d : details) {
            if (d.item.size() >= ending.size() && d.item.compare(d.item.size() - ending.size(), ending.size(), ending) == 0)
                chosen.push_back(d);
        }
        return chosen;
    };
    const std::vector<RunHost::Detail> toolCopy = steps(L"Modules\\Tool\\");
    ASSERT_GE(toolCopy.size(), 2u);
    EXPECT_EQ(toolCopy.front().done, 0u);
    EXPECT_EQ(toolCopy.back().done, uint64_t{3} << 20);
    for (std::size_t i = 0; i < toolCopy.size(); ++i) {
        EXPECT_EQ(toolCopy[i].total, uint64_t{3} << 20);
        if (i > 0) {
            EXPECT_GE(toolCopy[i].done, toolCopy[i - 1].done);
        }
    }
    const std::vector<RunHost::Detail> package = steps(L"QUENFI0001.app");
    ASSERT_GE(package.size(), 3u);
    EXPECT_EQ(package.back().done, package.back().total);
    EXPECT_GT(package.back().total, 0u);
}

TEST_F(WholeRun, AHostThatThrowsFromDetailProgressEndsTheRunWithItsExceptionAndNothingHalfStaged)
{
    WriteFIPackage(Source() + L"\\FI");
    const auto installer = FolderInstaller();
    RunHost host(*installer);
    // Thrown from inside the unpack, which the image library drives.
    host.onDetail = [](const RunHost::Detail& detail) {
        if (detail.done > 0 && detail.item.find(L"QUENFI0001.app") != std::wstring::npos)
            throw ELibraryException(L"The dashboard went away.", L".\\Host", 1);
    };
    CDataTableList apps;
    apps.Add(App(L"Camera", L"Apps\\Camera", L"Application"));
    RunToEnd(*installer, apps, CDataTableList());
    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 1 The dashboard went away."));
    EXPECT_THAT(host.Outcomes(), IsEmpty());
    EXPECT_FALSE(WorkAreaExists());
}

TEST_F(DiscRun, EachDiscIsAskedForOnceInOrderAndASplitModuleComesTogether)
{
    auto installer = DiscInstaller();
    RunHost host(*installer);
    AnswerEveryRequest(host);
    RunToEnd(*installer, m_apps, m_modules);

    EXPECT_THAT(host.Events(L"media"), ElementsAre(L"media 1", L"media 2"));
    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 0 "));
    EXPECT_EQ(ReadFile(Dir() + L"Target\\Split\\Part1\\a.txt"), "a");
    EXPECT_EQ(ReadFile(Dir() + L"Target\\Split\\Part2\\b.txt"), "b");
    // Installed while the drive held disc 3: from what was staged of disc 1.
    EXPECT_EQ(ReadFile(Dir() + L"Target\\Tool\\tool.txt"), "tool");
    EXPECT_THAT(host.Events(L"failed"), IsEmpty());
    // The FI package, 3 modules and the split module's second disc staged,
    // 1 application and 3 modules installed: never above 100 %.
    EXPECT_THAT(host.Events(L"progress"), ElementsAreArray(Progress(9)));
}

TEST_F(DiscRun, AModuleThatNoDiscHoldsIsReportedNotStaged)
{
    m_modules.Add(CopyModule(L"Lost", L"Modules\\Lost"));
    auto installer = DiscInstaller();
    RunHost host(*installer);
    AnswerEveryRequest(host);
    RunToEnd(*installer, m_apps, m_modules);
    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 0 "));
    EXPECT_THAT(host.Outcomes(), ElementsAre(L"outcome Camera 0", L"outcome Split 0", L"outcome Pack 0",
                                             L"outcome Tool 0", L"outcome Lost 5"));
}

TEST_F(DiscRun, ADiscDeclinedWhileTheListIsMadeOrCopiedEndsTheRunCancelledOnce)
{
    // The first disc, asked for before the list is made.
    Insert(2);
    auto first = DiscInstaller();
    {
        RunHost host(*first);
        RunToEnd(*first, m_apps, m_modules);
        EXPECT_THAT(host.Events(L"media"), ElementsAre(L"media 0"));
        EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 2 "));
        EXPECT_THAT(host.Events(L"status"), ElementsAre(L"status 0 "));
    }

    // The third disc, asked for during the copy.
    Insert(1);
    auto second = DiscInstaller();
    RunHost host(*second);
    host.mediaAnswer = [this](int index) {
        if (index == 2)
            return false;
        Insert(index + 1);
        return true;
    };
    RunToEnd(*second, m_apps, m_modules);
    EXPECT_THAT(host.Events(L"media"), ElementsAre(L"media 1", L"media 2"));
    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 2 "));
    EXPECT_FALSE(fs::exists(Host(Dir() + L"Target")));
    EXPECT_TRUE(LogContains(L"[CInstaller] Giving the machine back."));
    EXPECT_FALSE(WorkAreaExists());
}

TEST_F(DiscRun, AnFIOnNoDiscOrMissingFromItsFolderEndsTheRunAsFailedOnce)
{
    WriteFile(Dir() + L"Data\\qenhdrcv.ini", "[QRD]\r\nDisc1=Modules\\Tool\r\n");
    auto nowhere = DiscInstaller();
    {
        RunHost host(*nowhere);
        RunToEnd(*nowhere, m_apps, m_modules);
        EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 1 Unable to find disc containing FI!"));
    }

    fs::remove(Host(Disc(1) + L"\\FI\\QUENFI0001.app"));
    WriteFile(Dir() + L"Data\\qenhdrcv.ini", "[QRD]\r\nDisc1=FI;Modules\\Tool\r\n");
    auto missing = DiscInstaller();
    RunHost host(*missing);
    RunToEnd(*missing, m_apps, m_modules);
    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 1 FI app file not found."));
    EXPECT_FALSE(WorkAreaExists());
}

TEST_F(WholeRun, AHostileFIRecordEndsTheRunBeforeAnythingOutsideIsTouched)
{
    const std::wstring source = Dir() + L"Recovery";
    WriteFile(Dir() + L"keep.app", "keep");
    for (const CDataTable& fi : {FI(L"..\\..", L"QUENFI0001"), FI(L"FI", L"..\\..\\keep")}) {
        CInstallDB db(source + L"\\image.json", CDataTable(), fi, CDataTableList(), CDataTableList());
        CInstaller installer(db);
        installer.SetFlags(true, false);
        installer.SetPaths(&source, &source, nullptr, nullptr);
        fs::create_directories(Host(source + L"\\FI"));
        RunHost host(installer);
        CDataTableList apps;
        apps.Add(App(L"Camera", L"Apps\\Camera", L"Application"));
        RunToEnd(installer, apps, CDataTableList());
        const std::vector<std::wstring> finished = host.Events(L"finished");
        ASSERT_EQ(finished.size(), 1u);
        EXPECT_EQ(finished[0].rfind(L"finished 1 ", 0), 0u) << finished[0];
    }
    EXPECT_EQ(ReadFile(Dir() + L"keep.app"), "keep");
}

TEST_F(WholeRun, AHostThatExitsRightAfterDestroyingItsInstallerFromACallbackLeavesNoWorkArea)
{
    fs::create_directories(Host(Source()));
    const pid_t child = ::fork();
    if (child == 0) {
        // The host destroys its installer at the end of the run and returns
        // from main at once, while the run's clean-up is still to come.
        CInstaller* installer = FolderInstaller().release();
        RunHost host(*installer);
        std::promise<void> destroyed;
        host.onEvent = [&](const std::wstring& line) {
            if (line != L"finished 0 ")
                return;
            delete installer;
            destroyed.set_value();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        };
        const std::wstring media = L"QRD";
        if (!installer->Install(&media, CDataTableList(), CDataTableList()))
            ::_exit(2);
        destroyed.get_future().wait();
        std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(fs::exists(Host(WorkRoot())));
}

}  // namespace
