// Whole runs from three recovery discs on a failing machine: one file-system
// operation made to fail (a clean run counts the operations, then the run is
// repeated with the failure at each of them in turn), and a work area on a
// disk too small for what is staged there.
#include "WholeRunFixture.h"

#include "fakes/FakeMediaBurner.h"
#include "fakes/posix/FaultInjection.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using quen::test::ArmFileSystemFault;
using quen::test::DisarmFileSystemFault;
using quen::test::FakeMediaBurner;
using quen::test::RunHost;
using quen::test::ScopedPlugin;

// Every file by host path with its size and modification time; every folder
// with neither (a folder's time changes with its entries).
using Tree = std::map<fs::path, std::pair<uintmax_t, fs::file_time_type>>;

struct Outcome {
    std::vector<std::wstring> finished;
    uint64_t operations = 0;
    int autoplaySuppressed = 0;
    int autoplayRestored = 0;
    int machineHeld = 0;
    int machineGivenBack = 0;
    Tree outside;       // the machine outside the areas the run may change
    Tree destination;   // what was installed
};

// The switch armed for a scope: a run that stops a test half-way leaves it off.
class ArmedFault {
public:
    explicit ArmedFault(uint64_t failAt) { ArmFileSystemFault(failAt, ENOSPC); }
    ~ArmedFault() { DisarmFileSystemFault(); }
    ArmedFault(const ArmedFault&) = delete;
    ArmedFault& operator=(const ArmedFault&) = delete;
    uint64_t Counted() const { return DisarmFileSystemFault(); }
};

class FaultedRun : public quen::test::DiscRun {
protected:
    // The run with operation `failAt` failing for lack of space (0: none).
    Outcome Run(uint64_t failAt, bool keepWorkArea = false)
    {
        ResetMachine(keepWorkArea);
        const auto burner = std::make_shared<FakeMediaBurner>();
        const ScopedPlugin plugin(L"MediaBurner", burner);
        const std::size_t logStart = LogTexts().size();
        auto installer = DiscInstaller();
        RunHost host(*installer);
        AnswerEveryRequest(host);
        Outcome outcome;
        {
            const ArmedFault fault(failAt);
            RunToEnd(*installer, m_apps, m_modules);
            outcome.operations = fault.Counted();
        }
        outcome.finished = host.Events(L"finished");
        for (const std::wstring& call : burner->Calls()) {
            outcome.autoplaySuppressed += call == L"SuppressAutoplay";
            outcome.autoplayRestored += call == L"RestoreAutoplay";
        }
        const std::vector<std::wstring> log = LogTexts();
        outcome.machineHeld = static_cast<int>(std::count(log.begin() + logStart, log.end(),
                                                          L"[CInstaller] Keeping the machine awake for the run."));
        outcome.machineGivenBack =
            static_cast<int>(std::count(log.begin() + logStart, log.end(), L"[CInstaller] Giving the machine back."));
        outcome.outside = Snapshot(HostRoot(), true);
        outcome.destination = Snapshot(Host(Destination()), false);
        return outcome;
    }

    // A report of Run(0) on a work area whose disk holds 256 KB, made in a
    // child process that mounts such a disk over C:\Windows\Temp where only
    // it sees it; nullopt with `why` when this machine lets it mount none.
    std::optional<std::vector<std::string>> RunOnSmallDisk(std::string& why)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return std::nullopt;
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(fds[0]);
            const std::string report = SmallDiskReport();
            const bool written = ::write(fds[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
            ::_exit(written ? 0 : 1);
        }
        ::close(fds[1]);
        std::string report;
        char buffer[4096];
        for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;)
            report.append(buffer, static_cast<std::size_t>(got));
        ::close(fds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << report;
        std::vector<std::string> lines;
        std::istringstream in(report);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        if (!lines.empty() && lines[0].rfind("cannot mount: ", 0) == 0) {
            why = lines[0];
            return std::nullopt;
        }
        return lines;
    }

    std::wstring Destination() const { return Dir() + L"Target"; }

    // The machine as the run found it: no installation, no registry, no work
    // area, disc 1 in the drive.
    void ResetMachine(bool keepWorkArea)
    {
        std::error_code ignored;
        fs::remove_all(Host(Destination()), ignored);
        fs::remove_all(HostRoot() / "registry", ignored);
        fs::remove_all(Host(WorkRootFolder()), ignored);
        if (keepWorkArea)
            CRegistry::SetString(ERegistryRoot::LocalMachine, L"SOFTWARE\\Quen\\Ruvo Care", L"NoCleanup", L"1");
        Insert(1);
    }

    // In the child: mounts the small disk, runs, and tells what it saw.
    std::string SmallDiskReport()
    {
        if (const std::string failure = MountSmallDisk(Host(L"C:\\Windows\\Temp"), Host(Dir())); !failure.empty())
            return "cannot mount: " + failure + "\n";
        const Tree before = Snapshot(HostRoot(), true);
        const Outcome run = Run(0);
        std::string report;
        for (const std::wstring& line : run.finished)
            report += quen::ToUtf8(line) + "\n";
        const auto yes = [](bool answer) { return answer ? std::string("yes\n") : std::string("no\n"); };
        report += "autoplay given back: " + yes(run.autoplayRestored == 1);
        report += "machine given back: " + yes(run.machineGivenBack == 1);
        report += "work area left: " + yes(fs::exists(Host(WorkRootFolder())));
        report += "outside changed: " + yes(run.outside != before);
        return report;
    }

