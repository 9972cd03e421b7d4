// Program start on POSIX: scripts, 8-bit exit statuses, signals, what the child inherits.
#include "unit/platform/ProgramRun.h"

#include "platform/Paths.h"

#include <quen/Machine.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <thread>
#include <unistd.h>

namespace quen::platform {
namespace {

using quen::test::PathFromText;
using quen::test::ReadChildOutput;
using Args = std::vector<std::wstring>;
namespace fs = std::filesystem;

// Gone, or a zombie that nobody has reaped yet.
bool Ended(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return true;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    return close != std::string::npos && text.substr(close + 2, 1) == "Z";
}

// False for no process (0): a holder that never wrote its ID.
bool EndsSoon(pid_t pid)
{
    if (pid == 0)
        return false;
    for (int i = 0; i < 200 && !Ended(pid); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return Ended(pid);
}

class PosixRunProgram : public quen::test::ProgramRun {
protected:
    // The process ID a "hold" child wrote, once it is there.
    pid_t HolderId(const wchar_t* name) const
    {
        for (int i = 0; i < 200 && ReadChildOutput(Out(name)).empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const auto written = ReadChildOutput(Out(name));
        return written.empty() ? 0 : static_cast<pid_t>(std::stol(written[0]));
    }

    // A shell script that starts a "hold" child in the background, then `rest`.
    std::wstring BackgroundHolder(const wchar_t* name, const std::string& rest)
    {
        WriteFile(Dir() + L"holder.bat", "'" + RunningProgramPath().string() + "' --quen-child hold '" +
                                             Out(name).string() + "' 120 &\n" + rest + "\n");
        return Dir() + L"holder.bat";
    }
};

TEST_F(PosixRunProgram, ExitStatusHasEightBitsASignalGivesAnNtStatusLikeCodeOutputPast64KiBIsCountedNoDescriptorLeaks)
{
    EXPECT_EQ(RunChild(L"exit 3010"), 3010u & 0xFFu);
    EXPECT_EQ(RunChild(L"signal 15"), 0xC000000Fu);
    // 65536 lines of 16 bytes: 1 MiB.
    m_lines.clear();
    const ProgramResult result = Run(m_child, L"--quen-child print 65536 0123456789abcde");
    ASSERT_EQ(m_lines.size(), 4096u);
    EXPECT_EQ(result.outputBytesNotKept, (1u << 20) - (1u << 16));

    WriteFile(Dir() + L"held", "x");
    const fs::path held = fs::canonical(Out(L"held"));
    // fopen does not mark its descriptor close-on-exec.
    std::unique_ptr<FILE, int (*)(FILE*)> open(std::fopen(held.c_str(), "r"), &std::fclose);
    ASSERT_TRUE(open);
    EXPECT_EQ(RunChild(L"links " + OutArg(L"fds") + L" /proc/self/fd"), 0u);
    const auto targets = ReadChildOutput(Out(L"fds"));
    EXPECT_GE(targets.size(), 4u);  // the standard three and the listing's own descriptor
    EXPECT_EQ(std::count(targets.begin(), targets.end(), quen::test::PathText(held)), 0);
}

TEST_F(PosixRunProgram, BatchFilesRunThroughTheShellAndScriptsThroughTheirInterpreterWithoutAnExecuteBit)
{
    // The environment shows the machine to the script.
    MapDrive(L'R', Host(Dir() + L"recovery"));
    const std::string report = "printf '%s\\0' \"$QUEN_DRIVE_R\" \"$@\" > '" +
                               Out(L"out").string() + "'\nexit 7\n";
    WriteFile(Dir() + L"tools\\opts.sh", "#! /bin/sh -e  \r\n" + report);
    WriteFile(Dir() + L"tools\\SETUP.BAT", report);
    for (const wchar_t* name : {L"tools\\opts.sh", L"tools\\SETUP.BAT"}) {
        fs::remove(Out(L"out"));
        EXPECT_EQ(Run(Dir() + name, L"C:\\Target \"a b\"").exitCode, 7u) << name;
        const auto seen = ReadChildOutput(Out(L"out"));
        ASSERT_EQ(seen.size(), 3u) << name;
        EXPECT_EQ(PathFromText(seen[0]), Host(Dir() + L"recovery"));
        EXPECT_EQ(Args(seen.begin() + 1, seen.end()), (Args{L"C:\\Target", L"a b"}));
    }
}

TEST_F(PosixRunProgram, CaptureAndTimeLimitEndWithTheProgramWhateverItStartedAndTheHostsEndEndsItsProgram)
{
    // A process the program started holds the pipe, and is left to run.
    const ProgramResult result = Run(BackgroundHolder(L"holder", "exit 4"), L"");
    EXPECT_EQ(std::pair(result.end, result.exitCode), std::pair(ProgramEnd::Exited, 4u));
    const pid_t holder = HolderId(L"holder");
    ASSERT_NE(holder, 0);
    EXPECT_FALSE(Ended(holder));
    ::kill(holder, SIGKILL);

    // The time limit ends the program's whole group, which is not the host's.
    ProgramWatch limited;
    limited.timeoutSeconds = 2;
    EXPECT_EQ(Run(BackgroundHolder(L"background", "sleep 120"), L"", false, limited).end, ProgramEnd::TimedOut);
    EXPECT_TRUE(EndsSoon(HolderId(L"background")));

    // A holder in a group of its own ends through its parent-death signal when the child is ended.
    EXPECT_EQ(Run(m_child, L"--quen-child run 120 " + OutArg(L"orphan"), false, limited).end, ProgramEnd::TimedOut);
    EXPECT_TRUE(EndsSoon(HolderId(L"orphan")));
}

}  // namespace
}  // namespace quen::platform
