#include "core/platform/FileSave.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/platform/ErrorCode.h"
#include "core/platform/RegularFile.h"
#include "core/platform/WindowsApi.h"

namespace lumora::platform {

namespace {

namespace fs = std::filesystem;
using Access = RegularFile::Access;
using Create = RegularFile::Create;

// How far a replacement by copy came.
enum class Attempt {
    Done,
    // The copy could not be everything the file was, or could not be made or
    // put in place here: nothing has changed, and the file is to be written
    // in place instead.
    Declined,
    Failed,
};

// A copy holds the file's whole tail; beyond this much, the save writes in
// place instead of copying it each time.
constexpr std::uint64_t largestTailCopied = std::uint64_t{64} * 1024;
// A copy left behind is stale once it is this old: a save takes moments.
constexpr auto staleAfter = std::chrono::minutes(1);

// What a replacement must keep of the file it replaces.
struct Original {
    bool replaceable = false; // not a link, and its only hard link
    std::uint64_t size = 0;
#ifdef _WIN32
    DWORD attributes = 0;
#else
    struct stat status {};
#endif
};

const char copyMark[] = ".~";
const char copyEnd[] = ".tmp";

// The copy's name, next to the target so that it can be renamed into place
// on the same file system: this process's own, which no other program that
// is running uses. Saves of one file never overlap.
fs::path copyName(const fs::path& target)
{
#ifdef _WIN32
    const unsigned long process = GetCurrentProcessId();
#else
    const long process = static_cast<long>(::getpid());
#endif
    fs::path copy = target;
    copy += copyMark + std::to_string(process) + copyEnd;
    return copy;
}

// What makes the rename path give way to a write in place.
bool isRefusal(const std::error_code& error)
{
    return isProtectionRefusal(error) || error == std::errc::device_or_resource_busy;
}

// Copies what `from` holds after `offset` to `to`, at the same offset, a
// piece at a time whatever the file's size.
bool copyTail(const RegularFile& from, RegularFile& to, std::uint64_t offset, std::error_code& error)
{
    std::vector<unsigned char> buffer(std::size_t{64} * 1024);
    for (;;) {
        const std::size_t got = from.readAt(offset, buffer.data(), buffer.size(), error);
        if (error)
            return false;
        if (got == 0)
            return true;
        if (!to.writeAt(offset, buffer.data(), got, error))
            return false;
        offset += got;
    }
}

// Whether `entry` is named as a copy of `name` is.
bool isCopyOf(std::string_view entry, const std::string& name)
{
    const std::string head = name + copyMark;
    if (entry.size() <= head.size() + std::size(copyEnd) - 1 || entry.substr(0, head.size()) != head ||
        entry.substr(entry.size() - (std::size(copyEnd) - 1)) != copyEnd)
        return false;
    const std::string_view middle = entry.substr(head.size(), entry.size() - head.size() - (std::size(copyEnd) - 1));
    return middle.find_first_not_of("0123456789-") == std::string_view::npos;
}

bool writeInPlace(RegularFile& file, const std::vector<unsigned char>& start, std::error_code& error)
{
    return file.writeAt(0, start.data(), start.size(), error) && file.sync(error);
}

#ifdef _WIN32

void removeFile(const Folder& folder, const fs::path& name)
{
    std::error_code ignored;
    fs::remove(folder / name, ignored);
}

// Whether something is there, and whether it is a link (a reparse point).
bool lookAt(const Folder& folder, const fs::path& name, bool& link, std::error_code& error)
{
    const DWORD attributes = GetFileAttributesW((folder / name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = lastSystemError();
        return false;
    }
    link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return true;
}

bool examine(const RegularFile& file, bool link, Original& original, std::error_code& error)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.native(), &info)) {
        error = lastSystemError();
        return false;
    }
    original.replaceable = !link && info.nNumberOfLinks == 1;
    original.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    original.attributes = info.dwFileAttributes;
    return true;
}

// Gives the copy the file's attributes (hidden, system, archive). ReplaceFileW
// carries them over too, with the security, but not every implementation of
// it does.
bool carryOver(RegularFile& copy, const Original& original)
{
    constexpr DWORD kept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO info{}; // times left at zero stay as they are
    info.FileAttributes = (original.attributes & kept) != 0 ? original.attributes & kept : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(copy.native(), FileBasicInfo, &info, sizeof info) != 0;
}

#else

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
    if (::fstat(file.native(), &original.status) != 0) {
        error = lastSystemError();
        return false;
    }
    original.replaceable = !link && original.status.st_nlink == 1;
    original.size = static_cast<std::uint64_t>(original.status.st_size);
    return true;
}

// Gives the copy the file's owner, group and mode, before anything is
// written to it; false where this user may not.
bool carryOver(RegularFile& copy, const Original& original)
{
    struct stat made {};
    if (::fstat(copy.native(), &made) != 0)
        return false;
    const uid_t owner = original.status.st_uid == made.st_uid ? static_cast<uid_t>(-1) : original.status.st_uid;
    const gid_t group = original.status.st_gid == made.st_gid ? static_cast<gid_t>(-1) : original.status.st_gid;
    const bool owned = (owner == static_cast<uid_t>(-1) && group == static_cast<gid_t>(-1)) ||
                       ::fchown(copy.native(), owner, group) == 0;
    return owned && ::fchmod(copy.native(), original.status.st_mode & 07777) == 0;
}

