// POSIX personality: character classes and case mapping of the C.UTF-8 locale,
// whatever locale the process runs in.
#include "platform/Text.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace quen::platform {
namespace {

locale_t Utf8Locale()
{
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
    }();
    return locale;
}

}  // namespace

bool IsLetter(wchar_t c) { return iswalpha_l(static_cast<wint_t>(c), Utf8Locale()) != 0; }
bool IsDigit(wchar_t c) { return iswdigit_l(static_cast<wint_t>(c), Utf8Locale()) != 0; }
bool IsSpace(wchar_t c) { return iswspace_l(static_cast<wint_t>(c), Utf8Locale()) != 0; }
wchar_t ToUpper(wchar_t c) { return static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), Utf8Locale())); }
wchar_t ToLower(wchar_t c) { return static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), Utf8Locale())); }

}  // namespace quen::platform
