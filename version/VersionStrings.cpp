#include "version/VersionStrings.h"

#include "platform/Text.h"

namespace quen {
namespace {

bool IsBasicDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsBasicAlnum(wchar_t c) { return IsBasicDigit(c) || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool IsAlnum(wchar_t c) { return platform::IsLetter(c) || platform::IsDigit(c); }

}  // namespace

void TrimLeadingNonAlnum(std::wstring& text)
{
    std::size_t first = 0;
    while (first + 1 < text.size() && !IsAlnum(text[first]))
        ++first;
    text.erase(0, first);
}

void TrimTrailingNonAlnum(std::wstring& text)
{
    std::size_t last = text.size();
    while (last > 1 && !IsBasicAlnum(text[last - 1]))
        --last;
    text.resize(last);
}

void SeparatorsToDots(std::wstring& text)
{
    for (auto& c : text) {
        if (!IsBasicAlnum(c))
            c = L'.';
    }
}

void StripLeadingZeros(std::wstring& text)
{
    std::size_t zeros = 0;
    while (zeros + 1 < text.size() && text[zeros] == L'0')
        ++zeros;
    text.erase(0, zeros);
}

void StripLeadingZerosBeforeDigits(std::wstring& text)
{
    std::size_t zeros = 0;
    while (zeros + 1 < text.size() && text[zeros] == L'0' && IsBasicDigit(text[zeros + 1]))
        ++zeros;
    text.erase(0, zeros);
}

void StripTrailingZeros(std::wstring& text)
{
    // The zeros of a whole number count: 10 is not 1.
    if (text.find(L'.') == std::wstring::npos)
        return;
    std::size_t length = text.size();
    while (length > 1 && text[length - 1] == L'0')
        --length;
    text.resize(length);
}

void StripTrailingDotZeros(std::wstring& text)
{
    while (text.size() >= 3 && text.back() == L'0' && text[text.size() - 2] == L'.')
        text.resize(text.size() - 2);
}

}  // namespace quen
