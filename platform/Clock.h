// Local wall-clock time for log stamps.
#pragma once

#include <string>

namespace quen::platform {

// "YYYY-MM-DD hh:mm:ss.mmm" in local time.
std::wstring LocalTimestamp();

}  // namespace quen::platform
