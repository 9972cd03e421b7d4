// Starting programs, and the identity of the running thread and process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quen::platform {

// Splits a command line into arguments by the rules of the Windows C runtime
// (CommandLineToArgvW): blanks separate, double quotes group, 2n backslashes
// before a quote give n backslashes, 2n+1 give n and a literal quote, and ""
// inside quotes gives a quote.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

// True for a program named *.bat or *.cmd, in any case.
bool IsBatchFile(const std::wstring& program);

// Runs `program` (a Windows path) with the argument text and waits for it.
// `throughInterpreter` runs it through the command interpreter (cmd.exe on
// Windows); batch files (.bat, .cmd) always run through it (/bin/sh on POSIX,
// where the flag changes nothing for other programs: they start directly).
// On Windows the program starts in the Windows current directory and inherits
// no handle at all (bInheritHandles FALSE): a console program writes to the
// console it shares with the host, not to the host's redirections.
// On POSIX it starts in its own folder, inherits no descriptor beyond standard
// input, output and error, and finds the machine in its environment
// (QUEN_ROOT, QUEN_DRIVE_X for each mapped drive); a file that starts with
// `#!` runs through the interpreter it names, with or without an execute
// bit, and a Windows executable (MZ) is refused as a bad executable format.
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
                uint32_t& exitCode);

uint32_t CurrentThreadId();
uint32_t CurrentProcessId();

// The running program's host path, and its arguments with its own name first.
std::filesystem::path RunningProgramPath();
std::vector<std::wstring> RunningProgramArguments();

}  // namespace quen::platform
