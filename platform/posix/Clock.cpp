#include "platform/Clock.h"

#include "foundation/WideString.h"

#include <chrono>
#include <ctime>

namespace quen::platform {

std::wstring LocalTimestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    return Format(L"%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms));
}

bool ToLocalTime(int64_t unixSeconds, LocalTime& local)
{
    const auto seconds = static_cast<std::time_t>(unixSeconds);
    std::tm broken{};
    if (!localtime_r(&seconds, &broken))
        return false;
    local = {broken.tm_year + 1900, broken.tm_mon + 1, broken.tm_mday, broken.tm_hour, broken.tm_min, broken.tm_sec};
    return true;
}

}  // namespace quen::platform
