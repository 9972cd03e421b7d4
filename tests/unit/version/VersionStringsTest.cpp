#include "version/RegistryValueText.h"
#include "version/VersionStrings.h"

#include <quen/VerifyVersion.h>

#include "platform/Environment.h"

#include <gtest/gtest.h>

namespace quen {
namespace {

using platform::RegValue;
namespace regtype = platform::regtype;

template <typename Helper>
std::wstring Apply(Helper helper, std::wstring text)
{
    helper(text);
    return text;
}

TEST(VersionStrings, TrimsKeepOneCharacterAndUseTheirOwnClassification)
{
    EXPECT_EQ(Apply(TrimLeadingNonAlnum, L"(V2.1)"), L"V2.1)");
    EXPECT_EQ(Apply(TrimTrailingNonAlnum, L"V2.1)"), L"V2.1");
    EXPECT_EQ(Apply(TrimLeadingNonAlnum, L"...."), L".");
    EXPECT_EQ(Apply(TrimTrailingNonAlnum, L"...."), L".");
    EXPECT_EQ(Apply(TrimLeadingNonAlnum, L""), L"");
    EXPECT_EQ(Apply(TrimTrailingNonAlnum, L""), L"");
    // A non-Latin letter is a letter at the front, a separator at the end.
    EXPECT_EQ(Apply(TrimLeadingNonAlnum, L"-\u00c42"), L"\u00c42");
    EXPECT_EQ(Apply(TrimTrailingNonAlnum, L"2\u00c4"), L"2");
}

TEST(VersionStrings, SeparatorsBecomeDotsWithoutChangingTheLength)
{
    EXPECT_EQ(Apply(SeparatorsToDots, L"1,2,3,4"), L"1.2.3.4");
    EXPECT_EQ(Apply(SeparatorsToDots, L"1_2-3"), L"1.2.3");
    EXPECT_EQ(Apply(SeparatorsToDots, L"V2\u00c4"), L"V2.");
}

TEST(VersionStrings, ZeroStrippingKeepsOneCharacter)
{
    EXPECT_EQ(Apply(StripLeadingZeros, L"000"), L"0");
    EXPECT_EQ(Apply(StripLeadingZeros, L"0012"), L"12");
    EXPECT_EQ(Apply(StripLeadingZeros, L"0"), L"0");
    EXPECT_EQ(Apply(StripLeadingZeros, L"0.9"), L".9");
    EXPECT_EQ(Apply(StripTrailingZeros, L"2.10"), L"2.1");
    EXPECT_EQ(Apply(StripTrailingZeros, L"1.200"), L"1.2");
    EXPECT_EQ(Apply(StripTrailingZeros, L"0"), L"0");
    // A whole number keeps its zeros: 10 is neither 1 nor 100.
    EXPECT_EQ(Apply(StripTrailingZeros, L"1200"), L"1200");
    EXPECT_EQ(Apply(StripTrailingZeros, L"10"), L"10");
}

TEST(VersionStrings, AnExpectedFileVersionKeepsALoneLeadingZero)
{
    EXPECT_EQ(Apply(StripLeadingZerosBeforeDigits, L"0.9"), L"0.9");
    EXPECT_EQ(Apply(StripLeadingZerosBeforeDigits, L"00.9"), L"0.9");
    EXPECT_EQ(Apply(StripLeadingZerosBeforeDigits, L"0012"), L"12");
    EXPECT_EQ(Apply(StripLeadingZerosBeforeDigits, L"000"), L"0");
}

TEST(VersionStrings, TrailingDotZeroGroupsGoWhileSomethingStandsBeforeThem)
{
    // 1.0.0.0 strips to 1 as 10.0.0.0 strips to 10: an expected 1 is version 1.0.0.0.
    const std::pair<const wchar_t*, const wchar_t*> rows[] = {
        {L"1.2.0.0", L"1.2"}, {L"1.2.3.0", L"1.2.3"}, {L"10.0", L"10"},     {L"1.0.0", L"1"}, {L"1.0", L"1"},
        {L"1.10", L"1.10"},   {L"10.0.0.0", L"10"},   {L"1.0.0.0", L"1"},   {L".0", L".0"}, {L"0.0.0.0", L"0"},
    };
    for (const auto& [text, stripped] : rows)
        EXPECT_EQ(Apply(StripTrailingDotZeros, text), stripped) << text;
}

TEST(VersionStrings, TextsOfThousandsOfCharactersAreHandledWhole)
{
    const std::wstring longText = L"(" + std::wstring(5000, L'7') + L")";
    EXPECT_EQ(Apply(TrimTrailingNonAlnum, Apply(TrimLeadingNonAlnum, longText)), std::wstring(5000, L'7'));
    EXPECT_EQ(Apply(StripLeadingZeros, std::wstring(4000, L'0') + L"12"), L"12");
    EXPECT_EQ(Apply(StripTrailingDotZeros, L"3" + std::wstring(3000, L'0')), L"3" + std::wstring(3000, L'0'));
    std::wstring groups = L"17";
    for (int i = 0; i < 2000; ++i)
        groups += L".0";
    EXPECT_EQ(Apply(StripTrailingDotZeros, groups), L"17");
    EXPECT_EQ(Apply(SeparatorsToDots, std::wstring(3000, L',')), std::wstring(3000, L'.'));
}

std::wstring Formatted(const RegValue& value, int32_t expectedCode = eVersionPresent)
{
    std::wstring text = L"left over";
    EXPECT_EQ(FormatRegistryValue(value, text), expectedCode);
    return text;
}

TEST(RegistryValueText, DwordsAreHexadecimalWithoutLeadingZeros)
{
    EXPECT_EQ(Formatted(platform::RegDword(0x1A)), L"1A");
    EXPECT_EQ(Formatted(platform::RegDword(0)), L"0");
    EXPECT_EQ(Formatted(platform::RegDword(0xFFFFFFFF)), L"FFFFFFFF");
    EXPECT_EQ(Formatted(RegValue{regtype::Dword, {0x78, 0x56, 0x34, 0x12, 0xAA}}), L"12345678");
    // Fewer than four bytes hold no number: unsupported, never read past the data.
    EXPECT_EQ(Formatted(RegValue{regtype::Dword, {0x1A, 0}}, eUnsupportedRegistryValue), L"");
    EXPECT_EQ(Formatted(RegValue{regtype::Dword, {}}, eUnsupportedRegistryValue), L"");
}

TEST(RegistryValueText, BinaryIsHexPairsSeparatedBySingleBlanks)
{
    EXPECT_EQ(Formatted(RegValue{regtype::Binary, {0x01, 0x0A, 0xFF}}), L"01 0A FF");
    EXPECT_EQ(Formatted(RegValue{regtype::Binary, {}}), L"");
    const std::wstring whole = Formatted(RegValue{regtype::Binary, std::vector<uint8_t>(1000, 0xAB)});
    EXPECT_EQ(whole.size(), 1000u * 3 - 1);
}

TEST(RegistryValueText, TextsAreExpandedAndTrimmedAndEndWithTheirData)
{
    platform::SetEnvVar(L"QUEN_TEST_PRODUCT_VERSION", L"2.1");
    EXPECT_EQ(Formatted(platform::RegString(L" v2.1 ")), L"v2.1");
    EXPECT_EQ(Formatted(platform::RegString(L"%QUEN_TEST_PRODUCT_VERSION%", regtype::Sz)), L"2.1");
    EXPECT_EQ(Formatted(platform::RegString(L"[%QUEN_TEST_PRODUCT_VERSION%]", regtype::ExpandSz)), L"2.1");
    platform::SetEnvVar(L"QUEN_TEST_PRODUCT_VERSION", L"");
    // No terminating zero: the text ends with the data, an odd last byte is dropped.
    EXPECT_EQ(Formatted(RegValue{regtype::Sz, {'3', 0, '.', 0, '1', 0, 'x'}}), L"3.1");
    EXPECT_EQ(Formatted(RegValue{regtype::Sz, {}}), L"");
    const std::wstring longText(600, L'9');
    EXPECT_EQ(Formatted(platform::RegString(longText)), longText);
}

TEST(RegistryValueText, OtherTypesAreUnsupported)
{
    EXPECT_EQ(Formatted(RegValue{regtype::None, {1, 2}}, eUnsupportedRegistryValue), L"");
    EXPECT_EQ(Formatted(platform::RegMultiString({L"1.0"}), eUnsupportedRegistryValue), L"");
    EXPECT_EQ(Formatted(platform::RegQword(1), eUnsupportedRegistryValue), L"");
    EXPECT_EQ(Formatted(RegValue{0x1234, {1}}, eUnsupportedRegistryValue), L"");
}

}  // namespace
}  // namespace quen
