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
// Windows); batch files (.bat, .cmd) always run through it (/bin/sh on POSIX).
// False (and the last error) when the program cannot be started.
bool RunProgram(const std::wstring& program, const std::wstring& arguments, bool throughInterpreter,
                uint32_t& exitCode);

uint32_t CurrentThreadId();
uint32_t CurrentProcessId();

}  // namespace quen::platform
