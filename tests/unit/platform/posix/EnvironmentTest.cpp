// The POSIX personality's environment: Windows variables with Windows
// defaults, other names from the process.
#include "platform/Environment.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace quen::platform {
namespace {

TEST(PosixEnvironment, WindowsVariablesHaveWindowsDefaultsWhateverTheProcessSays)
{
    ::setenv("TEMP", "/tmp", 1);
    std::wstring value;
    ASSERT_TRUE(GetEnvVar(L"temp", value));
    EXPECT_EQ(value, L"C:\\Windows\\Temp");
    ASSERT_TRUE(GetEnvVar(L"PROGRAMFILES(X86)", value));
    EXPECT_EQ(value, L"C:\\Program Files (x86)");
    EXPECT_EQ(ExpandEnvVars(L"%SystemRoot%\\System32"), L"C:\\Windows\\System32");
    EXPECT_EQ(ExpandEnvVars(L"%%windir%"), L"%C:\\Windows");
}

TEST(PosixEnvironment, OtherNamesComeFromTheProcessAndSetValuesWin)
{
    ::setenv("QUEN_PROCESS_ENV_TEST", "from-process", 1);
    std::wstring value;
    ASSERT_TRUE(GetEnvVar(L"quen_process_env_test", value));
    EXPECT_EQ(value, L"from-process");

    SetEnvVar(L"Quen_Process_Env_Test", L"set-here");
    EXPECT_EQ(ExpandEnvVars(L"<%QUEN_PROCESS_ENV_TEST%>"), L"<set-here>");
    SetEnvVar(L"QUEN_PROCESS_ENV_TEST", L"");
    EXPECT_FALSE(GetEnvVar(L"QUEN_PROCESS_ENV_TEST", value));
    ::unsetenv("QUEN_PROCESS_ENV_TEST");
}

}  // namespace
}  // namespace quen::platform
