// The date forms docs/versions.md lists for Linux, and what is no date.
#include "platform/personality/Dates.h"

#include <gtest/gtest.h>

#include <tuple>

namespace quen::platform::personality {
namespace {

TEST(Dates, TheDocumentedFormsGiveTheirDateWithOrWithoutATimeAndOtherFormsOrDaysThatDoNotExistNone)
{
    const std::pair<const wchar_t*, CalendarDate> rows[] = {
        {L"3/15/2021", {2021, 3, 15}}, {L"03/05/2021", {2021, 3, 5}}, {L"12/1/2020 9:5:0", {2020, 12, 1}},
        {L"2021-03-15", {2021, 3, 15}}, {L"2021-3-5 23:59", {2021, 3, 5}}, {L"2000-02-29", {2000, 2, 29}},
        {L" \t2/29/2024 0:00:59 ", {2024, 2, 29}},
    };
    for (const auto& [text, expected] : rows) {
        CalendarDate date;
        ASSERT_TRUE(ParseInvariantDate(text, date)) << text;
        EXPECT_EQ(std::tuple(date.year, date.month, date.day), std::tuple(expected.year, expected.month, expected.day))
            << text;
    }
    for (const wchar_t* text :
         {L"", L" ", L"2/29/2021", L"1900-02-29", L"2021-04-31", L"13/1/2021", L"0/1/2021", L"1/0/2021",
          L"3/15/21", L"15.3.2021", L"2021/03/15", L"March 15, 2021", L"3/15/2021x", L"3/15/2021 24:00",
          L"3/15/2021 12:60", L"3/15/2021 12:00:60", L"3/15/2021 12", L"3/15/20210", L"123/1/2021",
          L"3/15/0000", L"1, 2, 3, 4", L"1_2_3_4"}) {
        CalendarDate date{7, 7, 7};
        EXPECT_FALSE(ParseInvariantDate(text, date)) << text;
        EXPECT_EQ(date.year, 7) << text;
    }
}

}  // namespace
}  // namespace quen::platform::personality
