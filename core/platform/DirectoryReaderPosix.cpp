#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>

#include "core/RuntimeError.h"
#include "core/platform/DirectoryReader.h"
#include "core/platform/ErrorCode.h"

namespace lumora::platform {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

[[noreturn]] void raiseListingError(int error, const std::string& directory)
{
    throw RuntimeError(errorNumber(std::error_code(error, std::generic_category()), Doing::Listing), directory);
}

} // namespace

// readdir directly: std::filesystem builds and splits a path object per
// entry, which made a folder of 100,000 files list at half the speed of the
// directory read itself.
void forEachEntry(const std::string& directory, const std::function<void(const DirectoryEntry&)>& visit)
{
    if (directory.empty())
        throw RuntimeError(err::PathNotFound, directory);
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(directory.c_str()));
    if (!dir)
        raiseListingError(errno, directory);
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0)
                raiseListingError(errno, directory);
            return;
        }
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const bool hidden = name.front() == '.';
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN && !hidden) {
            // A file system that leaves the type to a look of its own: one at
            // the entry itself, in this folder's mount, never at what a link
            // points to.
            struct stat status {};
            if (::fstatat(::dirfd(dir.get()), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0)
                type = S_ISDIR(status.st_mode) ? DT_DIR : S_ISLNK(status.st_mode) ? DT_LNK : DT_REG;
        }
        visit({name,
               type == DT_DIR   ? EntryKind::Directory
               : type == DT_LNK ? EntryKind::Link
                                : EntryKind::File,
               hidden});
    }
}

} // namespace lumora::platform
