// Whole runs on real files and real WIM packages: from a recovery folder,
// and from three recovery discs read through one drive letter that the
// host's media callback points at the disc it is asked for.
#include "WholeRunFixture.h"
#include "fakes/TestMachine.h"

#include <gmock/gmock.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/syscall.h>
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

// Root reads and writes past permission bits. Without these capabilities, on
// this thread and the threads it starts, it meets them as their owner does,
// as a host that is not root would.
class OwnerRightsOnly {
public:
    OwnerRightsOnly()
    {
        ::syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        ::syscall(SYS_capset, &m_header, reduced);
    }
    ~OwnerRightsOnly() { ::syscall(SYS_capset, &m_header, m_saved); }
    OwnerRightsOnly(const OwnerRightsOnly&) = delete;
    OwnerRightsOnly& operator=(const OwnerRightsOnly&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
};

// Every folder from `top` down 0555 and every file 0444, as on a read-only
// disc, for the guard's life; then the owner's to change again.
class ReadOnlyTree {
public:
    explicit ReadOnlyTree(fs::path top) : m_top(std::move(top)) { Set(true); }
    ~ReadOnlyTree() { Set(false); }
    ReadOnlyTree(const ReadOnlyTree&) = delete;
    ReadOnlyTree& operator=(const ReadOnlyTree&) = delete;

private:
    void Set(bool readOnly) const
    {
        const auto mode = [readOnly](bool folder) {
            return fs::perms(folder ? (readOnly ? 0555 : 0755) : (readOnly ? 0444 : 0644));
        };
        fs::permissions(m_top, mode(true));
        for (const auto& entry : fs::recursive_directory_iterator(m_top))
            fs::permissions(entry.path(), mode(entry.is_directory()));
    }

    fs::path m_top;
};

// The host's standard input, for the guard's life, a pipe that stays open
// and silent: a setup program that shared it would wait on it for ever.
class SilentInput {
public:
    SilentInput()
    {
        EXPECT_EQ(::pipe2(m_pipe, O_CLOEXEC), 0);
        m_saved = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
        ::dup2(m_pipe[0], STDIN_FILENO);
    }
    ~SilentInput()
    {
        ::dup2(m_saved, STDIN_FILENO);
        for (const int fd : {m_saved, m_pipe[0], m_pipe[1]})
            ::close(fd);
    }
    SilentInput(const SilentInput&) = delete;
    SilentInput& operator=(const SilentInput&) = delete;

private:
    int m_pipe[2] = {-1, -1};
    int m_saved = -1;
};

// The log's lines are the system's own texts: this run's whole log, with the
// scratch folder and the machine root masked, must match the golden file.
TEST_F(WholeRun, FromARecoveryFolderEveryKindOfModuleIsInstalledEachStepReportedAndLoggedAsTheGoldenLog)
{
    const std::wstring source = Source();
    WriteFIPackage(source + L"\\FI");
    WriteFile(source + L"\\Modules\\Tool\\tool.txt", "1.2.3\r\n");
    WriteModulePackage(source + L"\\Modules\\Pack", "R-1");
    WriteFile(source + L"\\Modules\\Data\\data.bin", "data");
    WriteFile(source + L"\\Modules\\Odd\\odd.msi", "msi");
    WriteFile(source + L"\\Modules\\Stale\\tool.txt", "1.0");
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
    CDataTable stale = CopyModule(L"Stale", L"Modules\\Stale");
    stale.SetField(IniFields::VersionPath, Dir() + L"Target\\Stale\\tool.txt");
    stale.SetField(IniFields::VerCheckAfter, L"9.9");
    modules.Add(stale);
    modules.Add(PackModule());
    CDataTable data = Record(L"Data", L"Modules\\Data");
    data.SetField(IdfFields::InstallerType, L"Data");
    modules.Add(data);
    CDataTable odd = Record(L"Odd", L"Modules\\Odd");
    odd.SetField(IdfFields::InstallerType, L"MSI");
    modules.Add(odd);
    // No system bus: the run's holds are refused the same way on every machine.
    const char* bus = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string savedBus = bus != nullptr ? bus : "";
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + Host(Dir() + L"no-bus").string()).c_str(), 1);
    const auto log = std::make_shared<CMemoryLogSink>();
    CLoggingFactory::AddSink(log);
    RunToEnd(*installer, apps, modules);
    CLoggingFactory::RemoveSink(log);
    if (bus != nullptr)
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", savedBus.c_str(), 1);
    else
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");

    // The FI package and 5 modules staged, 3 applications and 5 modules installed.
    EXPECT_THAT(host.Events(L"progress"), ElementsAreArray(Progress(14)));
    EXPECT_THAT(host.Events(L"status"),
                ElementsAre(L"status 0 ", L"status 1 ", L"status 2 Camera", L"status 2 Reader", L"status 2 QuenNet",
                            L"status 2 Tool", L"status 2 Stale", L"status 2 Pack", L"status 2 Pack",
                            L"status 2 Odd"));
    EXPECT_THAT(host.Events(L"failed"), ElementsAre(L"failed Reader 3"));
    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 0 "));
    EXPECT_THAT(host.Outcomes(), ElementsAre(L"outcome Camera 0", L"outcome Reader 1 3", L"outcome QuenNet 0",
                                             L"outcome Tool 0", L"outcome Stale 6 4", L"outcome Pack 0",
                                             L"outcome Data 2",
                                             L"outcome Odd 8"));

    EXPECT_EQ(ReadFile(Dir() + L"Target\\Tool\\tool.txt"), "1.2.3\r\n");
    EXPECT_EQ(ReadFile(L"C:\\Windows\\Drivers\\Inf\\QuenNet\\net.inf"), "[Version]\r\n");
    for (const wchar_t* labelAndPart : {L"Camera P100", L"Reader P100", L"QuenNet P100", L"Tool P100", L"Stale P100", L"Pack P100"})
        EXPECT_TRUE(Recorded(labelAndPart)) << labelAndPart;
    EXPECT_FALSE(Recorded(L"Data P100"));
    EXPECT_FALSE(WorkAreaExists());
    quen::test::ExpectGolden(quen::test::MaskedLog(log->Records(), {{Dir(), L"<scratch>\\"},
                                                                    {quen::test::PathText(HostRoot()), L"<root>"}}),
                             "whole-run.log");
}

