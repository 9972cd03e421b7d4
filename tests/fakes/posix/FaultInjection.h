// Makes the Nth operation of the platform layer's disk-change hook fail, as on
// a full or locked disk (writes into a file among them): a copy once its target
// exists, a registry file write after half its bytes, any other before it acts.
// Thread-safe.
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
