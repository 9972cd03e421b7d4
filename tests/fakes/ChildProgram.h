// The running test program doubles as the child program of process tests.
// Started with "--quen-child" as its first argument, it does one thing and
// exits before any test starts:
//
//   --quen-child exit <code>              exits with <code>
//   --quen-child args <file> [arg...]     writes its arguments into the host <file>, exits 0
//   --quen-child fds <file>               writes the targets of its open descriptors above 2
//   --quen-child signal <number>          raises the signal
//
// Files hold the entries one after another, each ended by '\0' (arguments may
// hold line ends).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quen::test {

// Maps the host folder of the running test program to drive `letter` and
// returns the program's Windows path there.
std::wstring MapChildProgram(wchar_t letter);

// The entries a child wrote into a host file.
std::vector<std::wstring> ReadChildOutput(const std::filesystem::path& file);

// A host path in double quotes, for an argument text.
std::wstring Quoted(const std::filesystem::path& hostPath);

}  // namespace quen::test
