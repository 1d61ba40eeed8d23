#pragma once
// The mounted file systems as the system's own table tells them: reading it
// asks nothing of the mounts themselves, so a mount that never answers
// cannot hold it up. Asking a mount is a call of its own.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::platform {

struct Mount {
    std::string root;   // where it is mounted: a drive letter's root on Windows
    std::string kind;   // its file system's type, as "ext4"
    std::string label;  // its volume label, when it has one
    std::string source; // the device or server it comes from
};

// The file systems that may hold a user's files, the root of the tree first;
// kernel views, memory-backed scratch space, container layers and packaged
// read-only images are left out.
std::vector<Mount> mountTable();

// The mounts that the text of /proc/self/mountinfo names, in its order, with
// their escapes (\040 for a blank) undone; no labels.
std::vector<Mount> parseMountInfo(std::string_view text);

// A labelled device as /dev/disk/by-label names it: the device the link
// leads to, and the link's name with udev's \xNN escapes undone.
struct VolumeLabel {
    std::string device;
    std::string label;
};
std::string labelFromLinkName(std::string_view name);

// Of the `parsed` mounts, those that may hold a user's files, the root of
// the tree first and the others by place, each labelled from `labels`;
// `device` tells which device a source names, which may be a link
// (/dev/mapper/...).
std::vector<Mount> userMounts(std::vector<Mount> parsed, const std::vector<VolumeLabel>& labels,
                              const std::function<std::string(const std::string& source)>& device);

// Whether `path` is a folder, links followed: a question to its mount, which
// may take as long as the mount likes.
bool isFolder(const std::string& path);

// A drive as the drive list offers it, from the system's table alone.
struct DriveEntry {
    std::string root;       // where it is: "C:\\" on Windows, a mount point elsewhere
    std::string text;       // what the list shows until the drive has answered
    std::string unanswered; // what it shows when the drive does not answer in time
};
std::vector<DriveEntry> driveTable();

// What a drive says of itself: whether its root is a place to browse, and
// its text now that its label is known (empty: the table's stands). Waits
// on the drive: a floppy or CD drive without a medium, or a network drive
// whose server is gone, as long as it likes.
struct DriveReply {
    bool browsable = true;
    std::string text;
};
DriveReply askDrive(const std::string& root);

// Once at the start: a drive without a medium that the program asks fails
// the call, instead of raising the system's own "no disk" box (Windows).
void noSystemBoxesForDrives();

// The directory the system keeps as current for the drive at `root`, where
// it keeps one per drive (Windows); otherwise the root. Asks nothing of the
// drive.
std::string driveCurrentDirectory(const std::string& root);

} // namespace lumora::platform
