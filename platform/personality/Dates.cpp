// The date forms docs/versions.md lists, the same in every locale:
//   M/D/YYYY            the form the version check itself writes
//   YYYY-MM-DD          ISO 8601 (month and day may have one digit)
// either optionally followed by blanks and a time h:m or h:m:s (24-hour).
// White space around the text is ignored; anything else makes it no date.
#include "platform/personality/Dates.h"

#include "platform/Text.h"

#include <string_view>

namespace quen::platform::personality {
namespace {

class Scanner {
public:
    explicit Scanner(std::wstring_view text) : m_text(text) {}

    // A number of minDigits to maxDigits digits.
    bool Number(std::size_t minDigits, std::size_t maxDigits, int& value)
    {
        std::size_t digits = 0;
        value = 0;
        while (m_at < m_text.size() && m_text[m_at] >= L'0' && m_text[m_at] <= L'9' && digits < maxDigits) {
            value = value * 10 + (m_text[m_at++] - L'0');
            ++digits;
        }
        return digits >= minDigits && !(m_at < m_text.size() && m_text[m_at] >= L'0' && m_text[m_at] <= L'9');
    }
    bool Char(wchar_t c)
    {
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool Blanks()
    {
        const std::size_t start = m_at;
        while (m_at < m_text.size() && IsSpace(m_text[m_at]))
            ++m_at;
        return m_at > start;
    }
    bool AtEnd() const { return m_at == m_text.size(); }

private:
    std::wstring_view m_text;
    std::size_t m_at = 0;
};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month)
{
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool ReadDate(Scanner& in, CalendarDate& date)
{
    int first = 0;
    Scanner probe = in;
    if (probe.Number(4, 4, first) && probe.Char(L'-')) {
        in = probe;
        date.year = first;
        return in.Number(1, 2, date.month) && in.Char(L'-') && in.Number(1, 2, date.day);
    }
    return in.Number(1, 2, date.month) && in.Char(L'/') && in.Number(1, 2, date.day) && in.Char(L'/') &&
           in.Number(4, 4, date.year);
}

bool ReadTime(Scanner& in)
{
    int hour = 0, minute = 0, second = 0;
    if (!in.Number(1, 2, hour) || !in.Char(L':') || !in.Number(1, 2, minute))
        return false;
    if (in.Char(L':') && !in.Number(1, 2, second))
        return false;
    return hour <= 23 && minute <= 59 && second <= 59;
}

}  // namespace

bool ParseInvariantDate(const std::wstring& text, CalendarDate& date)
{
    Scanner in(text);
    in.Blanks();
    CalendarDate read;
    if (!ReadDate(in, read))
        return false;
    if (in.Blanks() && !in.AtEnd()) {
        if (!ReadTime(in))
            return false;
        in.Blanks();
    }
    if (!in.AtEnd())
        return false;
    if (read.year < 1 || read.month < 1 || read.month > 12 || read.day < 1 ||
        read.day > DaysInMonth(read.year, read.month))
        return false;
    date = read;
    return true;
}

}  // namespace quen::platform::personality
