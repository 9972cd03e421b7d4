#include "platform/Process.h"

#include "fakes/ChildProgram.h"
#include "fakes/TestMachine.h"
#include "foundation/WideString.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

using quen::platform::LastError;
using quen::platform::RunProgram;
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
    std::wstring HostArg(const wchar_t* name) const { return L"\"" + quen::FromUtf8Lossy(Out(name).string()) + L"\""; }
    fs::path Out(const wchar_t* name) const { return Host(Dir()) / name; }

    std::wstring m_child;
};

TEST_F(RunProgramTest, ReturnsTheExitStatusOrAnNtStatusLikeCodeForASignal)
{
    EXPECT_EQ(RunChild(L"exit 0"), 0u);
    EXPECT_EQ(RunChild(L"exit 1"), 1u);
    EXPECT_EQ(RunChild(L"exit 255"), 255u);
    EXPECT_EQ(RunChild(L"exit 3010"), 3010u & 0xFFu);  // POSIX exit statuses have 8 bits
    EXPECT_EQ(RunChild(L"signal 15"), 0xC000000Fu);
}

TEST_F(RunProgramTest, PassesArgumentsSplitByTheWindowsRules)
{
    RunChild(L"args " + HostArg(L"args") + L" plain \"two words\" \"\" a\\\"b C:\\x\\ Grüße");
    EXPECT_EQ(ReadChildOutput(Out(L"args")), (Args{L"plain", L"two words", L"", L"a\"b", L"C:\\x\\", L"Grüße"}));
}

TEST_F(RunProgramTest, RunsBatchFilesThroughTheShellWhateverTheFlagAndCase)
{
    const std::string script = "printf '%s\\0' \"$@\" > '" + Out(L"out").string() + "'\nexit 3\n";
    for (const wchar_t* name : {L"setup.bat", L"SETUP.BAT", L"run.Cmd"}) {
        WriteFile(Dir() + name, script);  // no execute bit: the shell reads it
        for (bool throughInterpreter : {true, false}) {
            fs::remove(Out(L"out"));
            uint32_t code = 0;
            ASSERT_TRUE(RunProgram(Dir() + name, L"/s \"a b\"", throughInterpreter, code)) << name;
            EXPECT_EQ(code, 3u) << name;
            EXPECT_EQ(ReadChildOutput(Out(L"out")), (Args{L"/s", L"a b"})) << name;
        }
    }
}

TEST_F(RunProgramTest, RelativeProgramResolvesAndRunsInTheWindowsCurrentDirectory)
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
    WriteFile(Dir() + L"noexec.exe", "#!/bin/sh\n");
    WriteFile(Dir() + L"text.exe", "not a program\n");
    fs::permissions(Host(Dir() + L"text.exe"), fs::perms::owner_all);
    const std::pair<std::wstring, uint32_t> cases[] = {
        {Dir() + L"missing.exe", err::FileNotFound},         {Dir() + L"missing.bat", err::FileNotFound},
        {Dir() + L"no\\folder\\a.exe", err::PathNotFound},  {Dir(), err::AccessDenied},
        {Dir() + L"noexec.exe", err::AccessDenied},          {Dir() + L"text.exe", err::BadExeFormat},
        {L"C:\\bad<name>.exe", err::InvalidName},
    };
    for (const auto& [program, error] : cases) {
        uint32_t code = 12345;
        EXPECT_FALSE(RunProgram(program, L"", false, code)) << testing::PrintToString(program);
        EXPECT_EQ(LastError(), error) << testing::PrintToString(program);
        EXPECT_EQ(code, 12345u);
    }
}

TEST_F(RunProgramTest, ChildInheritsNoDescriptorBeyondTheStandardThree)
{
    WriteFile(Dir() + L"held", "x");
    const fs::path held = fs::canonical(Out(L"held"));
    // fopen does not mark its descriptor close-on-exec.
    std::unique_ptr<FILE, int (*)(FILE*)> open(std::fopen(held.c_str(), "r"), &std::fclose);
    ASSERT_TRUE(open);

    EXPECT_EQ(RunChild(L"fds " + HostArg(L"fds")), 0u);
    const auto targets = ReadChildOutput(Out(L"fds"));
    EXPECT_FALSE(targets.empty());  // the listing's own descriptor at least
    EXPECT_EQ(std::count(targets.begin(), targets.end(), quen::FromUtf8Lossy(held.string())), 0);
}

}  // namespace
