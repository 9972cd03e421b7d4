// Starting programs, and the identity of the running thread and process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quen::platform {

// Splits a command line into arguments by the rules of the Windows C runtime
// (CommandLineToArgvW): blanks separate, double quotes group, 2n backslashes
// before a quote give n backslashes, 2n+1 give n and a literal quote, and ""
// inside quotes gives a quote.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

// Runs `program` (a Windows path) with the argument text and waits for it.
// `throughInterpreter` runs it through the command interpreter (cmd.exe on
// Windows); batch files (.bat, .cmd) always run through it (/bin/sh on POSIX,
// where the flag changes nothing for other programs: they start directly).
// The program starts in the Windows current directory and inherits no handle
// or descriptor beyond standard input, output and error.
// The exit code on POSIX is the 8-bit exit status, or 0xC0000000 | signal for
// a program killed by a signal. False (and the last error: FileNotFound,
// PathNotFound, AccessDenied, BadExeFormat, ...) when it cannot be started.
bool RunProgram(const std::wstring& program, const std::wstring& arguments, bool throughInterpreter,
                uint32_t& exitCode);

uint32_t CurrentThreadId();
uint32_t CurrentProcessId();

}  // namespace quen::platform
