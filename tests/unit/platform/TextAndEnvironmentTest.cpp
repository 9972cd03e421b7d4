#include "platform/Environment.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <tuple>

namespace quen::platform {
namespace {

TEST(Text, WildcardsMatchWithoutRegardToCase)
{
    for (const auto& [text, pattern, matches] : {std::tuple{L"Setup.APP", L"*.app", true}, {L"a.b.c", L"*.c", true},
                                                 {L"abc", L"a?c", true}, {L"abc", L"a?", false}})
        EXPECT_EQ(MatchesPattern(text, pattern), matches) << text << L" " << pattern;
    // Pathological patterns finish quickly instead of backtracking exponentially.
    EXPECT_FALSE(MatchesPattern(std::wstring(5000, L'a'), L"*a*a*a*a*a*a*a*a*b"));
}

TEST(Environment, NamesIgnoreCaseUnknownReferencesStayAsWrittenAndAnEmptyValueRemovesTheVariable)
{
    SetEnvVar(L"Quen_Env_Test", L"C:\\Q");
    std::wstring value;
    ASSERT_TRUE(GetEnvVar(L"QUEN_ENV_TEST", value));
    EXPECT_EQ(value, L"C:\\Q");
    EXPECT_EQ(ExpandEnvVars(L"100% sure"), L"100% sure");
    EXPECT_EQ(ExpandEnvVars(L"%NOPE_Q%%quen_env_test%\\x"), L"%NOPE_Q%C:\\Q\\x");
    SetEnvVar(L"QUEN_ENV_TEST", L"");
    EXPECT_FALSE(GetEnvVar(L"quen_env_test", value));
}

}  // namespace
}  // namespace quen::platform
