#include "version/RegistryValueText.h"
#include "version/VersionStrings.h"

#include <quen/VerifyVersion.h>

#include "platform/Environment.h"

#include <gtest/gtest.h>

namespace quen {
namespace {

using platform::RegValue;
namespace regtype = platform::regtype;

using Helper = void (*)(std::wstring&);

struct HelperCase {
    Helper helper;
    std::wstring text;
    std::wstring expected;
};

TEST(VersionStrings, EachHelperKeepsOneCharacterAndHandlesTextsOfThousandsOfCharactersWhole)
{
    std::wstring dotZeros = L"17";
    for (int i = 0; i < 2000; ++i)
        dotZeros += L".0";
    const HelperCase cases[] = {
        {TrimLeadingNonAlnum, L"(V2.1)", L"V2.1)"}, {TrimTrailingNonAlnum, L"V2.1)", L"V2.1"},
        {TrimLeadingNonAlnum, L"....", L"."}, {TrimTrailingNonAlnum, L"....", L"."},
        {TrimLeadingNonAlnum, L"", L""}, {TrimTrailingNonAlnum, L"", L""},
        // A non-Latin letter is a letter at the front, a separator at the end.
        {TrimLeadingNonAlnum, L"-\u00c42", L"\u00c42"}, {TrimTrailingNonAlnum, L"2\u00c4", L"2"},
        {TrimLeadingNonAlnum, L"(" + std::wstring(5000, L'7'), std::wstring(5000, L'7')},
        {SeparatorsToDots, L"1,2_3-4", L"1.2.3.4"}, {SeparatorsToDots, L"V2\u00c4", L"V2."},
        {SeparatorsToDots, std::wstring(3000, L','), std::wstring(3000, L'.')},
        {StripLeadingZeros, L"000", L"0"}, {StripLeadingZeros, L"0012", L"12"},
        {StripLeadingZeros, L"0", L"0"}, {StripLeadingZeros, L"0.9", L".9"},
        {StripLeadingZeros, std::wstring(4000, L'0') + L"12", L"12"},
        // An expected file version keeps a lone leading zero.
        {StripLeadingZerosBeforeDigits, L"0.9", L"0.9"}, {StripLeadingZerosBeforeDigits, L"00.9", L"0.9"},
        {StripLeadingZerosBeforeDigits, L"0012", L"12"}, {StripLeadingZerosBeforeDigits, L"000", L"0"},
        // A whole number keeps its zeros: 10 is neither 1 nor 100.
        {StripTrailingZeros, L"2.10", L"2.1"}, {StripTrailingZeros, L"1.200", L"1.2"},
        {StripTrailingZeros, L"0", L"0"}, {StripTrailingZeros, L"1200", L"1200"}, {StripTrailingZeros, L"10", L"10"},
        // 1.0.0.0 strips to 1 as 10.0.0.0 strips to 10: an expected 1 is version 1.0.0.0.
        {StripTrailingDotZeros, L"1.2.0.0", L"1.2"}, {StripTrailingDotZeros, L"1.2.3.0", L"1.2.3"},
        {StripTrailingDotZeros, L"10.0", L"10"}, {StripTrailingDotZeros, L"1.0", L"1"},
        {StripTrailingDotZeros, L"1.10", L"1.10"}, {StripTrailingDotZeros, L"10.0.0.0", L"10"},
        {StripTrailingDotZeros, L".0", L".0"}, {StripTrailingDotZeros, L"0.0.0.0", L"0"},
        {StripTrailingDotZeros, L"3" + std::wstring(3000, L'0'), L"3" + std::wstring(3000, L'0')},
        {StripTrailingDotZeros, dotZeros, L"17"},
    };
    for (const HelperCase& c : cases) {
        std::wstring text = c.text;
        c.helper(text);
        EXPECT_EQ(text, c.expected) << testing::PrintToString(c.text.substr(0, 20));
    }
}

std::wstring Formatted(const RegValue& value, int32_t expectedCode = eVersionPresent)
{
    std::wstring text = L"left over";
    EXPECT_EQ(FormatRegistryValue(value, text), expectedCode);
    return text;
}

TEST(RegistryValueText, DwordsAreHexWithoutLeadingZerosBinaryIsHexPairsAndTextIsExpandedAndTrimmed)
{
    platform::SetEnvVar(L"QUEN_TEST_PRODUCT_VERSION", L"2.1");
    const std::pair<RegValue, std::wstring> cases[] = {
        {platform::RegDword(0x1A), L"1A"},
        {platform::RegDword(0), L"0"},
        {platform::RegDword(0xFFFFFFFF), L"FFFFFFFF"},
        {RegValue{regtype::Dword, {0x78, 0x56, 0x34, 0x12, 0xAA}}, L"12345678"},
        {RegValue{regtype::Binary, {0x01, 0x0A, 0xFF}}, L"01 0A FF"},
        {RegValue{regtype::Binary, {}}, L""},
        {platform::RegString(L" v2.1 "), L"v2.1"},
        {platform::RegString(L"%QUEN_TEST_PRODUCT_VERSION%", regtype::Sz), L"2.1"},
        {platform::RegString(L"[%QUEN_TEST_PRODUCT_VERSION%]", regtype::ExpandSz), L"2.1"},
        // No terminating zero: the text ends with the data, an odd last byte is dropped.
        {RegValue{regtype::Sz, {'3', 0, '.', 0, '1', 0, 'x'}}, L"3.1"},
        {RegValue{regtype::Sz, {}}, L""},
        {platform::RegString(std::wstring(600, L'9')), std::wstring(600, L'9')},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(Formatted(value), expected);
    platform::SetEnvVar(L"QUEN_TEST_PRODUCT_VERSION", L"");
    EXPECT_EQ(Formatted(RegValue{regtype::Binary, std::vector<uint8_t>(1000, 0xAB)}).size(), 1000u * 3 - 1);
}

TEST(RegistryValueText, ShortDwordsAndOtherTypesAreUnsupported)
{
    // Fewer than four bytes hold no number: never read past the data.
    for (const RegValue& value : {RegValue{regtype::Dword, {0x1A, 0}}, RegValue{regtype::Dword, {}},
                                  RegValue{regtype::None, {1, 2}}, platform::RegMultiString({L"1.0"}),
                                  platform::RegQword(1), RegValue{0x1234, {1}}})
        EXPECT_EQ(Formatted(value, eUnsupportedRegistryValue), L"") << value.type;
}

}  // namespace
}  // namespace quen
