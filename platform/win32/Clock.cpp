#include "platform/Clock.h"
#include "platform/win32/WindowsSupport.h"

#include "foundation/WideString.h"

namespace quen::platform {

std::wstring LocalTimestamp()
{
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return Format(L"%04d-%02d-%02d %02d:%02d:%02d.%03d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                  t.wMilliseconds);
}

bool ToLocalTime(int64_t unixSeconds, LocalTime& local)
{
    // FILETIME counts 100-ns steps since 1601-01-01.
    constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;
    constexpr int64_t kTicksPerSecond = 10'000'000;
    if (unixSeconds < -kSecondsFrom1601To1970 || unixSeconds > INT64_MAX / kTicksPerSecond - kSecondsFrom1601To1970)
        return false;
    const auto ticks = static_cast<uint64_t>((unixSeconds + kSecondsFrom1601To1970) * kTicksPerSecond);
    const FILETIME fileTime{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc, t;
    if (!::FileTimeToSystemTime(&fileTime, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &t))
        return false;
    local = {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    return true;
}

}  // namespace quen::platform
