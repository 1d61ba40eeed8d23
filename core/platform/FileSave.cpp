#include "core/platform/FileSave.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/platform/ErrorCode.h"
#include "core/platform/RegularFile.h"

namespace lumora::platform {

namespace {

namespace fs = std::filesystem;
using Access = RegularFile::Access;
using Create = RegularFile::Create;

// How far a replacement by copy came.
enum class Attempt {
    Done,
    // The copy could not be everything the file was, or could not be made
    // here: nothing has changed, and the file is to be written in place.
    Declined,
    Failed,
};

// A name next to the target that nothing else uses, so that the finished copy
// can be renamed into place on the same file system.
fs::path temporarySibling(const fs::path& target)
{
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = [] {
        std::random_device device;
        return static_cast<unsigned>(device()) ^
               static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    }();
    fs::path temp = target;
    temp += ".~" + std::to_string(salt % 100000u) + "-" + std::to_string(counter.fetch_add(1)) + ".tmp";
    return temp;
}

bool isRefusal(const std::error_code& error)
{
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
           error == std::errc::read_only_file_system || error == std::errc::device_or_resource_busy;
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

// Opens a fresh sibling of `path` for the copy. Declined when the folder lets
// no new file be made and there is a file to write in place instead.
Attempt openCopy(const fs::path& path, bool canDecline, fs::path& temp, RegularFile& out, std::error_code& error)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = temporarySibling(path);
        out = RegularFile::open(temp, Access::Write, Create::New, error);
        if (!error)
            return Attempt::Done;
        if (error != std::errc::file_exists)
            break;
    }
    if (canDecline && isRefusal(error)) {
        error.clear();
        return Attempt::Declined;
    }
    return Attempt::Failed;
}

// The new start, then the old file's tail, on the disk.
bool fillCopy(RegularFile& out, const std::vector<unsigned char>& start, const RegularFile* current,
              std::error_code& error)
{
    return out.writeAt(0, start.data(), start.size(), error) &&
           (current == nullptr || copyTail(*current, out, start.size(), error)) && out.sync(error);
}

void removeFile(const fs::path& path)
{
    std::error_code ignored;
    fs::remove(path, ignored);
}

bool writeInPlace(RegularFile& file, const std::vector<unsigned char>& start, std::error_code& error)
{
    return file.writeAt(0, start.data(), start.size(), error) && file.sync(error);
}

#ifdef _WIN32

// ReplaceFileW keeps the replaced file's attributes, security and streams on
// the copy, which a plain rename would lose.
Attempt replaceByCopy(const fs::path& path, const std::vector<unsigned char>& start, RegularFile* current,
                      std::error_code& error)
{
    fs::path temp;
    RegularFile out;
    const Attempt opened = openCopy(path, current != nullptr, temp, out, error);
    if (opened != Attempt::Done)
        return opened;
    if (!fillCopy(out, start, current, error)) {
        out.close();
        removeFile(temp);
        return Attempt::Failed;
    }
    out.close();
    if (current == nullptr) {
        if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            error = lastSystemError();
            removeFile(temp);
            return Attempt::Failed;
        }
        return Attempt::Done;
    }
    current->close();
    if (!ReplaceFileW(path.c_str(), temp.c_str(), nullptr,
                      REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr)) {
        const DWORD code = GetLastError();
        error = lastSystemError();
        removeFile(temp);
        // Another program holds the file without letting it be replaced:
        // its content can still be written.
        if (isRefusal(error) || code == ERROR_UNABLE_TO_REMOVE_REPLACED || code == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
            error.clear();
            return Attempt::Declined;
        }
        return Attempt::Failed;
    }
    return Attempt::Done;
}

} // namespace

