// The last error of a platform call that failed, 0 for one that succeeded:
// a call's outcome and its code in one expectation.
#pragma once

#include "platform/Errors.h"

namespace quen::test {

inline uint32_t ErrorOf(bool succeeded) { return succeeded ? 0 : platform::LastError(); }

}  // namespace quen::test
