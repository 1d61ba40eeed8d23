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
#include <sys/stat.h>
#endif

#include "core/RuntimeError.h"
#include "core/platform/ErrorCode.h"
#include "core/platform/SystemText.h"

namespace lumora::platform {

namespace fs = std::filesystem;

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
    bool isDirectory() const
    {
        std::error_code code;
        // Follows links, so a link to a folder can be entered like one.
        return entry_.is_directory(code);
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

// One entry as the lists ask about it. `full` is a scratch buffer holding the
// directory and a separator, reused so that only entries whose type the
// directory read leaves open cost a path.
class DirectoryEntry {
public:
    DirectoryEntry(const dirent& entry, std::string& full, std::size_t base) : entry_(entry), full_(full), base_(base)
    {
    }
    std::string_view name() const { return entry_.d_name; }
    bool isDirectory() const
    {
        if (entry_.d_type != DT_UNKNOWN && entry_.d_type != DT_LNK)
            return entry_.d_type == DT_DIR;
        // Follows links, so a link to a folder can be entered like one.
        full_.resize(base_);
        full_ += entry_.d_name;
        struct stat status {};
        return ::stat(full_.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    }
    // A leading dot hides.
    bool isHidden() const { return entry_.d_name[0] == '.'; }

private:
    const dirent& entry_;
    std::string& full_;
    std::size_t base_;
};

template <typename Visit>
void forEachEntry(const std::string& directory, Visit visit)
{
    const DirHandle dir = openListing(directory);
    std::string full = directory;
    if (full.back() != '/')
        full += '/';
    const std::size_t base = full.size();
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
        visit(DirectoryEntry(*entry, full, base));
    }
}

#endif

} // namespace lumora::platform
