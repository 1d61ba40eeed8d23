#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "core/platform/ErrorCode.h"
#include "core/platform/RegularFile.h"

namespace lumora::platform {

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

Folder::~Folder()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Folder& Folder::operator=(Folder&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

Folder Folder::open(const std::filesystem::path& directory, std::error_code& error)
{
    error.clear();
    Folder folder;
    folder.fd_ = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.fd_ < 0)
        error = lastSystemError();
    return folder;
}

RegularFile RegularFile::open(const std::filesystem::path& path, Access access, Create create, std::error_code& error)
{
    return openAt(AT_FDCWD, path, access, create, error);
}

RegularFile RegularFile::open(const Folder& folder, const std::filesystem::path& name, Access access, Create create,
                              std::error_code& error)
{
    return openAt(folder.native(), name, access, create, error);
}

RegularFile RegularFile::openAt(int folder, const std::filesystem::path& path, Access access, Create create,
                                std::error_code& error)
{
    error.clear();
    // A look first, which never blocks: opening a FIFO for writing fails and
    // opening a socket cannot work at all, but each should read as what it
    // is rather than as whatever the open happens to report.
    struct stat status {};
    if (::fstatat(folder, path.c_str(), &status, 0) == 0 && !S_ISREG(status.st_mode)) {
        error = FileError::NotRegular;
        return {};
    }
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    flags |= access == Access::Read ? O_RDONLY : access == Access::Write ? O_WRONLY : O_RDWR;
    if (create != Create::No)
        flags |= O_CREAT;
    if (create == Create::New)
        flags |= O_EXCL;
    int fd = -1;
    do {
        fd = ::openat(folder, path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = lastSystemError();
        return {};
    }
    RegularFile file;
    file.fd_ = fd;
    // The look above and the open are two steps; what was opened decides.
    if (::fstat(fd, &status) != 0) {
        error = lastSystemError();
        file.close();
    } else if (!S_ISREG(status.st_mode)) {
        error = FileError::NotRegular;
        file.close();
    } else {
        // The flag only guarded the open: a regular file never blocks.
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return file;
}

bool RegularFile::isOpen() const noexcept { return fd_ >= 0; }

void RegularFile::close() noexcept
{
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
}

std::size_t RegularFile::readAt(std::uint64_t offset, void* buffer, std::size_t size, std::error_code& error) const
{
    error.clear();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(fd_, static_cast<char*>(buffer) + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = lastSystemError();
            break;
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool RegularFile::writeAt(std::uint64_t offset, const void* data, std::size_t size, std::error_code& error)
{
    error.clear();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put =
            ::pwrite(fd_, static_cast<const char*>(data) + done, size - done, static_cast<off_t>(offset + done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            error = lastSystemError();
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool RegularFile::sync(std::error_code& error)
{
    error.clear();
    if (::fsync(fd_) != 0)
        error = lastSystemError();
    return !error;
}

bool RegularFile::resize(std::uint64_t size, std::error_code& error)
{
    error.clear();
    int result = 0;
    do {
        result = ::ftruncate(fd_, static_cast<off_t>(size));
    } while (result != 0 && errno == EINTR);
    if (result != 0)
        error = lastSystemError();
    return !error;
}

std::uint64_t RegularFile::size(std::error_code& error) const
{
    error.clear();
    struct stat status {};
    if (::fstat(fd_, &status) != 0) {
        error = lastSystemError();
        return 0;
    }
    return static_cast<std::uint64_t>(status.st_size);
}

} // namespace lumora::platform
