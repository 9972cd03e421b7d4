// quen-install plan: the dry run of an installation, printed.
#pragma once

#include "RunOptions.h"

namespace quen::host {

// Prints the copy list disc by disc and every problem found; returns
// kExitCompleted when there is none, kExitPlanProblems when there are.
int Plan(const RunOptions& options);

}  // namespace quen::host
