// Starting programs, and the identity of the running thread and process.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quen::platform {

// Splits a command line into arguments by the rules of the Windows C runtime
// (CommandLineToArgvW): blanks separate, double quotes group, 2n backslashes
// before a quote give n backslashes, 2n+1 give n and a literal quote, and ""
// inside quotes gives a quote.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

// True for a program named *.bat or *.cmd, in any case.
bool IsBatchFile(const std::wstring& program);

// What a run of a program is given beyond its command: a sink for its
// output, a time limit and a way to stop it from another thread.
struct ProgramWatch {
    // Each line the program (or a process it started) writes to its standard
    // output or error, without its line end, while the program runs; the
    // first ProgramOutput::kKeptBytes bytes only. Null: the output is read
    // and dropped.
    std::function<void(const std::wstring& line)> onOutputLine;
    // 0: no limit.
    uint32_t timeoutSeconds = 0;
    // Once true, the program and every process it started are ended.
    const std::atomic<bool>* stop = nullptr;
};

enum class ProgramEnd { Exited, TimedOut, Stopped };

struct ProgramResult {
    ProgramEnd end = ProgramEnd::Exited;
    uint32_t exitCode = 0;
    // Output beyond what was handed to onOutputLine.
    uint64_t outputBytesNotKept = 0;
};

// Runs `program` (a Windows path) with the argument text and waits for it.
// `throughInterpreter` runs it through the command interpreter (cmd.exe on
// Windows); batch files (.bat, .cmd) always run through it (/bin/sh on POSIX,
// where the flag changes nothing for other programs: they start directly).
// Everywhere the program reads its standard input from the null device,
// writes its standard output and error into one pipe that the caller reads
// (the capture ends when the program ends, whoever else still holds the
// pipe), and is kept apart from the host's terminal signals.
// On Windows the program starts in the Windows current directory in a new
// process group with a hidden console of its own (CREATE_NEW_PROCESS_GROUP,
// CREATE_NO_WINDOW), inherits only the null device and the pipe (a handle
// list), and runs in a job object that ends it and its processes when the
// host's handle closes, the host's death included; a program that ends by
// itself leaves the processes it started running.
// On POSIX it starts in its own folder, in a process group of its own, with
// SIGKILL as its parent-death signal, inherits no descriptor beyond standard
// input, output and error, and finds the machine in its environment
// (QUEN_ROOT, QUEN_DRIVE_X for each mapped drive); a file that starts with
// `#!` runs through the interpreter it names, with or without an execute
// bit, and a Windows executable (MZ) is refused as a bad executable format.
// A time limit or a stop ends the program's job (Windows) or process group
// (POSIX) at once.
// The argument text reaches a Windows program as given; through cmd.exe it
// is cmd's to read (`%NAME%` expands, `&` outside quotes ends the command);
// on POSIX it is split by the rules above.
// The exit code on Windows is the process's 32-bit code; on POSIX the 8-bit
// exit status, or 0xC0000000 | signal for a program killed by a signal.
// False (and the last error: FileNotFound, PathNotFound, AccessDenied,
// BadExeFormat, InvalidName, ...) when it cannot be started; a program or
// batch file that does not exist, or a folder, is refused before any
// interpreter starts.
bool RunProgram(const std::wstring& program, const std::wstring& arguments, bool throughInterpreter,
                const ProgramWatch& watch, ProgramResult& result);

// A program's output as lines: bytes split at '\n' (a '\r' before it
// dropped), the first kKeptBytes handed on, the rest counted. A line cut by
// the limit is handed on as far as it was kept.
class ProgramOutput {
public:
    static constexpr std::size_t kKeptBytes = 64 * 1024;

    using LineSink = std::function<void(std::string_view line)>;
    explicit ProgramOutput(LineSink onLine) : m_onLine(std::move(onLine)) {}

    void Add(std::string_view bytes);
    // Hands on the last line when it had no line end.
    void Finish();
    uint64_t BytesNotKept() const { return m_notKept; }

private:
    void Emit();

    LineSink m_onLine;
    std::string m_line;
    std::size_t m_kept = 0;
    uint64_t m_notKept = 0;
};

uint32_t CurrentThreadId();
uint32_t CurrentProcessId();

// The running program's host path, and its arguments with its own name first.
std::filesystem::path RunningProgramPath();
std::vector<std::wstring> RunningProgramArguments();

}  // namespace quen::platform
