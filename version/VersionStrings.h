// The text normalisation of the version check. Versions come from a file's
// version resource, a text file's lines, registry key names, registry values
// of several types and module records; these helpers bring both sides of a
// comparison into one form. Each changes its text in place and handles a
// text of any length whole.
//
// Two character classifications are used on purpose: the leading trim keeps
// any letter or digit (non-Latin ones too, platform/Text.h), while the
// trailing trim and the separator mapping know only A-Z, a-z and 0-9.
#pragma once

#include <string>

namespace quen {

// Removes leading characters that are neither letters nor digits, but always
// keeps the last character: "(V2.1)" becomes "V2.1)", "..." becomes ".".
void TrimLeadingNonAlnum(std::wstring& text);
// Removes trailing characters other than A-Z, a-z, 0-9, but always keeps the
// first character: "V2.1)" becomes "V2.1", "..." becomes ".".
void TrimTrailingNonAlnum(std::wstring& text);
// Replaces every character other than A-Z, a-z, 0-9 by a dot: "1,2 3" becomes "1.2.3".
void SeparatorsToDots(std::wstring& text);
// Removes leading zeros but keeps one character: "0012" becomes "12", "000" becomes "0".
void StripLeadingZeros(std::wstring& text);
// The same for an expected file version: a zero stops the removal unless a
// digit follows it, so a first component that is a lone 0 stays ("0.9"
// stays, "00.9" becomes "0.9", "0012" becomes "12").
void StripLeadingZerosBeforeDigits(std::wstring& text);
// Removes trailing zeros of a text with a dot, keeping one character: "2.10"
// becomes "2.1", "1.200" becomes "1.2"; a whole number such as "1200" stays.
void StripTrailingZeros(std::wstring& text);
// Removes trailing ".0" groups while something stands before them:
// "1.2.0.0" becomes "1.2", "10.0" and "10.0.0.0" become "10", "1.0.0.0"
// becomes "1"; "1.10" and ".0" stay.
void StripTrailingDotZeros(std::wstring& text);

}  // namespace quen
