// A platform call's outcome and last error in one expectation: 0 when it succeeded.
#pragma once

#include "platform/Errors.h"

namespace quen::test {

inline uint32_t ErrorOf(bool succeeded) { return succeeded ? 0 : platform::LastError(); }

}  // namespace quen::test
