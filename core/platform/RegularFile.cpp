#include "core/platform/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/platform/ErrorCode.h"
#include "core/platform/WindowsApi.h"

namespace lumora::platform {

namespace {

class FileErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "lumora.file"; }
    std::string message(int) const override { return "not a regular file"; }
};

} // namespace

const std::error_category& fileErrorCategory() noexcept
{
    static const FileErrorCategory category;
    return category;
}

RegularFile::RegularFile(RegularFile&& other) noexcept { *this = std::move(other); }

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept
{
    if (this != &other) {
        close();
#ifdef _WIN32
        handle_ = std::exchange(other.handle_, nullptr);
#else
        fd_ = std::exchange(other.fd_, -1);
#endif
    }
    return *this;
}

RegularFile::~RegularFile() { close(); }

Folder::Folder(Folder&& other) noexcept { *this = std::move(other); }

#ifdef _WIN32

Folder::~Folder() = default;

Folder& Folder::operator=(Folder&& other) noexcept
{
    path_ = std::exchange(other.path_, {});
    return *this;
}

Folder Folder::open(const std::filesystem::path& directory, std::error_code& error)
{
    error.clear();
    Folder folder;
    std::filesystem::path held =
        directory.empty() ? std::filesystem::current_path(error) : std::filesystem::absolute(directory, error);
    if (!error && !std::filesystem::is_directory(held, error) && !error)
        error = std::make_error_code(std::errc::not_a_directory);
    if (!error)
        folder.path_ = std::move(held);
    return folder;
}

RegularFile RegularFile::open(const Folder& folder, const std::filesystem::path& name, Access access, Create create,
                              std::error_code& error)
{
    return open(folder / name, access, create, error);
}

#else

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

#endif

#ifdef _WIN32

RegularFile RegularFile::open(const std::filesystem::path& path, Access access, Create create, std::error_code& error)
{
    error.clear();
    const DWORD desired = access == Access::Read    ? GENERIC_READ
                          : access == Access::Write ? GENERIC_WRITE
                                                    : GENERIC_READ | GENERIC_WRITE;
    const DWORD disposition = create == Create::No ? OPEN_EXISTING : create == Create::New ? CREATE_NEW : OPEN_ALWAYS;
    // Others may read, write, rename and delete it meanwhile, as they may on
    // POSIX systems; the settings file is replaced by rename while open.
    HANDLE handle = CreateFileW(path.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = lastSystemError();
        return {};
    }
    RegularFile file;
    file.handle_ = handle;
    // Pipes, consoles and devices such as NUL are no files to read settings
    // or pictures from.
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        file.close();
        error = FileError::NotRegular;
    }
    return file;
}

bool RegularFile::isOpen() const noexcept { return handle_ != nullptr; }

void RegularFile::close() noexcept
{
    if (handle_ != nullptr)
        CloseHandle(std::exchange(handle_, nullptr));
}

namespace {

// Each transfer names its offset, as pread and pwrite do, instead of seeking
// the handle first.
OVERLAPPED overlappedAt(std::uint64_t offset) noexcept
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

// ReadFile and WriteFile take a DWORD count; 1 GB at a time stays well inside it.
DWORD chunkOf(std::size_t left) noexcept { return static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30)); }

} // namespace

std::size_t RegularFile::readAt(std::uint64_t offset, void* buffer, std::size_t size, std::error_code& error) const
{
    error.clear();
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED at = overlappedAt(offset + done);
        const DWORD ask = chunkOf(size - done);
        DWORD got = 0;
        if (!ReadFile(handle_, static_cast<char*>(buffer) + done, ask, &got, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            error = lastSystemError();
            break;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

bool RegularFile::writeAt(std::uint64_t offset, const void* data, std::size_t size, std::error_code& error)
{
    error.clear();
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED at = overlappedAt(offset + done);
        const DWORD ask = chunkOf(size - done);
        DWORD put = 0;
        if (!WriteFile(handle_, static_cast<const char*>(data) + done, ask, &put, &at)) {
            error = lastSystemError();
            return false;
        }
        done += put;
    }
    return true;
}

bool RegularFile::sync(std::error_code& error)
{
    error.clear();
    if (!FlushFileBuffers(handle_))
        error = lastSystemError();
    return !error;
}

bool RegularFile::resize(std::uint64_t size, std::error_code& error)
{
    error.clear();
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end, sizeof end))
        error = lastSystemError();
    return !error;
}

std::uint64_t RegularFile::size(std::error_code& error) const
{
    error.clear();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) {
        error = lastSystemError();
        return 0;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

#else

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

#endif

} // namespace lumora::platform
