// Which mount of the kernel's table holds a folder: how a drive is found to be a disc.
#include "platform/personality/MountTable.h"

#include <gtest/gtest.h>

namespace quen::platform::personality {
namespace {

const char* const kMountInfo =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "41 22 11:0 / /media/user/RECOVERY\\0401 ro,nosuid shared:50 master:7 - iso9660 /dev/sr0 ro,uid=1000\n"
    "42 22 8:17 / /media/user/RECOVERY1 rw - vfat /dev/sdb1 rw\n"
    "broken line without separator\n"
    "43 22 0:5 / /mnt/disc rw - tmpfs tmpfs rw\n"
    "44 22 11:1 / /mnt/disc ro - udf /dev/sr1 ro\n"
    "45 44 0:6 / /mnt/disc/inner rw - tmpfs tmpfs rw";

TEST(MountTable, AFolderLiesOnTheDeepestMountThatHoldsItAndTheTopOneOfAStackAndOnlySrNodesAreOptical)
{
    const std::vector<Mount> mounts = ParseMountInfo(kMountInfo);
    ASSERT_EQ(mounts.size(), 6u);
    const std::pair<const char*, const char*> folders[] = {
        {"/media/user/RECOVERY 1/Modules", "/dev/sr0"},  // the mount point's escape decoded
        {"/media/user/RECOVERY1", "/dev/sdb1"},
        {"/media/user/RECOVERY 12", "/dev/sda2"},  // only begins like a mount point: not below it
        {"/mnt/disc", "/dev/sr1"}, {"/mnt/disc/inner/x", "tmpfs"},
    };
    for (const auto& [folder, source] : folders)
        EXPECT_EQ(MountHolding(mounts, folder)->source, source) << folder;
    EXPECT_EQ(MountHolding({}, "/home"), nullptr);
    for (const auto& [node, optical] : {std::pair{"/dev/sr0", true}, {"/dev/sr12", true}, {"/dev/sr", false},
                                        {"/dev/sda1", false}, {"/dev/sr0p1", false}, {"/home/dev/sr0", false}})
        EXPECT_EQ(IsOpticalDeviceNode(node), optical) << node;
}

}  // namespace
}  // namespace quen::platform::personality