    // A private mount namespace (in a user namespace of its own when not
    // root) with a 256 KB tmpfs at `folder`, and `kept` (below it: the
    // scratch folder, which holds the discs) put back in place; the reason
    // when it cannot.
    static std::string MountSmallDisk(const fs::path& folder, const fs::path& kept)
    {
        fs::create_directories(folder);
        const auto failed = [](const char* what) { return std::string(what) + ": " + std::strerror(errno); };
        if (::geteuid() != 0) {
            const std::string uid = std::to_string(::getuid()), gid = std::to_string(::getgid());
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                return failed("unshare");
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
            std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
        } else if (::unshare(CLONE_NEWNS) != 0) {
            return failed("unshare");
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return failed("private mounts");
        // Opened in this namespace: a bind mount takes no mount of another.
        const int keptFd = ::open(kept.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (::mount("quen-test", folder.c_str(), "tmpfs", 0, "size=256k") != 0)
            return failed("tmpfs");
        fs::create_directories(kept);
        const std::string keptPath = "/proc/self/fd/" + std::to_string(keptFd);
        if (::mount(keptPath.c_str(), kept.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return failed("bind");
        return std::string();
    }

    static std::wstring WorkRootFolder()
    {
        const std::wstring root = WorkRoot();
        return root.substr(0, root.size() - 1);
    }

    // The tree below `top`; with `outsideRunAreas`, without the work area
    // and the lock file beside it, the discs and the database (the source),
    // the destination and the registry, which holds the run's records.
    Tree Snapshot(const fs::path& top, bool outsideRunAreas) const
    {
        std::vector<fs::path> skipped;
        if (outsideRunAreas) {
            skipped = {Host(WorkRootFolder()), Host(WorkRootFolder() + L".lock"), Host(Destination()),
                       Host(Dir() + L"Data"), HostRoot() / "registry"};
            for (int disc = 1; disc <= 3; ++disc)
                skipped.push_back(Host(Disc(disc)));
        }
        Tree tree;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(top, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            if (std::find(skipped.begin(), skipped.end(), it->path()) != skipped.end()) {
                it.disable_recursion_pending();
                continue;
            }
            if (it->is_directory())
                tree[it->path()] = {};
            else
                tree[it->path()] = {it->file_size(), it->last_write_time()};
        }
        return tree;
    }
};

TEST_F(FaultedRun, AFailureAtAnyFileOperationEndsTheRunOnceAndCleanlyAndNeverAsFalseSuccess)
{
    const Outcome clean = Run(0);
    ASSERT_THAT(clean.finished, ::testing::ElementsAre(L"finished 0 "));
    ASSERT_GT(clean.operations, 0u);

    std::map<std::wstring, int> endings;
    for (uint64_t failAt = 1; failAt <= clean.operations; ++failAt) {
        const bool keepWorkArea = failAt == clean.operations / 2 || failAt == clean.operations;
        SCOPED_TRACE(testing::Message() << "operation " << failAt << " of " << clean.operations
                                        << (keepWorkArea ? " with NoCleanup" : ""));
        const Outcome run = Run(failAt, keepWorkArea);
        ASSERT_EQ(run.finished.size(), 1u);
        const std::wstring& finished = run.finished[0];
        ++endings[finished.substr(0, finished.find(L' ', 9))];
        EXPECT_EQ(run.autoplaySuppressed, 1);
        EXPECT_EQ(run.autoplayRestored, 1);
        EXPECT_EQ(run.machineHeld, 1);
        EXPECT_EQ(run.machineGivenBack, 1);
        EXPECT_EQ(fs::exists(Host(WorkRootFolder())), keepWorkArea);
        EXPECT_EQ(run.outside, clean.outside);
        // A run that reports success installed every file. (A registry
        // record that cannot be written is left out with an Error line, and
        // the run goes on: records are not the run's to fail on.)
        if (finished == L"finished 0 ") {
            EXPECT_EQ(run.destination, clean.destination);
        }
    }
    for (const auto& [ending, count] : endings)
        std::cout << "[ faults   ] " << count << " x " << quen::ToUtf8(ending) << '\n';
}

TEST_F(FaultedRun, AWorkAreaThatResistsItsRemovalOnceIsRemovedByASecondPass)
{
    // The clean-up's removals are the run's last operations.
    const uint64_t operations = Run(0).operations;
    const Outcome run = Run(operations);
    EXPECT_THAT(run.finished, ::testing::ElementsAre(L"finished 0 "));
    EXPECT_FALSE(fs::exists(Host(WorkRootFolder())));
    EXPECT_FALSE(LogContains(L"Unable to remove the work area"));
}

TEST_F(FaultedRun, AWorkAreaDiskTooSmallEndsTheRunOnceCleanlyBeforeCopyingNamingTheBytesNeededAndFree)
{
    WriteFile(Disc(1) + L"\\Modules\\Tool\\large.bin", std::string(1024 * 1024, 'q'));
    std::string why;
    const auto report = RunOnSmallDisk(why);
    if (!report)
        GTEST_SKIP() << why;
    ASSERT_EQ(report->size(), 5u);
    std::cout << "[ faults   ] " << (*report)[0] << '\n';
    EXPECT_EQ((*report)[0].rfind("finished 1 ", 0), 0u) << (*report)[0];
    EXPECT_NE((*report)[0].find("bytes are free"), std::string::npos) << (*report)[0];
    EXPECT_THAT(std::vector(report->begin() + 1, report->end()),
                ::testing::ElementsAre("autoplay given back: yes", "machine given back: yes", "work area left: no",
                                       "outside changed: no"));
}

}  // namespace
