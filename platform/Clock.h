// Local wall-clock time: log stamps and the local time of a file's dates.
#pragma once

#include <cstdint>
#include <string>

namespace quen::platform {

// "YYYY-MM-DD hh:mm:ss.mmm" in local time.
std::wstring LocalTimestamp();

struct LocalTime {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The local time of a moment given in seconds since 1970-01-01 UTC, with the
// daylight-saving rule in force at that moment. False when the system cannot
// represent it.
bool ToLocalTime(int64_t unixSeconds, LocalTime& local);

}  // namespace quen::platform
