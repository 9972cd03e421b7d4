#include "platform/Process.h"

#include "fakes/ChildProgram.h"
#include "fakes/TestMachine.h"
#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

using quen::platform::LastError;
using quen::platform::RunProgram;
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

    // Expects the start to fail with `error`.
    static void ExpectStartFails(const std::wstring& program, uint32_t error)
    {
        uint32_t code = 12345;
        EXPECT_FALSE(RunProgram(program, L"", false, code)) << testing::PrintToString(program);
        EXPECT_EQ(LastError(), error) << testing::PrintToString(program);
        EXPECT_EQ(code, 12345u);
    }

    std::wstring m_child;
};

TEST_F(RunProgramTest, ReturnsTheExitStatusOfTheProgram)
{
    EXPECT_EQ(RunChild(L"exit 0"), 0u);
    EXPECT_EQ(RunChild(L"exit 1"), 1u);
    EXPECT_EQ(RunChild(L"exit 255"), 255u);
    // POSIX exit statuses have 8 bits: 3010 arrives as its low byte.
    EXPECT_EQ(RunChild(L"exit 3010"), 3010u & 0xFFu);
}

TEST_F(RunProgramTest, ProgramKilledBySignalReportsAnNtStatusLikeCode)
{
    EXPECT_EQ(RunChild(L"signal 15"), 0xC000000Fu);
}

TEST_F(RunProgramTest, PassesArgumentsSplitByTheWindowsRules)
{
    const fs::path out = Host(Dir() + L"args.txt");
    RunChild(L"args " + quen::test::Quoted(out) + L" plain \"two words\" \"\" a\\\"b C:\\x\\ Grüße");
    EXPECT_EQ(quen::test::ReadChildOutput(out),
              (std::vector<std::wstring>{L"plain", L"two words", L"", L"a\"b", L"C:\\x\\", L"Grüße"}));
}

TEST_F(RunProgramTest, RelativeProgramResolvesAgainstTheWindowsCurrentDirectory)
{
    ASSERT_TRUE(quen::platform::SetCurrentDir(L"T:\\"));
    const std::wstring name = m_child.substr(3);
    uint32_t code = 0;
    ASSERT_TRUE(RunProgram(name, L"--quen-child exit 7", false, code));
    EXPECT_EQ(code, 7u);
}

TEST_F(RunProgramTest, RunsBatchFilesThroughTheShellWhateverTheFlagAndCase)
{
    const fs::path out = Host(Dir()) / "out.txt";
    const std::string script = "printf '%s\\0' \"$@\" > '" + out.string() + "'\nexit 3\n";
    for (const wchar_t* name : {L"setup.bat", L"SETUP.BAT", L"run.Cmd"}) {
        WriteFile(Dir() + name, script);  // no execute bit: the shell reads it
        for (bool throughInterpreter : {true, false}) {
            fs::remove(out);
            uint32_t code = 0;
            ASSERT_TRUE(RunProgram(Dir() + name, L"/s \"a b\"", throughInterpreter, code)) << name;
            EXPECT_EQ(code, 3u) << name;
            EXPECT_EQ(quen::test::ReadChildOutput(out), (std::vector<std::wstring>{L"/s", L"a b"})) << name;
        }
    }
}

TEST_F(RunProgramTest, ProgramRunsInTheWindowsCurrentDirectory)
{
    WriteFile(Dir() + L"where.bat", "pwd -P > where.txt\n");
    ASSERT_TRUE(quen::platform::SetCurrentDir(Dir()));
    uint32_t code = 1;
    ASSERT_TRUE(RunProgram(L"where.bat", L"", true, code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadFile(Dir() + L"where.txt"), fs::canonical(Host(Dir())).string() + "\n");
}

TEST_F(RunProgramTest, ProgramThatCannotStartFailsWithTheWindowsError)
{
    ExpectStartFails(Dir() + L"missing.exe", err::FileNotFound);
    ExpectStartFails(Dir() + L"missing.bat", err::FileNotFound);
    ExpectStartFails(Dir() + L"no\\such\\folder\\setup.exe", err::PathNotFound);
    ExpectStartFails(Dir(), err::AccessDenied);
    ExpectStartFails(L"C:\\bad<name>.exe", err::InvalidName);

    WriteFile(Dir() + L"plain.exe", "#!/bin/sh\nexit 0\n");
    ExpectStartFails(Dir() + L"plain.exe", err::AccessDenied);

    WriteFile(Dir() + L"text.exe", "not a program\n");
    fs::permissions(Host(Dir() + L"text.exe"), fs::perms::owner_all);
    ExpectStartFails(Dir() + L"text.exe", err::BadExeFormat);
}

TEST_F(RunProgramTest, ChildInheritsNoDescriptorBeyondTheStandardThree)
{
    WriteFile(Dir() + L"held.txt", "x");
    const fs::path held = fs::canonical(Host(Dir() + L"held.txt"));
    // fopen does not mark its descriptor close-on-exec.
    std::unique_ptr<FILE, int (*)(FILE*)> open(std::fopen(held.c_str(), "r"), &std::fclose);
    ASSERT_TRUE(open);

    const fs::path out = Host(Dir() + L"fds.txt");
    EXPECT_EQ(RunChild(L"fds " + quen::test::Quoted(out)), 0u);
    const auto targets = quen::test::ReadChildOutput(out);
    EXPECT_FALSE(targets.empty());  // the listing's own descriptor at least
    for (const auto& target : targets)
        EXPECT_NE(target, quen::FromUtf8Lossy(held.string()));
}

}  // namespace
