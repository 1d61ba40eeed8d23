#include "core/platform/Mounts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>
#include <system_error>
#include <utility>

namespace lumora::platform {

namespace {

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

std::string labelFromLinkName(std::string_view name)
{
    // udev writes a label's unsafe bytes as \xNN.
    std::string out;
    const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && hex(name[i + 2]) && hex(name[i + 3])) {
            out += static_cast<char>(std::stoi(std::string(name.substr(i + 2, 2)), nullptr, 16));
            i += 3;
            continue;
        }
        out += name[i];
    }
    return out;
}

std::vector<Mount> userMounts(std::vector<Mount> parsed, const std::vector<VolumeLabel>& labels,
                              const std::function<std::string(const std::string& source)>& device)
{
    std::vector<Mount> mounts;
    Mount top{"/", "", {}, {}};
    for (Mount& mount : parsed) {
        if (mount.root != "/" && isSystemFileSystem(mount.kind))
            continue;
        if (mount.source.rfind("/dev/", 0) == 0) {
            const std::string named = device(mount.source);
            for (const VolumeLabel& labelled : labels)
                if (labelled.device == named)
                    mount.label = labelled.label;
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

std::vector<Mount> parseMountInfo(std::string_view text)
{
    std::vector<Mount> mounts;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string_view> w = words(line);
        // id, parent, device numbers, root within its file system, mount
        // point, options, optional fields up to "-", then type and source.
        const auto dash = std::find(w.begin(), w.end(), std::string_view("-"));
        if (std::distance(w.begin(), dash) < 6 || std::distance(dash, w.end()) < 3)
            continue;
        Mount mount{unescapeOctal(w[4]), std::string(dash[1]), {}, unescapeOctal(dash[2])};
        // A later mount at the same place hides the earlier one.
        mounts.erase(std::remove_if(mounts.begin(), mounts.end(), [&](const Mount& m) { return m.root == mount.root; }),
                     mounts.end());
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

} // namespace lumora::platform
