// Whole runs from three recovery discs on a failing machine: one file-system
// operation made to fail (a clean run counts the operations, then the run is
// repeated with the failure at each of them in turn).
#include "WholeRunFixture.h"

#include "fakes/FakeMediaBurner.h"
#include "fakes/posix/FaultInjection.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cerrno>
#include <map>

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

    for (uint64_t failAt = 1; failAt <= clean.operations; ++failAt) {
        // The last operations are the clean-up's removals: one that fails is
        // made good by a second pass.
        const bool keepWorkArea = failAt == clean.operations / 2;
        SCOPED_TRACE(testing::Message() << "operation " << failAt << " of " << clean.operations
                                        << (keepWorkArea ? " with NoCleanup" : ""));
        const Outcome run = Run(failAt, keepWorkArea);
        ASSERT_EQ(run.finished.size(), 1u);
        EXPECT_EQ(run.holds, kHolds);
        EXPECT_EQ(fs::exists(Host(WorkRootFolder())), keepWorkArea);
        EXPECT_EQ(run.outside, clean.outside);
        // A run that reports success installed every file. (A registry
        // record that cannot be written is left out with an Error line, and
        // the run goes on: records are not the run's to fail on.)
        if (run.finished[0] == L"finished 0 ") {
            EXPECT_EQ(run.destination, clean.destination);
        }
    }
}

}  // namespace
