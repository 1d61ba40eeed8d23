#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/platform/ErrorCode.h"
#include "core/platform/FileSaveSystem.h"

namespace lumora::platform::save {

namespace fs = std::filesystem;

unsigned long currentProcess() { return static_cast<unsigned long>(::getpid()); }

bool processRuns(unsigned long process)
{
    const auto pid = static_cast<pid_t>(process);
    if (pid <= 0 || static_cast<unsigned long>(pid) != process)
        return false;
    // One of another user's answers "not permitted": it runs all the same.
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

void removeFile(const Folder& folder, const fs::path& name) { (void)::unlinkat(folder.native(), name.c_str(), 0); }

bool lookAt(const Folder& folder, const fs::path& name, bool& link, std::error_code& error)
{
    struct stat status {};
    if (::fstatat(folder.native(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        error = lastSystemError();
        return false;
    }
    link = S_ISLNK(status.st_mode);
    return true;
}

bool examine(const RegularFile& file, bool link, Original& original, std::error_code& error)
{
    struct stat status {};
    if (::fstat(file.native(), &status) != 0) {
        error = lastSystemError();
        return false;
    }
    original.replaceable = !link && status.st_nlink == 1;
    original.size = static_cast<std::uint64_t>(status.st_size);
    original.owner = status.st_uid;
    original.group = status.st_gid;
    original.mode = status.st_mode & 07777;
    return true;
}

bool carryOver(RegularFile& copy, const Original& original)
{
    struct stat made {};
    if (::fstat(copy.native(), &made) != 0)
        return false;
    const uid_t owner = original.owner == made.st_uid ? static_cast<uid_t>(-1) : original.owner;
    const gid_t group = original.group == made.st_gid ? static_cast<gid_t>(-1) : original.group;
    const bool owned = (owner == static_cast<uid_t>(-1) && group == static_cast<gid_t>(-1)) ||
                       ::fchown(copy.native(), owner, group) == 0;
    return owned && ::fchmod(copy.native(), original.mode) == 0;
}

bool replaceWithCopy(const Folder& folder, const fs::path& made, const fs::path& name, std::error_code& error)
{
    error.clear();
    if (::renameat(folder.native(), made.c_str(), folder.native(), name.c_str()) != 0) {
        error = lastSystemError();
        return false;
    }
    (void)::fsync(folder.native()); // the rename is durable once its folder is; not every one can be synced
    return true;
}

void forEachFileNamed(const Folder& folder, std::string_view head,
                      const std::function<void(std::string_view name, std::chrono::seconds age)>& visit)
{
    const int listing = ::openat(folder.native(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listing < 0 ? nullptr : ::fdopendir(listing);
    if (dir == nullptr) {
        if (listing >= 0)
            ::close(listing);
        return;
    }
    const auto now = std::chrono::system_clock::now();
    while (const dirent* entry = ::readdir(dir)) {
        struct stat status {};
        if (std::string_view(entry->d_name).substr(0, head.size()) != head ||
            ::fstatat(folder.native(), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode))
            continue;
        visit(entry->d_name, std::chrono::duration_cast<std::chrono::seconds>(
                                 now - std::chrono::system_clock::from_time_t(status.st_mtime)));
    }
    ::closedir(dir);
}

} // namespace lumora::platform::save
