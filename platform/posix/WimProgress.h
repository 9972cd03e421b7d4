// wimlib's progress reports, sent to a file's message callbacks as wimgapi
// messages.
#pragma once

#include <wimlib.h>

namespace quen::platform::posix {

// wimlib's progress function for a WimFile (`context`). An extraction's
// progress becomes WIM_MSG_PROGRESS, once per percent; a callback that
// answers WIM_MSG_ABORT_IMAGE stops the operation.
wimlib_progress_status ReportProgress(wimlib_progress_msg message, wimlib_progress_info* info, void* context);

}  // namespace quen::platform::posix
