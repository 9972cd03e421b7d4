// The date parser: any text. A date it accepts is a calendar date.
#include "platform/Dates.h"

#include "support/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    quen::platform::CalendarDate date;
    if (quen::platform::ParseDate(quen::fuzz::WideText(data, size), date))
        quen::fuzz::Require(date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= 31,
                            "an accepted date has a month from 1 to 12 and a day from 1 to 31");
    return 0;
}
