// Whole runs on real files and real WIM packages: from a recovery folder,
// and from three recovery discs read through one drive letter that the
// host's media callback points at the disc it is asked for.
#include "WholeRunFixture.h"
#include "fakes/TestMachine.h"

#include <gmock/gmock.h>

#include <chrono>
#include <cstdlib>
#include <algorithm>
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

// The log's lines are the system's own texts: this run's whole log, with the
// scratch folder and the machine root masked, must match the golden file.
TEST_F(WholeRun, FromARecoveryFolderEveryKindOfModuleIsInstalledEachStepReportedAndLoggedAsTheGoldenLog)
{
    const std::wstring source = Source();
    WriteFIPackage(source + L"\\FI");
    WriteFile(source + L"\\Modules\\Tool\\tool.txt", "1.2.3\r\n");
    WriteModulePackage(source + L"\\Modules\\Pack");
    WriteFile(source + L"\\Modules\\Data\\data.bin", "data");
    WriteFile(source + L"\\Modules\\Odd\\odd.msi", "msi");
    WriteFile(source + L"\\Modules\\Stale\\tool.txt", "1.0");
    const auto installer = FolderInstaller();

    CDataTableList apps;
    apps.Add(App(L"Camera", L"Apps\\Camera", L"Application"));
    apps.Add(App(L"Reader", L"Apps\\Reader", L"Application"));
    apps.Add(App(L"QuenNet", L"Drivers\\Net", L"Driver"));
    CDataTableList modules;
    CDataTable tool = CopyModule(L"Tool", L"Modules\\Tool");
    tool.SetField(IniFields::VersionPath, Dir() + L"Target\\Tool\\tool.txt");
    tool.SetField(IniFields::VerCheckAfter, L"1.2.3");
    modules.Add(tool);
    CDataTable stale = CopyModule(L"Stale", L"Modules\\Stale");
    stale.SetField(IniFields::VersionPath, Dir() + L"Target\\Stale\\tool.txt");
    stale.SetField(IniFields::VerCheckAfter, L"9.9");
    modules.Add(stale);
    modules.Add(App(L"Pack", L"Modules\\Pack", L"Module"));
    CDataTable data = Record(L"Data", L"Modules\\Data");
    data.SetField(IdfFields::InstallerType, L"Data");
    modules.Add(data);
    CDataTable odd = Record(L"Odd", L"Modules\\Odd");
    odd.SetField(IdfFields::InstallerType, L"MSI");
    modules.Add(odd);
    const auto log = std::make_shared<CMemoryLogSink>();
    CLoggingFactory::AddSink(log);
    RunToEnd(*installer, apps, modules);
    CLoggingFactory::RemoveSink(log);

    // The log names every event fired, with its figures, and each registry
    // record written; the files show what was installed.
    EXPECT_EQ(ReadFile(Dir() + L"Target\\Tool\\tool.txt"), "1.2.3\r\n");
    EXPECT_EQ(ReadFile(L"C:\\Windows\\Drivers\\Inf\\QuenNet\\net.inf"), "[Version]\r\n");
    EXPECT_FALSE(WorkAreaExists());
    quen::test::ExpectGolden(quen::test::MaskedLog(log->Records(), {{Dir(), L"<scratch>\\"},
                                                                    {quen::test::PathText(HostRoot()), L"<root>"}}),
                             "whole-run.log");
}

TEST_F(DiscRun, EachDiscIsAskedForOnceInOrderASplitModuleComesTogetherAndOneOnNoDiscIsReportedNotStagedButAnFIOnNoneFailsTheRun)
{
    m_modules.Add(CopyModule(L"Lost", L"Modules\\Lost"));
    WriteFile(Disc(1) + L"\\Modules\\Tool\\big.bin", std::string(3 << 20, 'x'));
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
    EXPECT_THAT(host.Outcomes(), ElementsAre(L"outcome Camera 0", L"outcome Split 0", L"outcome Pack 0",
                                             L"outcome Tool 0", L"outcome Lost 5"));
    // The FI package, 3 modules and the split module's second disc staged,
    // 1 application and 4 modules installed: never above 100 %.
    EXPECT_THAT(host.Events(L"progress"), ElementsAreArray(Progress(10)));

    // The tool's folder is copied in steps that rise from 0 to its size.
    std::vector<uint64_t> toolSteps;
    for (const RunHost::Detail& d : host.Details()) {
        if (d.item.ends_with(L"Modules\\Tool\\"))
            toolSteps.push_back(d.done);
    }
    ASSERT_GE(toolSteps.size(), 2u);
    EXPECT_EQ(toolSteps.front(), 0u);
    EXPECT_TRUE(std::is_sorted(toolSteps.begin(), toolSteps.end()));
    EXPECT_GT(toolSteps.back(), uint64_t{3} << 20);

    // With the FI on no disc, the run fails before it copies anything.
    WriteFile(Dir() + L"Data\\qenhdrcv.ini", "[QRD]\r\nDisc1=Modules\\Tool\r\n");
    fs::remove_all(Host(Dir() + L"Target"));
    Insert(1);
    auto nowhere = DiscInstaller();
    RunHost second(*nowhere);
    RunToEnd(*nowhere, m_apps, m_modules);
    EXPECT_THAT(second.Events(L"finished"), ElementsAre(L"finished 1 Unable to find disc containing FI!"));
    EXPECT_FALSE(fs::exists(Host(Dir() + L"Target")));
    EXPECT_FALSE(WorkAreaExists());
}

// The host destroys its installer at the end of the run and returns from
// main at once, while the run's clean-up is still to come: the exit waits.
TEST_F(WholeRun, AHostThatExitsRightAfterDestroyingItsInstallerFromACallbackLeavesNoWorkArea)
{
    fs::create_directories(Host(Source()));
    const pid_t child = ::fork();
    if (child == 0) {
        CInstaller* installer = FolderInstaller().release();
        RunHost host(*installer);
        std::promise<void> destroyed;
        host.onEvent = [&](const std::wstring& line) {
            if (line == L"finished 0 ") {
                delete installer;
                destroyed.set_value();
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            }
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
