#include "platform/Process.h"

#include "fakes/ChildProgram.h"
#include "fakes/TestMachine.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace {

using quen::platform::LastError;
using quen::platform::RunProgram;
using quen::test::PathText;
using quen::test::ReadChildOutput;
using Args = std::vector<std::wstring>;
namespace err = quen::platform::err;
namespace fs = std::filesystem;

class RunProgramTest : public quen::test::TestMachine {
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        m_child = quen::test::MapChildProgram(L'T');
    }

    uint32_t RunChild(const std::wstring& arguments)
    {
        uint32_t code = 12345;
        EXPECT_TRUE(RunProgram(m_child, L"--quen-child " + arguments, false, code)) << LastError();
        return code;
    }

    // The host path of a scratch file, quoted for an argument text.
    std::wstring HostArg(const wchar_t* name) const { return L"\"" + PathText(Out(name)) + L"\""; }
    fs::path Out(const wchar_t* name) const { return Host(Dir()) / name; }

    std::wstring m_child;
};

TEST_F(RunProgramTest, ReturnsTheProgramsExitCode)
{
    EXPECT_EQ(RunChild(L"exit 0"), 0u);
    EXPECT_EQ(RunChild(L"exit 1"), 1u);
    EXPECT_EQ(RunChild(L"exit 255"), 255u);
}

TEST_F(RunProgramTest, PassesArgumentsSplitByTheWindowsRules)
{
    RunChild(L"args " + HostArg(L"args") + L" plain \"two words\" \"\" a\\\"b C:\\x\\ Grüße");
    EXPECT_EQ(ReadChildOutput(Out(L"args")), (Args{L"plain", L"two words", L"", L"a\"b", L"C:\\x\\", L"Grüße"}));
}

TEST_F(RunProgramTest, RelativeProgramResolvesAndRunsInTheWindowsCurrentDirectory)
{
    const std::size_t slash = m_child.find_last_of(L'\\');
    ASSERT_TRUE(quen::platform::SetCurrentDir(m_child.substr(0, slash + 1)));
    const std::wstring relative = m_child.substr(slash + 1);
    for (const bool throughInterpreter : {false, true}) {
        fs::remove(Out(L"cwd"));
        uint32_t code = 1;
        ASSERT_TRUE(RunProgram(relative, L"--quen-child cwd " + HostArg(L"cwd"), throughInterpreter, code))
            << LastError();
        EXPECT_EQ(code, 0u);
        const auto where = ReadChildOutput(Out(L"cwd"));
        ASSERT_EQ(where.size(), 1u);
        EXPECT_TRUE(fs::equivalent(quen::test::PathFromText(where[0]), quen::platform::RunningProgramPath().parent_path()))
            << where[0];
    }
}

TEST_F(RunProgramTest, ProgramThatCannotStartFailsWithTheWindowsError)
{
    WriteFile(Dir() + L"text.exe", "not a program\n");
    fs::permissions(Host(Dir() + L"text.exe"), fs::perms::owner_all);
    const std::pair<std::wstring, uint32_t> cases[] = {
        {Dir() + L"missing.exe", err::FileNotFound},        {Dir() + L"missing.bat", err::FileNotFound},
        {Dir() + L"no\\folder\\a.exe", err::PathNotFound}, {Dir(), err::AccessDenied},
        {Dir() + L"text.exe", err::BadExeFormat},           {L"C:\\bad<name>.exe", err::InvalidName},
    };
    for (const auto& [program, error] : cases) {
        for (const bool throughInterpreter : {false, true}) {
            if (error == err::BadExeFormat && throughInterpreter)
                continue;  // the interpreter starts, and reports it through its exit code
            uint32_t code = 12345;
            EXPECT_FALSE(RunProgram(program, L"", throughInterpreter, code)) << testing::PrintToString(program);
            EXPECT_EQ(LastError(), error) << testing::PrintToString(program);
            EXPECT_EQ(code, 12345u);
        }
    }
}

TEST(BatchFiles, AreKnownByTheirExtensionInAnyCase)
{
    for (const wchar_t* name : {L"setup.bat", L"C:\\a\\SETUP.BAT", L"run.Cmd", L"x.y\\z.cmd"})
        EXPECT_TRUE(quen::platform::IsBatchFile(name)) << name;
    for (const wchar_t* name : {L"setup.exe", L"bat", L"C:\\a.bat\\setup", L"setup.bat.exe", L"x.cmdx"})
        EXPECT_FALSE(quen::platform::IsBatchFile(name)) << name;
}

}  // namespace
