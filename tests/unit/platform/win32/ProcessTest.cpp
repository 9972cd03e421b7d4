// Program start on Windows: command lines for direct starts and for cmd.exe,
// and 32-bit exit codes.
#include "platform/Process.h"

#include "fakes/ChildProgram.h"
#include "fakes/TestMachine.h"
#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

namespace {

using quen::platform::LastError;
using quen::platform::RunProgram;
using quen::test::PathText;
using quen::test::ReadChildOutput;
using Args = std::vector<std::wstring>;
namespace fs = std::filesystem;

class WindowsRunProgram : public quen::test::TestMachine {
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        m_child = quen::test::MapChildProgram(L'T');
    }

    uint32_t Run(const std::wstring& program, const std::wstring& arguments, bool throughInterpreter)
    {
        quen::platform::ProgramResult result;
        result.exitCode = 12345;
        EXPECT_TRUE(RunProgram(program, arguments, throughInterpreter, {}, result)) << LastError();
        return result.exitCode;
    }

    std::wstring OutArg() const { return L"\"" + Dir() + L"out\""; }
    std::vector<std::wstring> Out() const { return ReadChildOutput(Host(Dir() + L"out")); }

    std::wstring m_child;
};

TEST_F(WindowsRunProgram, ExitCodeKeepsAllThirtyTwoBits)
{
    EXPECT_EQ(Run(m_child, L"--quen-child exit 3010", false), 3010u);
    EXPECT_EQ(Run(m_child, L"--quen-child exit 3221225477", false), 0xC0000005u);
    EXPECT_EQ(Run(m_child, L"--quen-child exit 3010", true), 3010u);
}

TEST_F(WindowsRunProgram, ProgramInAFolderWithBlanksStartsWithEitherFlag)
{
    ASSERT_TRUE(quen::platform::MakeDirectory(Dir() + L"a folder"));
    const std::wstring program = Dir() + L"a folder\\the child.exe";
    ASSERT_TRUE(quen::platform::CopyOneFile(m_child, program, true));
    for (const bool throughInterpreter : {false, true}) {
        EXPECT_EQ(Run(program, L"--quen-child args " + OutArg() + L" \"x y\" z", throughInterpreter), 0u);
        EXPECT_EQ(Out(), (Args{L"x y", L"z"})) << "through the interpreter: " << throughInterpreter;
    }
}

TEST_F(WindowsRunProgram, BatchFileWithBlanksInItsPathRunsThroughCmdWhateverTheFlagAndCase)
{
    // cmd hands %* on as written; the batch file ends with its own exit code.
    const std::string script = "@\"" + quen::ToUtf8(m_child) + "\" --quen-child args %*\r\n@exit /b 3\r\n";
    ASSERT_TRUE(quen::platform::MakeDirectory(Dir() + L"my setup"));
    for (const wchar_t* name : {L"my setup\\run me.bat", L"my setup\\RUN ME.BAT", L"my setup\\go.Cmd"}) {
        WriteFile(Dir() + name, script);
        for (const bool throughInterpreter : {true, false}) {
            fs::remove(Host(Dir() + L"out"));
            EXPECT_EQ(Run(Dir() + name, OutArg() + L" /s \"a b\"", throughInterpreter), 3u) << name;
            EXPECT_EQ(Out(), (Args{L"/s", L"a b"})) << name;
        }
    }
}

}  // namespace
