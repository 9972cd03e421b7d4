// Character classes and case mapping of the system's invariant locale, the
// mapping Windows itself uses for names.
#include "platform/Text.h"
#include "platform/win32/WindowsSupport.h"

namespace quen::platform {
namespace {

WORD CharType(wchar_t c)
{
    WORD type = 0;
    ::GetStringTypeW(CT_CTYPE1, &c, 1, &type);
    return type;
}

wchar_t Map(wchar_t c, DWORD flags)
{
    wchar_t out = c;
    return ::LCMapStringEx(LOCALE_NAME_INVARIANT, flags, &c, 1, &out, 1, nullptr, nullptr, 0) == 1 ? out : c;
}

}  // namespace

bool IsLetter(wchar_t c) { return (CharType(c) & C1_ALPHA) != 0; }
bool IsDigit(wchar_t c) { return (CharType(c) & C1_DIGIT) != 0; }
bool IsSpace(wchar_t c) { return (CharType(c) & C1_SPACE) != 0; }
wchar_t ToUpper(wchar_t c) { return Map(c, LCMAP_UPPERCASE); }
wchar_t ToLower(wchar_t c) { return Map(c, LCMAP_LOWERCASE); }

}  // namespace quen::platform
