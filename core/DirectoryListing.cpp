#include "core/DirectoryListing.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <system_error>

#ifndef _WIN32
#include <dirent.h>
#include <sys/stat.h>
#endif

#include "core/PathRules.h"
#include "core/RuntimeError.h"
#include "core/platform/ErrorCode.h"
#include "core/platform/HiddenFile.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {

// A list that cannot be read: a missing or non-directory path is "Path not
// found", a refusal "Path/File access error", and a failing medium "Device
// unavailable", which is what a drive list shows for a dead drive.
[[noreturn]] void raiseListingError(const std::error_code& code, const std::string& directory)
{
    const std::error_condition condition = code.default_error_condition();
    if (condition.category() == std::generic_category() && condition.value() == EIO)
        throw RuntimeError(err::DeviceUnavailable, directory);
    throw RuntimeError(platform::errorNumberFromErrorCode(code, err::PathFileAccessError), directory);
}

#ifdef _WIN32

fs::directory_iterator openListing(const std::string& directory)
{
    if (directory.empty())
        throw RuntimeError(err::PathNotFound, directory);
    std::error_code code;
    fs::directory_iterator it(platform::pathFromUtf8(directory), code);
    if (code)
        raiseListingError(code, directory);
    return it;
}

// One entry as the lists ask about it.
class Entry {
public:
    explicit Entry(const fs::directory_entry& entry)
        : entry_(entry), name_(platform::utf8FromPath(entry.path().filename()))
    {
    }
    std::string_view name() const { return name_; }
    bool isDirectory() const
    {
        std::error_code code;
        // Follows links, so a link to a folder can be entered like one.
        return entry_.is_directory(code);
    }
    bool isHidden() const { return platform::isHiddenEntry(entry_, name_); }

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
        visit(Entry(*it));
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

DirHandle openListing(const std::string& directory)
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
class Entry {
public:
    Entry(const dirent& entry, std::string& full, std::size_t base) : entry_(entry), full_(full), base_(base) {}
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
    // platform::isHiddenEntry's rule here, without the directory_entry it
    // takes: a leading dot.
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
        visit(Entry(*entry, full, base));
    }
}

#endif

void sortForList(std::vector<std::string>& names)
{
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return listOrderLess(a, b); });
}

} // namespace

std::vector<std::string> listSubdirectories(const std::string& directory)
{
    std::vector<std::string> names;
    forEachEntry(directory, [&](const Entry& entry) {
        if (!entry.isDirectory() || entry.isHidden())
            return;
        names.emplace_back(entry.name());
    });
    sortForList(names);
    return names;
}

std::vector<std::string> listFiles(const std::string& directory, std::string_view pattern)
{
    std::vector<std::string> names;
    names.reserve(1024);
    forEachEntry(directory, [&](const Entry& entry) {
        // The name test first: it is the cheapest and rejects most entries.
        if (!wildcardMatch(pattern, entry.name()))
            return;
        if (entry.isDirectory() || entry.isHidden())
            return;
        names.emplace_back(entry.name());
    });
    sortForList(names);
    return names;
}

void checkDirectoryReadable(const std::string& directory) { (void)openListing(directory); }

} // namespace lumora
