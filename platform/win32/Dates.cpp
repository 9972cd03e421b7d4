// Windows: the system's date parser in the user's default locale.
#include "platform/Dates.h"
#include "platform/win32/WindowsSupport.h"

#include <oleauto.h>

namespace quen::platform {

bool ParseDate(const std::wstring& text, CalendarDate& date)
{
    DATE value = 0;
    // mingw-w64 declares the text non-const.
    std::wstring copy = text;
    if (FAILED(::VarDateFromStr(copy.data(), LOCALE_USER_DEFAULT, VAR_DATEVALUEONLY, &value)))
        return false;
    SYSTEMTIME t;
    if (!::VariantTimeToSystemTime(value, &t))
        return false;
    date = {t.wYear, t.wMonth, t.wDay};
    return true;
}

}  // namespace quen::platform
