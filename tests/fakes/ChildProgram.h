// The running test program doubles as the child program of process tests.
// Started with "--quen-child" first, it does one thing and exits before any
// test starts:
//
//   --quen-child exit <code>            exits with <code>
//   --quen-child args <file> [arg...]   writes its arguments into the host <file>
//   --quen-child fds <file>             writes the targets of its descriptors above 2
//   --quen-child signal <number>        raises the signal
//
// Files hold the entries one after another, each ended by '\0'.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quen::test {

// Maps the host folder of the running test program to drive `letter` and
// returns the program's Windows path there.
std::wstring MapChildProgram(wchar_t letter);

std::vector<std::wstring> ReadChildOutput(const std::filesystem::path& file);

}  // namespace quen::test
