#include "platform/Environment.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
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

#ifndef _WIN32
TEST(Environment, OnPosixWindowsVariablesHaveWindowsDefaultsAndOtherNamesComeFromTheProcessUnlessSetHere)
{
    ::setenv("TEMP", "/tmp", 1);
    ::setenv("QUEN_ENV_PROCESS", "from-process", 1);
    EXPECT_EQ(ExpandEnvVars(L"%temp%;%PROGRAMFILES(X86)%;%quen_env_process%"),
              L"C:\\Windows\\Temp;C:\\Program Files (x86);from-process");
    EXPECT_EQ(ExpandEnvVars(L"%SystemRoot%\\System32 %%windir%"), L"C:\\Windows\\System32 %C:\\Windows");
    SetEnvVar(L"Quen_Env_Process", L"set-here");
    EXPECT_EQ(ExpandEnvVars(L"<%QUEN_ENV_PROCESS%>"), L"<set-here>");
    SetEnvVar(L"QUEN_ENV_PROCESS", L"");
    ::unsetenv("QUEN_ENV_PROCESS");
}
#endif

}  // namespace
}  // namespace quen::platform
