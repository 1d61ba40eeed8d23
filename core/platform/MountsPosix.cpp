#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "core/PathRules.h"
#include "core/platform/Mounts.h"

namespace lumora::platform {

namespace fs = std::filesystem;

namespace {

// Each labelled device; /dev is the kernel's own, and never waits on a
// mount.
std::vector<VolumeLabel> volumeLabels()
{
    std::vector<VolumeLabel> labels;
    std::error_code error;
    for (fs::directory_iterator it("/dev/disk/by-label", error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        const fs::path device = fs::canonical(it->path(), ignored);
        if (!ignored)
            labels.push_back({device.string(), labelFromLinkName(it->path().filename().string())});
    }
    return labels;
}

} // namespace

std::vector<Mount> mountTable()
{
    std::ifstream file("/proc/self/mountinfo");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return userMounts(parseMountInfo(text), volumeLabels(), [](const std::string& source) {
        std::error_code ignored;
        return fs::canonical(source, ignored).string();
    });
}

bool isFolder(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::vector<DriveEntry> driveTable()
{
    std::vector<DriveEntry> drives;
    for (const Mount& mount : mountTable())
        drives.push_back({mount.root, driveText(mount.root, mount.label.empty() ? mount.kind : mount.label),
                          mount.root + " [not responding]"});
    return drives;
}

// Bind mounts of single files (containers mount /etc/hosts so) are no
// places to browse; the label came with the table.
DriveReply askDrive(const std::string& root) { return {isFolder(root), {}}; }

std::string driveCurrentDirectory(const std::string& root) { return root; }

// No system here answers a question with a box of its own.
void noSystemBoxesForDrives() {}

} // namespace lumora::platform
