// Windows variables with Windows defaults, other names from the process unless set here.
#include "platform/Environment.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace quen::platform {
namespace {

TEST(PosixEnvironment, WindowsVariablesHaveWindowsDefaultsAndOtherNamesComeFromTheProcessUnlessSetHere)
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

}  // namespace
}  // namespace quen::platform
