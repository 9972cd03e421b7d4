// The one character classification and case mapping of the library: letters
// and digits as a UTF-8 locale classifies them (non-Latin letters count), and
// the comparison that ignores case wherever the library ignores case.
#pragma once

#include <string>
#include <string_view>

namespace quen::platform {

bool IsLetter(wchar_t c);
bool IsDigit(wchar_t c);
bool IsSpace(wchar_t c);
wchar_t ToUpper(wchar_t c);
wchar_t ToLower(wchar_t c);
std::wstring ToUpper(std::wstring_view text);
std::wstring ToLower(std::wstring_view text);

// <0, 0, >0 as `a` sorts before, with, after `b` when case is ignored.
int CompareNoCase(std::wstring_view a, std::wstring_view b);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

// Windows wildcard match (`*` any run, `?` one character), ignoring case.
bool MatchesPattern(std::wstring_view name, std::wstring_view pattern);

}  // namespace quen::platform
