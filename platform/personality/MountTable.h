// POSIX personality: the mount table (/proc/self/mountinfo), to tell which
// drive letters lie on discs in optical drives.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quen::platform::personality {

struct Mount {
    std::string mountPoint;
    std::string fsType;
    std::string source;
};

// The mounts of a mountinfo text, in its order, with the kernel's octal
// escapes (\040 for a blank, ...) decoded. Malformed lines are skipped.
std::vector<Mount> ParseMountInfo(std::string_view text);

// The mount that holds `folder` (an absolute path without symbolic links):
// the one with the longest mount point that is the folder or one of its
// ancestors, the later when two share a mount point (it lies on top). Null
// when none does.
const Mount* MountHolding(const std::vector<Mount>& mounts, std::string_view folder);

// True for the device node of an optical drive: /dev/sr0, /dev/sr1, ...
bool IsOpticalDeviceNode(std::string_view path);

}  // namespace quen::platform::personality
