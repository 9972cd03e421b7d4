// A seam before each file-system operation of the POSIX personality that
// changes the disk: copying and moving a file, making and removing a file or
// folder, changing attributes, writing into a file in place, and the registry
// store's writes, flushes, cuts and renames. Nothing is set in the library
// itself; a program that sets a hook decides, operation by operation, whether
// it goes ahead or fails as a full or locked disk would. Unset, it costs one
// relaxed atomic load per operation. Thread-safe.
#pragma once

namespace quen::platform::posix {

// Returns 0 to let the operation go ahead, or the errno it fails with.
using DiskChangeHook = int (*)();

// Sets the hook (nullptr: none).
void SetDiskChangeHook(DiskChangeHook hook);

// Called by each of those operations before it acts: true, with errno set to
// the hook's answer, when the operation is to fail.
bool DiskChangeRefused();

}  // namespace quen::platform::posix
