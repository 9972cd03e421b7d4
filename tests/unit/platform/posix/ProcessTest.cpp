// Program start on POSIX: batch files through /bin/sh, scripts through their
// interpreter, Windows executables refused, 8-bit exit statuses, signals,
// the machine in the environment, and descriptors left behind.
#include "platform/Process.h"

#include "fakes/ChildProgram.h"
#include "fakes/TestMachine.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

#include <quen/Machine.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

using quen::platform::LastError;
using quen::platform::RunProgram;
using quen::test::ReadChildOutput;
using Args = std::vector<std::wstring>;
namespace err = quen::platform::err;
namespace fs = std::filesystem;

class PosixRunProgram : public quen::test::TestMachine {
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

    fs::path Out(const wchar_t* name) const { return Host(Dir()) / name; }

    std::wstring m_child;
};

TEST_F(PosixRunProgram, ExitStatusHasEightBitsAndASignalGivesAnNtStatusLikeCode)
{
    EXPECT_EQ(RunChild(L"exit 3010"), 3010u & 0xFFu);
    EXPECT_EQ(RunChild(L"signal 15"), 0xC000000Fu);
}

TEST_F(PosixRunProgram, RunsBatchFilesThroughTheShellWhateverTheFlagAndCase)
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

TEST_F(PosixRunProgram, ScriptsRunThroughTheirInterpreterWithoutAnExecuteBit)
{
    // The environment shows the machine to the script; it runs in its own folder.
    quen::MapDrive(L'R', Host(Dir() + L"recovery"));
    const std::string report = "printf '%s\\0' \"$PWD\" \"$QUEN_ROOT\" \"$QUEN_DRIVE_R\" \"$@\" > '" +
                               Out(L"out").string() + "'\nexit 7\n";
    WriteFile(Dir() + L"tools\\setup", "#!/bin/sh\n" + report);
    WriteFile(Dir() + L"tools\\opts.sh", "#! /bin/sh -e  \r\n" + report);
    for (const wchar_t* name : {L"tools\\setup", L"tools\\opts.sh"}) {
        fs::remove(Out(L"out"));
        uint32_t code = 0;
        ASSERT_TRUE(RunProgram(Dir() + name, L"C:\\Target \"a b\"", false, code)) << LastError();
        EXPECT_EQ(code, 7u);
        const auto seen = ReadChildOutput(Out(L"out"));
        ASSERT_EQ(seen.size(), 5u) << name;
        EXPECT_TRUE(fs::equivalent(quen::test::PathFromText(seen[0]), Host(Dir() + L"tools"))) << seen[0];
        EXPECT_EQ(quen::test::PathFromText(seen[1]), HostRoot());
        EXPECT_EQ(quen::test::PathFromText(seen[2]), Host(Dir() + L"recovery"));
        EXPECT_EQ(seen[3], L"C:\\Target");
        EXPECT_EQ(seen[4], L"a b");
    }
}

TEST_F(PosixRunProgram, WindowsExecutablesAndPlainFilesWithoutExecuteBitAreRefused)
{
    WriteFile(Dir() + L"setup.exe", std::string("MZ\x90\0", 4) + "This program cannot be run in DOS mode");
    WriteFile(Dir() + L"data.bin", "not a program");
    WriteFile(Dir() + L"empty.sh", "#!\n");
    fs::permissions(Host(Dir() + L"setup.exe"), fs::perms::owner_all);
    const std::pair<const wchar_t*, uint32_t> cases[] = {
        {L"setup.exe", err::BadExeFormat}, {L"data.bin", err::AccessDenied}, {L"empty.sh", err::BadExeFormat}};
    for (const auto& [name, error] : cases) {
        uint32_t code = 12345;
        EXPECT_FALSE(RunProgram(Dir() + name, L"", false, code)) << name;
        EXPECT_EQ(LastError(), error) << name;
        EXPECT_EQ(code, 12345u);
    }
}

TEST_F(PosixRunProgram, ChildInheritsNoDescriptorBeyondTheStandardThree)
{
    WriteFile(Dir() + L"held", "x");
    const fs::path held = fs::canonical(Out(L"held"));
    // fopen does not mark its descriptor close-on-exec.
    std::unique_ptr<FILE, int (*)(FILE*)> open(std::fopen(held.c_str(), "r"), &std::fclose);
    ASSERT_TRUE(open);

    EXPECT_EQ(RunChild(L"links \"" + quen::test::PathText(Out(L"fds")) + L"\" /proc/self/fd"), 0u);
    const auto targets = ReadChildOutput(Out(L"fds"));
    EXPECT_GE(targets.size(), 4u);  // the standard three and the listing's own descriptor
    EXPECT_EQ(std::count(targets.begin(), targets.end(), quen::test::PathText(held)), 0);
}

}  // namespace
