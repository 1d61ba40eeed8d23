#include <gtest/gtest.h>

#include <map>

#include "core/platform/Mounts.h"

namespace lumora {
namespace {

using platform::Mount;

struct Row {
    std::string root, kind, source;
};

std::vector<Row> rows(const std::vector<Mount>& mounts)
{
    std::vector<Row> out;
    out.reserve(mounts.size());
    for (const Mount& m : mounts)
        out.push_back({m.root, m.kind, m.source});
    return out;
}

bool operator==(const Row& a, const Row& b) { return a.root == b.root && a.kind == b.kind && a.source == b.source; }
void PrintTo(const Row& r, std::ostream* os) { *os << "{" << r.root << " " << r.kind << " " << r.source << "}"; }

// The system's table of mounts as the kernel writes it, line by line.
TEST(MountTable, ReadsEachLineAsTheKernelWritesIt)
{
    const struct {
        const char* what;
        const char* line;
        std::vector<Row> mounts;
    } cases[] = {
        {"no optional field", "22 1 8:1 / / rw - ext4 /dev/sda1 rw", {{"/", "ext4", "/dev/sda1"}}},
        {"several optional fields",
         "30 22 0:25 / /media/x rw shared:5 master:1 propagate_from:2 - vfat /dev/sdb1 rw",
         {{"/media/x", "vfat", "/dev/sdb1"}}},
        {"a blank, a tab, a line break, a backslash",
         "31 22 0:26 / /m/a\\040b\\011c\\012d\\134e rw - nfs s:/x\\040y rw",
         {{"/m/a b\tc\nd\\e", "nfs", "s:/x y"}}},
        {"no escape: too short, not octal",
         "32 22 0:27 / /m/\\04\\8x\\ rw - ext4 /dev/sdc rw",
         {{"/m/\\04\\8x\\", "ext4", "/dev/sdc"}}},
        {"the root within its file system is not the place",
         "33 22 0:28 /sub/dir /srv rw - btrfs /dev/sdd rw",
         {{"/srv", "btrfs", "/dev/sdd"}}},
        {"no dash", "34 22 0:29 / /m rw ext4 /dev/sde rw", {}},
        {"a dash with no source after it", "35 22 0:30 / /m rw - ext4", {}},
        {"too few fields before the dash", "36 22 / - ext4 /dev/sdf rw", {}},
        {"empty", "", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rows(platform::parseMountInfo(c.line)), c.mounts) << c.what;
}

TEST(MountTable, ALaterMountHidesAnEarlierOneAtThePlace)
{
    const auto mounts = platform::parseMountInfo("1 0 0:1 / / rw - ext4 /dev/a rw\n"
                                                 "2 1 0:2 / /media/s rw - vfat /dev/b rw\n"
                                                 "3 1 0:3 / /mnt rw - ext4 /dev/c rw\n"
                                                 "4 1 0:4 / /media/s rw - exfat /dev/d rw\n");
    EXPECT_EQ(rows(mounts),
              (std::vector<Row>{{"/", "ext4", "/dev/a"}, {"/mnt", "ext4", "/dev/c"}, {"/media/s", "exfat", "/dev/d"}}));
}

// What the drive list offers: the root first, then the places by name, the
// kernel's own and memory-backed file systems left out, each device labelled
// through the link it was mounted by.
TEST(MountTable, OffersTheMountsThatHoldUserFilesLabelled)
{
    std::vector<Mount> parsed;
    for (const auto& [root, kind, source] : std::vector<Row>{{"/proc", "proc", "proc"},
                                                             {"/run", "tmpfs", "tmpfs"},
                                                             {"/media/stick", "vfat", "/dev/sdb1"},
                                                             {"/", "overlay", "overlay"},
                                                             {"/home", "ext4", "/dev/mapper/home"},
                                                             {"/mnt/nas", "cifs", "//nas/games"},
                                                             {"/snap/x", "squashfs", "/dev/loop0"},
                                                             {"/boot", "ext4", "/dev/sda1"}})
        parsed.push_back({root, kind, {}, source});
    const std::map<std::string, std::string> links = {{"/dev/mapper/home", "/dev/dm-0"}};
    const auto device = [&](const std::string& source) {
        const auto found = links.find(source);
        return found == links.end() ? source : found->second;
    };
    const std::vector<Mount> offered =
        platform::userMounts(parsed, {{"/dev/dm-0", "HOME"}, {"/dev/sdb1", "GAMES"}}, device);
    EXPECT_EQ(rows(offered), (std::vector<Row>{{"/", "overlay", "overlay"},
                                               {"/boot", "ext4", "/dev/sda1"},
                                               {"/home", "ext4", "/dev/mapper/home"},
                                               {"/media/stick", "vfat", "/dev/sdb1"},
                                               {"/mnt/nas", "cifs", "//nas/games"}}));
    std::vector<std::string> labels;
    labels.reserve(offered.size());
    for (const Mount& m : offered)
        labels.push_back(m.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"", "", "HOME", "GAMES", ""}));
    EXPECT_EQ(platform::userMounts({}, {}, device)[0].root, "/"); // the root, whatever the table says
}

TEST(MountTable, LabelsAreReadAsUdevEscapesThem)
{
    EXPECT_EQ(platform::labelFromLinkName("My\\x20Games\\x2fA"), "My Games/A");
    EXPECT_EQ(platform::labelFromLinkName("odd\\x2"), "odd\\x2");
    EXPECT_EQ(platform::labelFromLinkName("\\xzz\\x41"), "\\xzzA");
}

} // namespace
} // namespace lumora
