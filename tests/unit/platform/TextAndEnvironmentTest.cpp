#include "platform/Environment.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

namespace quen::platform {
namespace {

TEST(Text, ClassifiesAndMapsNonLatinLettersToo)
{
    EXPECT_TRUE(IsLetter(L'\u00e4'));
    EXPECT_TRUE(IsLetter(L'\u0416'));
    EXPECT_FALSE(IsLetter(L'1'));
    EXPECT_TRUE(IsDigit(L'7'));
    EXPECT_EQ(ToUpper(L'\u00e4'), L'\u00c4');
    EXPECT_EQ(ToUpper(std::wstring_view(L"straße")), L"STRAßE");
    EXPECT_TRUE(EqualsNoCase(L"Ärger", L"äRGER"));
    EXPECT_FALSE(EqualsNoCase(L"abc", L"abcd"));
    EXPECT_LT(CompareNoCase(L"apple", L"Banana"), 0);
    EXPECT_GT(CompareNoCase(L"b", L"A"), 0);
}

TEST(Text, WildcardsMatchWithoutRegardToCase)
{
    EXPECT_TRUE(MatchesPattern(L"Setup.APP", L"*.app"));
    EXPECT_TRUE(MatchesPattern(L"QRCD_3", L"qrcd*"));
    EXPECT_TRUE(MatchesPattern(L"a.b.c", L"*.c"));
    EXPECT_TRUE(MatchesPattern(L"abc", L"a?c"));
    EXPECT_TRUE(MatchesPattern(L"", L"*"));
    EXPECT_FALSE(MatchesPattern(L"abc", L"a?"));
    EXPECT_FALSE(MatchesPattern(L"x.apps", L"*.app"));
    // Pathological patterns finish quickly instead of backtracking exponentially.
    EXPECT_FALSE(MatchesPattern(std::wstring(5000, L'a'), L"*a*a*a*a*a*a*a*a*b"));
}

TEST(Environment, NamesIgnoreCaseAndAnEmptyValueRemovesTheVariable)
{
    SetEnvVar(L"Quen_Env_Test", L"set-here");
    std::wstring value;
    ASSERT_TRUE(GetEnvVar(L"QUEN_ENV_TEST", value));
    EXPECT_EQ(value, L"set-here");
    EXPECT_EQ(ExpandEnvVars(L"<%quen_env_test%>"), L"<set-here>");
    SetEnvVar(L"QUEN_ENV_TEST", L"");
    EXPECT_FALSE(GetEnvVar(L"quen_env_test", value));
}

TEST(Environment, UnknownReferencesAndLonePercentSignsStayAsWritten)
{
    SetEnvVar(L"QUEN_ENV_DIR", L"C:\\Q");
    EXPECT_EQ(ExpandEnvVars(L"%NO_SUCH_VARIABLE_Q%\\x"), L"%NO_SUCH_VARIABLE_Q%\\x");
    EXPECT_EQ(ExpandEnvVars(L"100% sure"), L"100% sure");
    EXPECT_EQ(ExpandEnvVars(L"%NOPE_Q%%QUEN_ENV_DIR%"), L"%NOPE_Q%C:\\Q");
    SetEnvVar(L"QUEN_ENV_DIR", L"");
}

}  // namespace
}  // namespace quen::platform
