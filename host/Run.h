// quen-install run: one installation from a recovery source, shown as it
// goes and summed up at the end.
#pragma once

#include "RunOptions.h"

namespace quen::host {

// Returns an ExitCode.
int Run(const RunOptions& options);

}  // namespace quen::host
