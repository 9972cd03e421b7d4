// Reading dates from texts. Windows: VarDateFromStr in the user's default
// locale, so the accepted forms and the order of month and day follow that
// locale. POSIX: a fixed set of forms, docs/versions.md lists them.
#pragma once

#include <string>

namespace quen::platform {

struct CalendarDate {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
};

// The date part of `text` (a time after it is accepted and ignored). False
// when the text is not a date.
bool ParseDate(const std::wstring& text, CalendarDate& date);

}  // namespace quen::platform
