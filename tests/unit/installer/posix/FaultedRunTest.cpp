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
#include <fstream>
#include <iostream>
#include <map>

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
    std::vector<std::wstring> holds;   // autoplay's calls, then the machine hold's log lines
    Tree outside;                      // the machine outside the areas the run may change
    Tree destination;                  // what was installed
};

// Each taken once and given back once, whatever happened in between.
const std::vector<std::wstring> kHolds = {L"SuppressAutoplay", L"RestoreAutoplay",
                                          L"[CInstaller] Keeping the machine awake for the run.",
                                          L"[CInstaller] Giving the machine back."};

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
            if (call.ends_with(L"Autoplay"))
                outcome.holds.push_back(call);
        }
        const std::vector<std::wstring> log = LogTexts();
        std::copy_if(log.begin() + logStart, log.end(), std::back_inserter(outcome.holds),
                     [](const std::wstring& line) { return line == kHolds[2] || line == kHolds[3]; });
        outcome.outside = Snapshot(HostRoot(), true);
        outcome.destination = Snapshot(Host(Destination()), false);
        return outcome;
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

    // A private mount namespace (in a user namespace of its own when not
    // root) with a 256 KB tmpfs at `folder`, and `kept` (below it: the
    // scratch folder, which holds the discs) put back in place.
    static bool MountSmallDisk(const fs::path& folder, const fs::path& kept)
    {
        fs::create_directories(folder);
        if (::geteuid() != 0) {
            const std::string uid = std::to_string(::getuid()), gid = std::to_string(::getgid());
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                return false;
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
            std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
        } else if (::unshare(CLONE_NEWNS) != 0) {
            return false;
        }
        // Opened in this namespace: a bind mount takes no mount of another.
        const int keptFd = ::open(kept.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        const std::string keptPath = "/proc/self/fd/" + std::to_string(keptFd);
        return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount("quen-test", folder.c_str(), "tmpfs", 0, "size=256k") == 0 &&
               fs::create_directories(kept) && ::mount(keptPath.c_str(), kept.c_str(), nullptr, MS_BIND, nullptr) == 0;
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
        // The last operations are the clean-up's removals: one that fails is
        // made good by a second pass.
        const bool keepWorkArea = failAt == clean.operations / 2;
        SCOPED_TRACE(testing::Message() << "operation " << failAt << " of " << clean.operations
                                        << (keepWorkArea ? " with NoCleanup" : ""));
        const Outcome run = Run(failAt, keepWorkArea);
        ASSERT_EQ(run.finished.size(), 1u);
        const std::wstring& finished = run.finished[0];
        ++endings[finished.substr(0, finished.find(L' ', 9))];
        EXPECT_EQ(run.holds, kHolds);
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

// In a child process that mounts, where only it sees it, a 256 KB disk over
// C:\Windows\Temp, which holds the work area. The child's exit status has
// a bit for each check that failed; 77 when this machine mounts no disk.
TEST_F(FaultedRun, AWorkAreaDiskTooSmallEndsTheRunOnceCleanlyBeforeCopyingNamingTheBytesFree)
{
    WriteFile(Disc(1) + L"\\Modules\\Tool\\large.bin", std::string(1024 * 1024, 'q'));
    const pid_t child = ::fork();
    if (child == 0) {
        if (!MountSmallDisk(Host(L"C:\\Windows\\Temp"), Host(Dir())))
            ::_exit(77);
        const Tree before = Snapshot(HostRoot(), true);
        const Outcome run = Run(0);
        const bool failed = run.finished.size() == 1 && run.finished[0].starts_with(L"finished 1 ") &&
                            run.finished[0].find(L"bytes are free") != std::wstring::npos;
        ::_exit((failed ? 0 : 1) | (run.holds == kHolds ? 0 : 2) |
                (fs::exists(Host(WorkRootFolder())) ? 4 : 0) | (run.outside == before ? 0 : 8));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no private mount on this machine";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
