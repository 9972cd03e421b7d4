// Dates in a fixed set of forms, the same in every locale; docs/versions.md
// lists them. The POSIX build reads dates this way where Windows asks the
// user's locale.
#pragma once

#include "platform/Dates.h"

#include <string>

namespace quen::platform::personality {

bool ParseInvariantDate(const std::wstring& text, CalendarDate& date);

}  // namespace quen::platform::personality