SaveMethod writeFileStart(const fs::path& path, const std::vector<unsigned char>& start, std::error_code& error)
{
    error.clear();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = lastSystemError();
        if (error != std::errc::no_such_file_or_directory)
            return SaveMethod::Replaced;
        // Deleted behind the program's back: made anew.
        error.clear();
        replaceByCopy(path, start, nullptr, error);
        return SaveMethod::Replaced;
    }
    RegularFile current = RegularFile::open(path, Access::ReadWrite, Create::No, error);
    if (error)
        return SaveMethod::InPlace;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(current.native(), &info)) {
        error = lastSystemError();
        return SaveMethod::InPlace;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && info.nNumberOfLinks == 1) {
        if (replaceByCopy(path, start, &current, error) != Attempt::Declined)
            return SaveMethod::Replaced;
        if (!current.isOpen()) {
            current = RegularFile::open(path, Access::ReadWrite, Create::No, error);
            if (error)
                return SaveMethod::InPlace;
        }
    }
    writeInPlace(current, start, error);
    return SaveMethod::InPlace;
}

#else

std::error_code errnoCode(int value) { return {value, std::generic_category()}; }

// A rename is durable only once its folder is on the disk too; best effort,
// as not every file system lets a folder be synced.
void syncDirectory(const fs::path& directory)
{
    const std::string name = directory.empty() ? std::string(".") : directory.string();
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

// `original` is the replaced file's status (null when there is none): the
// copy takes its owner, group and mode before anything is written to it.
Attempt replaceByCopy(const fs::path& path, const std::vector<unsigned char>& start, const RegularFile* current,
                      const struct stat* original, std::error_code& error)
{
    fs::path temp;
    RegularFile out;
    const Attempt opened = openCopy(path, current != nullptr, temp, out, error);
    if (opened != Attempt::Done)
        return opened;
    const auto discard = [&](Attempt outcome) {
        out.close();
        removeFile(temp);
        return outcome;
    };
    if (original != nullptr) {
        struct stat made {};
        if (::fstat(out.native(), &made) != 0)
            return discard(Attempt::Declined);
        const uid_t owner = original->st_uid == made.st_uid ? static_cast<uid_t>(-1) : original->st_uid;
        const gid_t group = original->st_gid == made.st_gid ? static_cast<gid_t>(-1) : original->st_gid;
        const bool owned = (owner == static_cast<uid_t>(-1) && group == static_cast<gid_t>(-1)) ||
                           ::fchown(out.native(), owner, group) == 0;
        if (!owned || ::fchmod(out.native(), original->st_mode & 07777) != 0)
            return discard(Attempt::Declined);
    }
    if (!fillCopy(out, start, current, error))
        return discard(Attempt::Failed);
    out.close();
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = errnoCode(errno);
        removeFile(temp);
        // A sticky folder that keeps others' files, or a file that is a mount
        // point: replacing is refused, writing is not.
        if (current != nullptr && isRefusal(error)) {
            error.clear();
            return Attempt::Declined;
        }
        return Attempt::Failed;
    }
    syncDirectory(path.parent_path());
    return Attempt::Done;
}

} // namespace

SaveMethod writeFileStart(const fs::path& path, const std::vector<unsigned char>& start, std::error_code& error)
{
    error.clear();
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) {
        error = errnoCode(errno);
        if (error != std::errc::no_such_file_or_directory)
            return SaveMethod::Replaced;
        // Deleted behind the program's back: made anew.
        error.clear();
        replaceByCopy(path, start, nullptr, nullptr, error);
        return SaveMethod::Replaced;
    }
    // Opening it for writing first refuses a file that may not be written,
    // whatever its folder would allow a copy.
    RegularFile current = RegularFile::open(path, Access::ReadWrite, Create::No, error);
    if (error)
        return SaveMethod::InPlace;
    struct stat status {};
    if (::fstat(current.native(), &status) != 0) {
        error = errnoCode(errno);
        return SaveMethod::InPlace;
    }
    if (!S_ISLNK(link.st_mode) && status.st_nlink == 1 &&
        replaceByCopy(path, start, &current, &status, error) != Attempt::Declined)
        return SaveMethod::Replaced;
    writeInPlace(current, start, error);
    return SaveMethod::InPlace;
}

#endif

} // namespace lumora::platform
