#include "platform/Process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using quen::platform::SplitCommandLine;
using Args = std::vector<std::wstring>;

struct SplitCase {
    const wchar_t* line;
    Args expected;
};

void ExpectSplits(const std::vector<SplitCase>& cases)
{
    for (const auto& c : cases)
        EXPECT_EQ(SplitCommandLine(c.line), c.expected) << testing::PrintToString(std::wstring(c.line));
}

TEST(SplitCommandLine, BlanksAndTabsSeparateAndNothingElseDoes)
{
    ExpectSplits({
        {L"", {}},
        {L"  \t  ", {}},
        {L"a b\tc", {L"a", L"b", L"c"}},
        {L"  a   \t b  ", {L"a", L"b"}},
        {L"a\nb\rc", {L"a\nb\rc"}},
        {L"/S /v\"/qn\"", {L"/S", L"/v/qn"}},
    });
}

TEST(SplitCommandLine, QuotesGroupAndJoinWithNeighbouringText)
{
    ExpectSplits({
        {L"\"a b\" c", {L"a b", L"c"}},
        {L"a\"b c\"d", {L"ab cd"}},
        {L"\"a\tb\"", {L"a\tb"}},
        {L"\"C:\\Program Files\\App\\setup.exe\" /s", {L"C:\\Program Files\\App\\setup.exe", L"/s"}},
        {L"\"unterminated text", {L"unterminated text"}},
    });
}

TEST(SplitCommandLine, EmptyQuotedArgumentsAreKept)
{
    ExpectSplits({
        {L"\"\"", {L""}},
        {L"a \"\" b", {L"a", L"", L"b"}},
        {L"\"\" \"\"", {L"", L""}},
        {L"a\"\"b", {L"ab"}},
    });
}

TEST(SplitCommandLine, DoubledQuoteInsideQuotesIsALiteralQuote)
{
    ExpectSplits({
        {L"\"a\"\"b\"", {L"a\"b"}},
        {L"\"\"\"", {L"\""}},
        {L"\"\"\"\"", {L"\""}},
        {L"\"a\"\"b c\" d", {L"a\"b c", L"d"}},
    });
}

TEST(SplitCommandLine, BackslashesCountOnlyBeforeAQuote)
{
    ExpectSplits({
        {L"C:\\a\\b \\\\server\\share", {L"C:\\a\\b", L"\\\\server\\share"}},
        {L"a\\\\", {L"a\\\\"}},
        {L"a\\\\\\\\\"b c\"", {L"a\\\\b c"}},
        {L"a\\\\\\\"b", {L"a\\\"b"}},
        {L"a\\\\\\\\\\\"b", {L"a\\\\\"b"}},
        {L"\\\"a\\\"", {L"\"a\""}},
        // The classic trap: the backslash before the closing quote escapes it.
        {L"\"C:\\Program Files\\\" x", {L"C:\\Program Files\" x"}},
        {L"\"C:\\Program Files\\\\\" x", {L"C:\\Program Files\\", L"x"}},
    });
}

}  // namespace
