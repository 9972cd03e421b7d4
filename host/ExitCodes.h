// The exit codes of quen-install (docs/cli.md).
#pragma once

namespace quen::host {

enum ExitCode : int {
    kExitCompleted = 0,
    kExitSetupFailures = 1,  // completed, but some setup programs failed
    kExitPlanProblems = 1,   // plan: the dry run found problems
    kExitFailed = 2,         // the run, or what it needed, failed
    kExitCancelled = 3,      // Ctrl-C, or a disc given up
    kExitUsage = 64,         // the command line is wrong
};

}  // namespace quen::host
