// The PE files that tests/data/version builds with the mingw-w64 resource
// tools: resource-only DLLs with known version resources.
#pragma once

#include <string>

namespace quen::test {

// False when the build found no resource tools, so there are no such files.
bool HavePeTestFiles();

// The bytes of the built file `name` (.dll left off): "version-1.2.3.4",
// "version-1.2.0.0", "version-0.9.0.0", "version-max" (65535 in every part),
// "no-version" (a string table only).
std::string PeTestFile(const std::string& name);

}  // namespace quen::test
