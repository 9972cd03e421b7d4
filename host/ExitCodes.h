// The exit codes of quen-install (docs/cli.md).
#pragma once

namespace quen::host {

enum ExitCode : int {
    kExitCompleted = 0,
    kExitNotInstalled = 1,   // completed, but modules the run reached were not installed
    kExitNegative = 1,       // a tool's answer is no: version not present, no such tag
    kExitPlanProblems = 1,   // plan: the dry run found problems
    kExitFailed = 2,         // the run, or what it needed, failed
    kExitCancelled = 3,      // Ctrl-C, or a disc given up
    kExitUsage = 64,         // the command line is wrong
};

}  // namespace quen::host
