// The running test program doubles as the child program of process tests.
// Started with "--quen-child" first, it does one thing and exits before any
// test starts:
//
//   --quen-child exit <code>             exits with <code> (32 bits)
//   --quen-child args <file> [arg...]    writes its arguments into the host <file>
//   --quen-child cwd <file>              writes its working folder into <file>
//   --quen-child links <file> <folder>   writes the targets of the links in <folder>
//   --quen-child signal <number>         raises the signal
//   --quen-child say <out> <err>         writes the line <out> to standard output, <err> to standard error
//   --quen-child print <count> <text>    writes the line <text> <count> times to standard output
//   --quen-child cat <file>              writes the bytes of the host <file> to standard output
//   --quen-child stdin <code>            reads standard input to its end, then exits with <code>
//   --quen-child sleep <seconds>         sleeps, then exits with 0
//   --quen-child hold <file> <seconds>   writes its process ID into <file>, sleeps, then adds "ended"
//   --quen-child run <seconds> <file>    runs "--quen-child hold <file> <seconds>" as a program and waits
//   --quen-child wim-open <file> <wim>   opens the WIM file <wim> with CWIMFile twice and writes
//                                        each failure's message into <file> ("opened" if it opens)
//   --quen-child plan <file> <database>  plans the database's records from its own folder and
//                                        writes each problem ("<label>: <text>") into <file>
//
// Files hold the entries one after another, each ended by '\0', in UTF-8.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quen::test {

// The Windows path of the running test program: on POSIX its host folder is
// mapped to drive `letter` for that; on Windows it is the program's own path.
std::wstring MapChildProgram(wchar_t letter);

std::vector<std::wstring> ReadChildOutput(const std::filesystem::path& file);

}  // namespace quen::test
