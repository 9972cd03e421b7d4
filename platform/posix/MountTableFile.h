// The mount table the POSIX personality reads to tell which drive letters
// lie on discs: the kernel's own, unless a program points it at another
// file in the same format.
#pragma once

#include "platform/personality/MountTable.h"

#include <filesystem>
#include <vector>

namespace quen::platform::posix {

// The mounts of /proc/self/mountinfo, or of the file set below; none when it
// cannot be read.
std::vector<personality::Mount> ReadMountTable();

// Makes ReadMountTable read `path`; empty: the kernel's table again.
void SetMountTableFile(const std::filesystem::path& path);

}  // namespace quen::platform::posix
