#include "core/platform/Mounts.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <utility>

#include "core/platform/SystemText.h"

#ifdef _WIN32
#include "core/platform/WindowsApi.h"
#else
#include <sys/stat.h>
#endif

namespace lumora::platform {

namespace {

namespace fs = std::filesystem;

bool isSystemFileSystem(std::string_view kind)
{
    static constexpr std::array<std::string_view, 28> skipped = {
        "proc",     "sysfs",      "devtmpfs",   "devpts",    "tmpfs",       "overlay",         "squashfs",
        "cgroup",   "cgroup2",    "securityfs", "pstore",    "bpf",         "debugfs",         "tracefs",
        "configfs", "fusectl",    "mqueue",     "hugetlbfs", "autofs",      "binfmt_misc",     "efivarfs",
        "ramfs",    "rpc_pipefs", "nsfs",       "selinuxfs", "fuse.portal", "fuse.gvfsd-fuse", "nfsd"};
    return std::find(skipped.begin(), skipped.end(), kind) != skipped.end();
}

// The kernel writes a blank, a tab, a line break and a backslash in a mount
// point as three octal digits after a backslash.
std::string unescapeOctal(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto octal = [&](std::size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '7'; };
        if (text[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> out;
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        if (end > at)
            out.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

} // namespace

std::vector<Mount> parseMountInfo(std::string_view text)
{
    std::vector<Mount> mounts;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string_view> w = words(line);
        // id, parent, device numbers, root within its file system, mount
        // point, options, optional fields up to "-", then type and source.
        const auto dash = std::find(w.begin(), w.end(), std::string_view("-"));
        if (w.size() < 5 || std::distance(dash, w.end()) < 3)
            continue;
        Mount mount{unescapeOctal(w[4]), std::string(dash[1]), {}, unescapeOctal(dash[2])};
        // A later mount at the same place hides the earlier one.
        mounts.erase(std::remove_if(mounts.begin(), mounts.end(), [&](const Mount& m) { return m.root == mount.root; }),
                     mounts.end());
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

#ifdef _WIN32

std::vector<Mount> mountTable()
{
    std::vector<Mount> mounts;
    const DWORD letters = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if ((letters & (DWORD{1} << i)) != 0)
            mounts.push_back({std::string(1, static_cast<char>('A' + i)) + ":\\", "disk", {}, {}});
    return mounts;
}

bool isFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(pathFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

#else

namespace {

// udev writes a label's unsafe bytes as \xNN.
std::string unescapeHex(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            try {
                out += static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
                i += 3;
                continue;
            } catch (const std::logic_error&) {
                // not an escape after all
            }
        }
        out += text[i];
    }
    return out;
}

// Each labelled device, by its device path; /dev is the kernel's own, and
// never waits on a mount.
std::vector<std::pair<std::string, std::string>> volumeLabels()
{
    std::vector<std::pair<std::string, std::string>> labels;
    std::error_code error;
    for (fs::directory_iterator it("/dev/disk/by-label", error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        const fs::path device = fs::canonical(it->path(), ignored);
        if (!ignored)
            labels.emplace_back(device.string(), unescapeHex(it->path().filename().string()));
    }
    return labels;
}

} // namespace

std::vector<Mount> mountTable()
{
    std::ifstream file("/proc/self/mountinfo");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::vector<std::pair<std::string, std::string>> labels = volumeLabels();
    std::vector<Mount> mounts;
    Mount top{"/", "", {}, {}};
    for (Mount& mount : parseMountInfo(text)) {
        if (mount.root != "/" && isSystemFileSystem(mount.kind))
            continue;
        // Named as it was mounted, a device may be a link (/dev/mapper/...).
        if (mount.source.rfind("/dev/", 0) == 0) {
            std::error_code ignored;
            const std::string device = fs::canonical(mount.source, ignored).string();
            for (const auto& [labelled, label] : labels)
                if (labelled == device)
                    mount.label = label;
        }
        if (mount.root == "/")
            top = std::move(mount);
        else
            mounts.push_back(std::move(mount));
    }
    std::sort(mounts.begin(), mounts.end(), [](const Mount& a, const Mount& b) { return a.root < b.root; });
    mounts.insert(mounts.begin(), std::move(top));
    return mounts;
}

bool isFolder(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

#endif

} // namespace lumora::platform
