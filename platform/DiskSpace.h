// The free space of a volume, for a run that checks what it stages fits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quen::platform {

// The bytes this process may still write on the volume that holds `folder`
// (an existing folder, a Windows path). False, with the last error set, when
// the system cannot tell. POSIX: statvfs (blocks free to unprivileged users);
// Windows: GetDiskFreeSpaceExW (bytes free to the caller, quotas counted).
bool FreeDiskSpace(const std::wstring& folder, uint64_t& bytes);

// A testing hook: from now on every FreeDiskSpace reports `bytes`, as a
// nearly full disk would, until it is called with nullopt. Thread-safe.
void SetFreeDiskSpaceForTests(std::optional<uint64_t> bytes);

// The system's figure, which FreeDiskSpace reports unless a test has set one.
bool SystemFreeDiskSpace(const std::wstring& folder, uint64_t& bytes);

}  // namespace quen::platform