TEST_F(WholeRun, AMismatchedOrMissingPackageIsReportedWithItsReleaseIDsAndLongStepsReportTheirBytes)
{
    const std::wstring source = Source();
    WriteFIPackage(source + L"\\FI");
    WriteFile(source + L"\\Modules\\Tool\\tool.txt", std::string(3 << 20, 'x'));
    WriteModulePackage(source + L"\\Modules\\Pack", "R-1");
    fs::create_directories(Host(source + L"\\Modules\\Empty"));
    const auto installer = FolderInstaller();
    RunHost host(*installer);

    CDataTableList apps;
    apps.Add(App(L"Camera", L"Apps\\Camera", L"Application"));
    CDataTableList modules;
    modules.Add(CopyModule(L"Tool", L"Modules\\Tool"));
    CDataTable pack = PackModule();
    pack.SetField(IdfFields::ReleaseID_Rel, L"R-2");
    modules.Add(pack);
    CDataTable empty = PackModule();
    empty.SetField(IdfFields::CustomerLabel, L"Empty");
    empty.SetField(IdfFields::PathToRelease, L"Modules\\Empty");
    modules.Add(empty);
    RunToEnd(*installer, apps, modules);

    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 0 "));
    EXPECT_THAT(host.Outcomes(), ElementsAre(L"outcome Camera 0", L"outcome Tool 0", L"outcome Pack 4 R-2 R-1",
                                             L"outcome Empty 3"));

    // The tool's folder, 3 MiB, is copied in steps that rise to its size; the
    // FI package is copied, then unpacked, each from 0 to its whole.
    std::vector<RunHost::Detail> toolSteps;
    std::vector<RunHost::Detail> package;
    for (const RunHost::Detail& d : host.Details()) {
        if (d.item.ends_with(L"Modules\\Tool\\"))
            toolSteps.push_back(d);
        else if (d.item.ends_with(L"QUENFI0001.app"))
            package.push_back(d);
    }
    ASSERT_GE(toolSteps.size(), 2u);
    EXPECT_EQ(toolSteps.front().done, 0u);
    for (std::size_t i = 1; i < toolSteps.size(); ++i)
        EXPECT_GE(toolSteps[i].done, toolSteps[i - 1].done);
    EXPECT_EQ(toolSteps.back().done, uint64_t{3} << 20);
    EXPECT_EQ(toolSteps.back().total, uint64_t{3} << 20);
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

TEST_F(DiscRun, EachDiscIsAskedForOnceInOrderASplitModuleComesTogetherAndOneOnNoDiscIsReportedNotStaged)
{
    m_modules.Add(CopyModule(L"Lost", L"Modules\\Lost"));
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

TEST_F(DiscRun, AWrongDiscAndSetupProgramsThatFloodReadHangOrAreStoppedEachEndAsTheyShouldAndLeaveNoWorkArea)
{
    // Disc 2 is asked for; the host answers that it is in while disc 1
    // stays, then gives the run up from the request itself.
    {
        auto installer = DiscInstaller();
        RunHost host(*installer);
        int requests = 0;
        host.mediaAnswer = [&](int) {
            if (++requests == 3)
                installer->Cancel();
            return true;
        };
        RunToEnd(*installer, m_apps, m_modules);
        EXPECT_THAT(host.Events(L"media"), ElementsAre(L"media 1", L"media 1", L"media 1"));
        EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 2 "));
        EXPECT_FALSE(WorkAreaExists());
    }

    // From a folder: a setup program that prints 1 MB, one that reads its
    // standard input to the end, one that hangs past the timeout, and one
    // that the user stops twice once it has started; the camera's comes after.
    const fs::path started = Host(Dir() + L"started");
    WriteFIPackage(Source() + L"\\FI",
                   {{"Apps/Printer/setup.sh", "#!/bin/sh\nyes 'a line of output' | head -c 1048576\n"},
                    {"Apps/Listener/setup.sh", "#!/bin/sh\ncat > /dev/null\n"},
                    {"Apps/Hang/setup.sh", "#!/bin/sh\nsleep 120\n"},
                    {"Apps/Stopper/setup.sh", "#!/bin/sh\n: > '" + started.string() + "'\nsleep 120\n"}});
    CDataTableList apps;
    for (const wchar_t* label : {L"Printer", L"Listener", L"Hang", L"Stopper", L"Camera"})
        apps.Add(App(label, std::wstring(L"Apps\\") + label, L"Application"));
    const auto installer = FolderInstaller();
    installer->SetSetupTimeout(2);
    RunHost host(*installer);
    const SilentInput input;
    const std::wstring media = L"QRD";
    ASSERT_TRUE(installer->Install(&media, apps, CDataTableList()));
    std::thread user([&] {
        while (!fs::exists(started) && installer->IsRunning())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        installer->CancelNow();
    });
    installer->Wait();
    user.join();

    EXPECT_THAT(host.Outcomes(), ElementsAre(L"outcome Printer 0", L"outcome Listener 0", L"outcome Hang 9 2",
                                             L"outcome Stopper 1 1223"));
    EXPECT_THAT(host.Events(L"failed"), ElementsAre(L"failed Hang 1460", L"failed Stopper 1223"));
    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 2 "));
    // Of the megabyte, the log keeps the first 64 KiB.
    std::size_t printed = 0;
    for (const std::wstring& text : LogTexts()) {
        if (text.rfind(L"[Printer] ", 0) == 0)
            printed += text.size() - 10 + 1;
    }
    EXPECT_GT(printed, 60u * 1024);
    EXPECT_LT(printed, 65u * 1024);
    EXPECT_FALSE(WorkAreaExists());
}

TEST_F(WholeRun, OddButRealInputGivesEachModuleItsPlainOutcomeAndLeavesNoWorkArea)
{
    const std::wstring source = Source();
    // A setup program that leaves names no Windows path spells, in its own
    // folder and at the work area's root (it fails when that is not there).
    const std::string leaver =
        "#!/bin/sh\n[ -d ../../../Installs ] || exit 5\n"
        "for d in . ../../..; do\n"
        "  for n in 'install-12:30.log' 'a?b' 'star*' \"$(printf 'tab\\tname')\" 'x\\y' \"$(printf 'bad\\377')\"; do\n"
        "    echo left > \"$d/$n\"\n  done\n"
        "  mkdir -p \"$d/x\" \"$d/odd:dir\" && echo real > \"$d/x/y\" && echo left > \"$d/odd:dir/a?b\"\n"
        "done\n";
    WriteFIPackage(source + L"\\FI", {{"Apps/Leaver/setup.sh", leaver}});
    WriteFile(source + L"\\Modules\\Tool\\tool.txt", "tool");
    WriteFile(source + L"\\Modules\\Odd\\odd.msi", "msi");
    WriteFile(source + L"\\Modules\\Stale\\tool.txt", "1.0");
    WriteModulePackage(source + L"\\Modules\\Pack", "R-1");
    quen::test::ToggleHeader(Host(source + L"\\Modules\\Pack\\pack.mod"));
    CRegistry::SetString(ERegistryRoot::LocalMachine, L"SOFTWARE\\Quen Test\\Tool", L"Version", L"2.5");

    CDataTableList apps;
    apps.Add(App(L"Leaver", L"Apps\\Leaver", L"Application"));
    CDataTableList modules;
    CDataTable tool = CopyModule(L"Tool", L"Modules\\Tool");
    tool.SetField(IniFields::VersionPath, L"HKLM\\SOFTWARE\\Quen Test\\Tool\\Version");
    tool.SetField(IniFields::VerCheckAfter, L"2.5");
    modules.Add(tool);
    CDataTable odd = Record(L"Odd", L"Modules\\Odd");
    odd.SetField(IdfFields::InstallerType, L"MSI");
    modules.Add(odd);
    modules.Add(PackModule());
    const auto installer = FolderInstaller();
    RunHost host(*installer);
    {
        const ReadOnlyTree disc(Host(source));
        const OwnerRightsOnly notRoot;
        RunToEnd(*installer, apps, modules);
    }

    EXPECT_THAT(host.Events(L"finished"), ElementsAre(L"finished 0 "));
    EXPECT_THAT(host.Outcomes(),
                ElementsAre(L"outcome Leaver 0", L"outcome Tool 0", L"outcome Odd 8", L"outcome Pack 0"));
    EXPECT_EQ(ReadFile(Dir() + L"Target\\Tool\\tool.txt"), "tool");
    EXPECT_FALSE(WorkAreaExists());
}

}  // namespace
