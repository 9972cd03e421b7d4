#include "foundation/WideString.h"

#include <gtest/gtest.h>

namespace quen {
namespace {

TEST(Format, FillsLikePrintfPrintsNegativeHexInItsOwnWidthAndNeverReadsPastTheArguments)
{
    const std::pair<std::wstring, std::wstring> rows[] = {
        {Format(L"The source directory %s does not exist.", std::wstring(L"D:\\src")),
         L"The source directory D:\\src does not exist."},
        {Format(L"%5d|%-5d|%05d|%u%%", 42, 42, 42, 7u), L"   42|42   |00042|7%"},
        {Format(L"%g %g %g", 19.6, 10.0 + 1.0 / 6.0, 100.0), L"19.6 10.1667 100"},
        {Format(L"%c[%-4s][%4s][%.2s]", L'o', L"ab", L"ab", L"abcdef"), L"o[ab  ][  ab][ab]"},
        {Format(L"%08.8lx %x", -1, static_cast<int16_t>(-1)), L"ffffffff ffff"},
        {Format(L"%ld (0x%08.8lx)", static_cast<int32_t>(0x80000000u), 0x80000000u), L"-2147483648 (0x80000000)"},
        {Format(L"%d and %s"), L" and "},
        {Format(L"100%"), L"100%"},
        {Format(L"%y %d", 1), L"%y 1"},
    };
    for (const auto& [formatted, expected] : rows)
        EXPECT_EQ(formatted, expected);
    EXPECT_EQ(Format(L"%99999999d", 1).size(), 4096u);  // absurd widths are capped
}

TEST(Utf, RoundTripsEveryPlaneInUtf8AndUtf16LeAndRefusesOrReplacesWhatIsMalformed)
{
    const std::wstring text = L"a\u00e4\u20ac\U0001F600";
    EXPECT_EQ(ToUtf8(text), "a\xc3\xa4\xe2\x82\xac\xf0\x9f\x98\x80");
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(FromUtf16(ToUtf16(text)), text);
    EXPECT_EQ(ToUtf16Le(L"A\u20AC\U0001F600"), std::string("A\0\xAC\x20\x3D\xD8\x00\xDE", 8));
    EXPECT_EQ(FromUtf16Le(ToUtf16Le(text)), text);
    for (const char* bad : {"\xff", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "a\x80"})
        EXPECT_FALSE(FromUtf8(bad).has_value()) << bad;
    EXPECT_EQ(FromUtf8Lossy("a\xff" "b"), L"a\uFFFDb");
    EXPECT_EQ(FromUtf16(u"\xD800x"), L"\uFFFDx");
    const std::pair<std::string, std::wstring> reads[] = {
        {std::string("A\0B", 3), L"A"},                   // an odd last byte is dropped
        {std::string("\x3D\xD8" "A\0", 4), L"\uFFFDA"},  // an unpaired surrogate
        {std::string("\xFF\xFE" "A\0", 4), L"\uFEFFA"},  // a byte-order mark is the caller's to strip
    };
    for (const auto& [bytes, decoded] : reads)
        EXPECT_EQ(FromUtf16Le(bytes), decoded);
    EXPECT_EQ(FromZeroTerminatedUtf16Le(std::string("A\0\0\0B\0", 6)), L"A");
    EXPECT_EQ(FromZeroTerminatedUtf16Le(std::string("AB", 2)), L"\u4241");
    EXPECT_TRUE(IsWellFormedUtf16(u"a\U0001F600"));
    for (const std::u16string_view flawed : {u"\xD83D", u"\xDE00\xD83D", u"a\xD83Dz"})
        EXPECT_FALSE(IsWellFormedUtf16(flawed));
}

}  // namespace
}  // namespace quen
