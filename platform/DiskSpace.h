// The free space of a volume, for a run that checks what it stages fits.
#pragma once

#include <cstdint>
#include <string>

namespace quen::platform {

// The bytes this process may still write on the volume that holds `folder`
// (an existing folder, a Windows path). False, with the last error set, when
// the system cannot tell. POSIX: statvfs (blocks free to unprivileged users);
// Windows: GetDiskFreeSpaceExW (bytes free to the caller, quotas counted).
bool FreeDiskSpace(const std::wstring& folder, uint64_t& bytes);

// A seam in front of the system's figure: while a hook is set, FreeDiskSpace
// reports what it answers (nullptr: the system's figure again). Nothing in
// the library sets one. Thread-safe.
using FreeSpaceHook = bool (*)(const std::wstring& folder, uint64_t& bytes);
void SetFreeSpaceHook(FreeSpaceHook hook);

// The system's figure, which FreeDiskSpace reports unless a hook is set.
bool SystemFreeDiskSpace(const std::wstring& folder, uint64_t& bytes);

}  // namespace quen::platform