#endif

// Puts the finished copy `made` in the place of `name`, both in `folder`: a rename on POSIX systems; on Windows
// ReplaceFileW, which carries the file's attributes and security over to the copy, or a plain move where there is no
// file yet. False, with `error` set, when it cannot; a refusal (the file is held or protected) reads as
// permission_denied.
bool replaceWithCopy(const Folder& folder, const fs::path& made, const fs::path& name, std::error_code& error)
{
    error.clear();
#ifdef _WIN32
    const fs::path copy = folder / made;
    const fs::path file = folder / name;
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (!MoveFileExW(copy.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = lastSystemError();
        return !error;
    }
    // Another program holding the file without letting it be deleted makes
    // any replacement fail; asked first, so that nothing is left half done.
    const HANDLE probe = CreateFileW(file.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        error = lastSystemError();
        return false;
    }
    CloseHandle(probe);
    if (!ReplaceFileW(file.c_str(), copy.c_str(), nullptr,
                      REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr)) {
        const DWORD code = GetLastError();
        error = code == ERROR_UNABLE_TO_REMOVE_REPLACED || code == ERROR_UNABLE_TO_MOVE_REPLACEMENT
                    ? std::make_error_code(std::errc::permission_denied)
                    : lastSystemError();
    }
#else
    if (::renameat(folder.native(), made.c_str(), folder.native(), name.c_str()) != 0)
        error = lastSystemError();
    else
        (void)::fsync(folder.native()); // the rename is durable once its folder is; not every one can be synced
#endif
    return !error;
}

// The new start and the old file's tail in a synced sibling copy, which then
// takes the file's place. `current` and `original` are null for a file that
// is not there (any more).
Attempt replaceByCopy(const Folder& folder, const fs::path& name, const std::vector<unsigned char>& start,
                      RegularFile* current, const Original* original, std::error_code& error)
{
    const fs::path temp = copyName(name);
    RegularFile out = RegularFile::open(folder, temp, Access::Write, Create::New, error);
    if (error == std::errc::file_exists) {
        // Left by a save of a process with the same number that was killed.
        removeFile(folder, temp);
        out = RegularFile::open(folder, temp, Access::Write, Create::New, error);
    }
    if (!out.isOpen()) {
        // A folder that lets no new file be made can still have its file
        // written.
        if (current != nullptr && isRefusal(error)) {
            error.clear();
            return Attempt::Declined;
        }
        return Attempt::Failed;
    }
    const auto discard = [&](Attempt outcome) {
        out.close();
        removeFile(folder, temp);
        return outcome;
    };
    if (original != nullptr && !carryOver(out, *original))
        return discard(Attempt::Declined);
    if (!out.writeAt(0, start.data(), start.size(), error) ||
        (current != nullptr && !copyTail(*current, out, start.size(), error)) || !out.sync(error))
        return discard(Attempt::Failed);
    out.close();
    if (current != nullptr)
        current->close(); // Windows replaces no file that is open
    if (!replaceWithCopy(folder, temp, name, error)) {
        removeFile(folder, temp);
        // A sticky folder that keeps others' files, a file that is a mount
        // point, another program holding the file: replacing is refused,
        // writing may not be.
        if (current != nullptr && isRefusal(error)) {
            error.clear();
            return Attempt::Declined;
        }
        return Attempt::Failed;
    }
    return Attempt::Done;
}

} // namespace

SaveMethod writeFileStart(const Folder& folder, const fs::path& name, const std::vector<unsigned char>& start,
                          std::error_code& error)
{
    error.clear();
    bool link = false;
    if (!lookAt(folder, name, link, error)) {
        if (error != std::errc::no_such_file_or_directory)
            return SaveMethod::Replaced;
        // Deleted behind the program's back: made anew.
        error.clear();
        replaceByCopy(folder, name, start, nullptr, nullptr, error);
        return SaveMethod::Replaced;
    }
    // Opening it for writing first refuses a file that may not be written,
    // whatever its folder would allow a copy.
    RegularFile current = RegularFile::open(folder, name, Access::ReadWrite, Create::No, error);
    Original original;
    if (error || !examine(current, link, original, error))
        return SaveMethod::InPlace;
    if (original.replaceable && original.size <= start.size() + largestTailCopied) {
        if (replaceByCopy(folder, name, start, &current, &original, error) != Attempt::Declined)
            return SaveMethod::Replaced;
        if (!current.isOpen())
            current = RegularFile::open(folder, name, Access::ReadWrite, Create::No, error);
        if (error)
            return SaveMethod::InPlace;
    }
    writeInPlace(current, start, error);
    return SaveMethod::InPlace;
}

void removeStaleCopies(const Folder& folder, const fs::path& name)
{
    const std::string own = name.string();
#ifdef _WIN32
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(folder.path(), error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (isCopyOf(it->path().filename().string(), own) && it->is_regular_file(ignored) &&
            now - it->last_write_time(ignored) > staleAfter)
            fs::remove(it->path(), ignored);
    }
#else
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
        if (!isCopyOf(entry->d_name, own) ||
            ::fstatat(folder.native(), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode))
            continue;
        if (now - std::chrono::system_clock::from_time_t(status.st_mtime) > staleAfter)
            (void)::unlinkat(folder.native(), entry->d_name, 0);
    }
    ::closedir(dir);
#endif
}

} // namespace lumora::platform
