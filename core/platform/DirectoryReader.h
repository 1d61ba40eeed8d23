#pragma once
// Reading one directory entry by entry, the one place where the platforms'
// directory calls meet: readdir on POSIX, std::filesystem on Windows.

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#include "core/platform/WindowsApi.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "core/RuntimeError.h"
#include "core/platform/ErrorCode.h"
#include "core/platform/SystemText.h"

namespace lumora::platform {

namespace fs = std::filesystem;

// What an entry is, as far as the read of its folder tells without asking
// anything of another mount: a link's target may lie on one that never
// answers, and is asked on its own.
enum class EntryKind { Directory, File, Link };

[[noreturn]] inline void raiseListingError(const std::error_code& code, const std::string& directory)
{
    throw RuntimeError(errorNumber(code, Doing::Listing), directory);
}

#ifdef _WIN32

inline fs::directory_iterator openListing(const std::string& directory)
{
    if (directory.empty())
        throw RuntimeError(err::PathNotFound, directory);
    std::error_code code;
    fs::directory_iterator it(pathFromUtf8(directory), code);
    if (code)
        raiseListingError(code, directory);
    return it;
}

// One entry as the lists ask about it.
class DirectoryEntry {
public:
    explicit DirectoryEntry(const fs::directory_entry& entry)
        : entry_(entry), name_(utf8FromPath(entry.path().filename()))
    {
    }
    std::string_view name() const { return name_; }
    EntryKind kind() const
    {
        std::error_code code;
        if (entry_.is_symlink(code))
            return EntryKind::Link;
        return entry_.is_directory(code) ? EntryKind::Directory : EntryKind::File;
    }
    // A leading dot means nothing to Windows: Explorer shows ".roms", and so
    // must the lists. The hidden attribute hides.
    bool isHidden() const
    {
        const DWORD attributes = GetFileAttributesW(entry_.path().c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    }

private:
    const fs::directory_entry& entry_;
    std::string name_;
};

template <typename Visit>
void forEachEntry(const std::string& directory, Visit visit)
{
    fs::directory_iterator it = openListing(directory);
    std::error_code code;
    for (const fs::directory_iterator end; it != end;) {
        visit(DirectoryEntry(*it));
        it.increment(code);
        if (code)
            raiseListingError(code, directory);
    }
}

#else

// readdir directly: std::filesystem builds and splits a path object per
// entry, which made a folder of 100,000 files list at half the speed of the
// directory read itself.
struct DirCloser {
    void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

inline DirHandle openListing(const std::string& directory)
{
    if (directory.empty())
        throw RuntimeError(err::PathNotFound, directory);
    DirHandle dir(::opendir(directory.c_str()));
    if (!dir)
        raiseListingError(std::error_code(errno, std::generic_category()), directory);
    return dir;
}

// One entry as the lists ask about it, in the folder `dir` being read.
class DirectoryEntry {
public:
    DirectoryEntry(const dirent& entry, DIR* dir) : entry_(entry), dir_(dir) {}
    std::string_view name() const { return entry_.d_name; }
    EntryKind kind() const
    {
        unsigned char type = entry_.d_type;
        if (type == DT_UNKNOWN) {
            // A file system that leaves the type to a look of its own: one
            // at the entry itself, in this folder's mount, never at what a
            // link points to.
            struct stat status {};
            if (::fstatat(::dirfd(dir_), entry_.d_name, &status, AT_SYMLINK_NOFOLLOW) == 0)
                type = S_ISDIR(status.st_mode) ? DT_DIR : S_ISLNK(status.st_mode) ? DT_LNK : DT_REG;
        }
        return type == DT_DIR ? EntryKind::Directory : type == DT_LNK ? EntryKind::Link : EntryKind::File;
    }
    // A leading dot hides.
    bool isHidden() const { return entry_.d_name[0] == '.'; }

private:
    const dirent& entry_;
    DIR* dir_;
};

template <typename Visit>
void forEachEntry(const std::string& directory, Visit visit)
{
    const DirHandle dir = openListing(directory);
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0)
                raiseListingError(std::error_code(errno, std::generic_category()), directory);
            return;
        }
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        visit(DirectoryEntry(*entry, dir.get()));
    }
}

#endif

} // namespace lumora::platform
