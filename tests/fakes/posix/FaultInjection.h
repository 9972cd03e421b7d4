// Makes the Nth file-system operation that changes the disk fail, as it
// would on a full or locked disk, through the platform layer's disk-change
// hook: copying and moving a file, making and removing a file or folder,
// changing attributes, writing into a file, and the registry store's
// writes, flushes, cuts and renames. Each fails before it has done
// anything, except a copy, which fails once its target exists, and a
// registry file write, which puts half its bytes on disk first: they leave
// what a real failure there leaves to be cleaned up. Tests of the platform
// layer and of whole runs arm it to prove that every failure ends cleanly. Thread-safe.
#pragma once

#include <cstdint>

namespace quen::test {

// Counts operations from zero and makes operation `failAt` (1 for the first)
// fail with `error` (an errno value, ENOSPC for a full disk); `failAt` 0 only
// counts.
void ArmFileSystemFault(uint64_t failAt, int error);
// Stops counting and failing; returns the number of operations counted.
uint64_t DisarmFileSystemFault();

}  // namespace quen::test
