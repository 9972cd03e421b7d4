// Which mount holds a folder, read from the kernel's mount table: how a
// drive letter is found to lie on a disc in an optical drive.
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

TEST(MountTable, ReadsMountPointTypeAndSourceWithEscapesDecoded)
{
    const std::vector<Mount> mounts = ParseMountInfo(kMountInfo);
    ASSERT_EQ(mounts.size(), 6u);
    EXPECT_EQ(mounts[1].mountPoint, "/media/user/RECOVERY 1");
    EXPECT_EQ(mounts[1].fsType, "iso9660");
    EXPECT_EQ(mounts[1].source, "/dev/sr0");
    EXPECT_EQ(mounts[2].source, "/dev/sdb1");
}

TEST(MountTable, AFolderLiesOnTheDeepestMountThatHoldsItAndTheTopOneOfAStack)
{
    const std::vector<Mount> mounts = ParseMountInfo(kMountInfo);
    EXPECT_EQ(MountHolding(mounts, "/media/user/RECOVERY 1/Modules")->source, "/dev/sr0");
    EXPECT_EQ(MountHolding(mounts, "/media/user/RECOVERY1")->source, "/dev/sdb1");
    // A name that only begins like a mount point is not below it.
    EXPECT_EQ(MountHolding(mounts, "/media/user/RECOVERY 12")->source, "/dev/sda2");
    EXPECT_EQ(MountHolding(mounts, "/mnt/disc")->source, "/dev/sr1");
    EXPECT_EQ(MountHolding(mounts, "/mnt/disc/inner/x")->source, "tmpfs");
    EXPECT_EQ(MountHolding({}, "/home"), nullptr);
}

TEST(MountTable, OnlyTheKernelsOpticalDeviceNodesCountAsOpticalDrives)
{
    EXPECT_TRUE(IsOpticalDeviceNode("/dev/sr0"));
    EXPECT_TRUE(IsOpticalDeviceNode("/dev/sr12"));
    EXPECT_FALSE(IsOpticalDeviceNode("/dev/sr"));
    EXPECT_FALSE(IsOpticalDeviceNode("/dev/sda1"));
    EXPECT_FALSE(IsOpticalDeviceNode("/dev/sr0p1"));
    EXPECT_FALSE(IsOpticalDeviceNode("/home/dev/sr0"));
}

}  // namespace
}  // namespace quen::platform::personality
