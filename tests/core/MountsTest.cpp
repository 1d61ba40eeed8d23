#include <gtest/gtest.h>

#include "core/platform/Mounts.h"

namespace lumora {
namespace {

// The system's table of mounts as the kernel writes it: a mount point's
// blank and backslash escaped, optional fields before the "-", and a later
// mount hiding an earlier one at the same place.
TEST(MountTable, ReadsPlacesKindsAndSourcesAsTheKernelWritesThem)
{
    const char* const table = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                              "30 22 0:25 / /media/My\\040Stick rw master:5 - vfat /dev/sdb1 rw\n"
                              "31 22 0:26 / /mnt/a\\134b rw - fuse.sshfs me@host: rw\n"
                              "32 22 0:27 / /media/My\\040Stick rw - exfat /dev/sdc1 rw\n"
                              "broken line\n";
    const std::vector<platform::Mount> mounts = platform::parseMountInfo(table);
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[0].root, "/");
    EXPECT_EQ(mounts[0].kind, "ext4");
    EXPECT_EQ(mounts[1].root, "/mnt/a\\b");
    EXPECT_EQ(mounts[1].kind, "fuse.sshfs");
    EXPECT_EQ(mounts[1].source, "me@host:");
    EXPECT_EQ(mounts[2].root, "/media/My Stick");
    EXPECT_EQ(mounts[2].kind, "exfat");
    EXPECT_EQ(mounts[2].source, "/dev/sdc1");
}

} // namespace
} // namespace lumora
