#include "platform/Process.h"

#include "fakes/ChildProgram.h"
#include "fakes/TestMachine.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using quen::platform::LastError;
using quen::platform::ProgramEnd;
using quen::platform::ProgramOutput;
using quen::platform::ProgramResult;
using quen::platform::ProgramWatch;
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

    uint32_t RunChild(const std::wstring& arguments) { return Watched(arguments, {}).exitCode; }

    ProgramResult Watched(const std::wstring& arguments, ProgramWatch watch)
    {
        watch.onOutputLine = [this](const std::wstring& line) { m_lines.push_back(line); };
        ProgramResult result;
        result.exitCode = 12345;
        EXPECT_TRUE(RunProgram(m_child, L"--quen-child " + arguments, false, watch, result)) << LastError();
        return result;
    }

    // The host path of a scratch file, quoted for an argument text.
    std::wstring HostArg(const wchar_t* name) const { return L"\"" + PathText(Out(name)) + L"\""; }
    fs::path Out(const wchar_t* name) const { return Host(Dir()) / name; }

    std::wstring m_child;
    Args m_lines;
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
        ProgramResult result;
        ASSERT_TRUE(RunProgram(relative, L"--quen-child cwd " + HostArg(L"cwd"), throughInterpreter, {}, result))
            << LastError();
        EXPECT_EQ(result.exitCode, 0u);
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
            ProgramResult result;
            EXPECT_FALSE(RunProgram(program, L"", throughInterpreter, {}, result)) << testing::PrintToString(program);
            EXPECT_EQ(LastError(), error) << testing::PrintToString(program);
        }
    }
}

TEST_F(RunProgramTest, OutputAndErrorReachTheCallerLineByLine)
{
    EXPECT_EQ(Watched(L"say \"to output\" \"to error\"", {}).exitCode, 0u);
    EXPECT_EQ(m_lines, (Args{L"to output", L"to error"}));
}

TEST_F(RunProgramTest, ProgramThatReadsItsInputFindsItsEndAtOnce)
{
    EXPECT_EQ(RunChild(L"stdin 7"), 7u);
}

TEST_F(RunProgramTest, TimeLimitAndStopEndTheProgram)
{
    ProgramWatch limited;
    limited.timeoutSeconds = 1;
    EXPECT_EQ(Watched(L"sleep 120", limited).end, ProgramEnd::TimedOut);

    std::atomic<bool> stop{true};
    ProgramWatch stopped;
    stopped.stop = &stop;
    EXPECT_EQ(Watched(L"sleep 120", stopped).end, ProgramEnd::Stopped);
}

TEST(ProgramOutputLines, KeepTheFirst64KiBAndCountTheRest)
{
    std::vector<std::string> lines;
    ProgramOutput output([&lines](std::string_view line) { lines.emplace_back(line); });
    output.Add("first\r\nsec");
    output.Add("ond\n\n");
    const std::string line(999, 'x');
    for (int i = 0; i < 100; ++i)
        output.Add(line + "\n");
    output.Finish();

    EXPECT_EQ(lines[0], "first");
    EXPECT_EQ(lines[1], "second");
    EXPECT_EQ(lines[2], "");
    const std::size_t firstBytes = 15;  // "first\r\nsecond\n\n"
    const std::size_t full = (ProgramOutput::kKeptBytes - firstBytes) / 1000;
    ASSERT_EQ(lines.size(), 3 + full + 1);
    EXPECT_EQ(lines[3 + full], std::string((ProgramOutput::kKeptBytes - firstBytes) % 1000, 'x'));
    EXPECT_EQ(output.BytesNotKept(), firstBytes + 100 * 1000 - ProgramOutput::kKeptBytes);
}

TEST(BatchFiles, AreKnownByTheirExtensionInAnyCase)
{
    for (const wchar_t* name : {L"setup.bat", L"C:\\a\\SETUP.BAT", L"run.Cmd", L"x.y\\z.cmd"})
        EXPECT_TRUE(quen::platform::IsBatchFile(name)) << name;
    for (const wchar_t* name : {L"setup.exe", L"bat", L"C:\\a.bat\\setup", L"setup.bat.exe", L"x.cmdx"})
        EXPECT_FALSE(quen::platform::IsBatchFile(name)) << name;
}

}  // namespace
