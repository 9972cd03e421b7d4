#include "platform/Process.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::wstring>;

TEST(SplitCommandLine, BlanksOutsideQuotesSeparateDoubledQuotesInsideAreLiteralAndBackslashesCountBeforeAQuote)
{
    const std::pair<const wchar_t*, Args> cases[] = {
        {L"", {}},
        {L"  a \t b  ", {L"a", L"b"}},
        {L"a\nb", {L"a\nb"}},
        {L"\"a b\"\tc", {L"a b", L"c"}},
        {L"a\"b c\"d /v\"/qn\"", {L"ab cd", L"/v/qn"}},
        {L"\"unterminated text", {L"unterminated text"}},
        {L"a \"\" b \"\"", {L"a", L"", L"b", L""}},
        {L"\"a\"\"b c\" d", {L"a\"b c", L"d"}},
        {L"\"\"\"", {L"\""}},
        {L"C:\\a\\ \\\\server\\share\\\\", {L"C:\\a\\", L"\\\\server\\share\\\\"}},
        {L"a\\\\\\\\\"b c\"", {L"a\\\\b c"}},      // 2n: n backslashes, the quote groups
        {L"a\\\\\\\"b", {L"a\\\"b"}},              // 2n+1: n backslashes and a literal quote
        {L"\"C:\\Program Files\\\" x", {L"C:\\Program Files\" x"}},
        {L"\"C:\\Program Files\\\\\" x", {L"C:\\Program Files\\", L"x"}},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(quen::platform::SplitCommandLine(line), expected) << testing::PrintToString(std::wstring(line));
}

}  // namespace
