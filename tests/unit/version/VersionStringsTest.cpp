#include "version/RegistryValueText.h"
#include "version/VersionStrings.h"

#include <quen/VerifyVersion.h>

#include "platform/Environment.h"

#include <gtest/gtest.h>

#include <tuple>

namespace quen {
namespace {

using platform::RegValue;
namespace regtype = platform::regtype;

TEST(VersionStrings, EachHelperTrimsOrStripsOnlyWhatItNamesAndKeepsOneCharacter)
{
    const std::tuple<void (*)(std::wstring&), std::wstring, std::wstring> cases[] = {
        {TrimLeadingNonAlnum, L"(V2.1)", L"V2.1)"}, {TrimTrailingNonAlnum, L"V2.1)", L"V2.1"},
        {TrimLeadingNonAlnum, L"....", L"."}, {TrimTrailingNonAlnum, L"....", L"."},
        // A non-Latin letter is a letter at the front, a separator at the end.
        {TrimLeadingNonAlnum, L"-\u00c42", L"\u00c42"}, {TrimTrailingNonAlnum, L"2\u00c4", L"2"},
        {SeparatorsToDots, L"1,2_3-4", L"1.2.3.4"}, {SeparatorsToDots, L"V2\u00c4", L"V2."},
        {StripLeadingZeros, L"000", L"0"}, {StripLeadingZeros, L"0.9", L".9"},
        // An expected file version keeps a lone leading zero.
        {StripLeadingZerosBeforeDigits, L"00.9", L"0.9"}, {StripLeadingZerosBeforeDigits, L"0012", L"12"},
        // A whole number keeps its zeros: 10 is neither 1 nor 100.
        {StripTrailingZeros, L"2.10", L"2.1"}, {StripTrailingZeros, L"10", L"10"},
        // 1.0.0.0 strips to 1 as 10.0.0.0 strips to 10: an expected 1 is version 1.0.0.0.
        {StripTrailingDotZeros, L"1.2.0.0", L"1.2"}, {StripTrailingDotZeros, L"10.0", L"10"},
        {StripTrailingDotZeros, L"1.10", L"1.10"}, {StripTrailingDotZeros, L"0.0.0.0", L"0"},
    };
    for (const auto& [helper, text, expected] : cases) {
        std::wstring changed = text;
        helper(changed);
        EXPECT_EQ(changed, expected) << testing::PrintToString(text);
    }
}

TEST(RegistryValueText, DwordsAreHexBinaryIsHexPairsTextIsExpandedAndTrimmedAndOtherTypesAreUnsupported)
{
    platform::SetEnvVar(L"QUEN_TEST_PRODUCT_VERSION", L"2.1");
    const std::pair<RegValue, const wchar_t*> cases[] = {  // no text: unsupported
        {platform::RegDword(0), L"0"}, {RegValue{regtype::Binary, {0x01, 0x0A, 0xFF}}, L"01 0A FF"},
        {RegValue{regtype::Dword, {0x78, 0x56, 0x34, 0x12, 0xAA}}, L"12345678"},
        {platform::RegString(L"[%QUEN_TEST_PRODUCT_VERSION%]", regtype::Sz), L"2.1"},
        // No terminating zero: the text ends with the data, an odd last byte is dropped.
        {RegValue{regtype::Sz, {'3', 0, '.', 0, '1', 0, 'x'}}, L"3.1"},
        // Fewer than four bytes hold no number: never read past the data.
        {RegValue{regtype::Dword, {0x1A, 0}}, nullptr}, {RegValue{regtype::None, {1, 2}}, nullptr},
        {platform::RegQword(1), nullptr},
    };
    for (const auto& [value, expected] : cases) {
        std::wstring text = L"left over";
        EXPECT_EQ(FormatRegistryValue(value, text), expected ? eVersionPresent : eUnsupportedRegistryValue);
        EXPECT_EQ(text, expected ? expected : L"");
    }
    platform::SetEnvVar(L"QUEN_TEST_PRODUCT_VERSION", L"");
}

}  // namespace
}  // namespace quen
