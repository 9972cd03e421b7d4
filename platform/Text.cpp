// The parts of text handling that need only the per-character mapping.
#include "platform/Text.h"

#include <algorithm>

namespace quen::platform {

std::wstring ToUpper(std::wstring_view text)
{
    std::wstring out(text);
    for (auto& c : out)
        c = ToUpper(c);
    return out;
}

std::wstring ToLower(std::wstring_view text)
{
    std::wstring out(text);
    for (auto& c : out)
        c = ToLower(c);
    return out;
}

int CompareNoCase(std::wstring_view a, std::wstring_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const wchar_t x = ToUpper(a[i]);
        const wchar_t y = ToUpper(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

bool MatchesPattern(std::wstring_view name, std::wstring_view pattern)
{
    // Greedy match with one backtrack point per `*`: linear in practice and
    // never exponential, whatever the pattern.
    std::size_t n = 0, p = 0, starP = std::wstring_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || ToUpper(pattern[p]) == ToUpper(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::wstring_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

}  // namespace quen::platform
