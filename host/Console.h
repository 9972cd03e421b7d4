// The terminal and the process's signals, as the host needs them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace quen::host {

// True when `stream` is a terminal, where the progress bar redraws itself.
bool IsTerminal(std::FILE* stream);

// The columns of the terminal behind `stream` (TIOCGWINSZ on Linux), else
// $COLUMNS, else 80.
int TerminalWidth(std::FILE* stream);

// True when the terminal asks for no control sequences: TERM=dumb.
bool DumbTerminal();

// The columns of the window behind `stream` as the system tells them, 0 when
// it does not (the part of TerminalWidth that differs by platform).
int WindowColumns(std::FILE* stream);

// Keeps standard output for the caller alone: returns a stream on it, and
// from now on whatever else writes to standard output, this process or a
// program it starts, writes to standard error instead.
std::FILE* TakeStandardOutput();

// From now on Ctrl-C (and, on Linux, SIGTERM) no longer ends the process: it
// only counts, and Interrupts() tells how many have come, so the run can be
// cancelled (and, asked again, its setup program ended) and its clean-up
// awaited.
void CatchInterrupts();
int Interrupts();

// "SIGKILL" for the exit code the library reports for a program that a
// signal ended (on Linux); empty for any other code.
std::string SignalName(int32_t exitCode);

// Reads one line from standard input, without its line end. False at the end
// of the input, on an error, or once an interrupt has come.
bool ReadAnswer(std::string& line);

}  // namespace quen::host
