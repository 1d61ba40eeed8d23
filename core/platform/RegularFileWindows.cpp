#include <algorithm>
#include <utility>

#include "core/platform/ErrorCode.h"
#include "core/platform/RegularFile.h"
#include "core/platform/SystemText.h"
#include "core/platform/WindowsApi.h"

namespace lumora::platform {

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

Folder::~Folder()
{
    if (handle_ != nullptr)
        CloseHandle(handle_);
}

Folder& Folder::operator=(Folder&& other) noexcept
{
    if (this != &other) {
        if (handle_ != nullptr)
            CloseHandle(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
        opened_ = std::exchange(other.opened_, {});
    }
    return *this;
}

// Held by a handle of its own, as POSIX systems hold a folder by its
// descriptor: others may still rename or delete it meanwhile.
Folder Folder::open(const std::filesystem::path& directory, std::error_code& error)
{
    error.clear();
    Folder folder;
    const std::filesystem::path held =
        directory.empty() ? std::filesystem::current_path(error) : std::filesystem::absolute(directory, error);
    if (error)
        return folder;
    const HANDLE handle = CreateFileW(systemPath(held).c_str(), FILE_LIST_DIRECTORY,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = lastSystemError();
        return folder;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        CloseHandle(handle);
        error = std::make_error_code(std::errc::not_a_directory);
        return folder;
    }
    folder.handle_ = handle;
    folder.opened_ = held;
    return folder;
}

std::filesystem::path Folder::path() const
{
    wchar_t buffer[32768];
    const DWORD length = handle_ == nullptr ? 0
                                            : GetFinalPathNameByHandleW(handle_, buffer, DWORD(std::size(buffer)),
                                                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= std::size(buffer))
        return opened_;
    // In the long form, as \\?\C:\... or \\?\UNC\server\...
    return std::filesystem::path(ordinaryForm(std::wstring_view(buffer, length)));
}

std::filesystem::path Folder::operator/(const std::filesystem::path& name) const
{
    return std::filesystem::path(systemPath(path() / name));
}

RegularFile RegularFile::open(const Folder& folder, const std::filesystem::path& name, Access access, Create create,
                              std::error_code& error)
{
    return open(folder / name, access, create, error);
}

RegularFile RegularFile::open(const std::filesystem::path& path, Access access, Create create, std::error_code& error)
{
    error.clear();
    const DWORD desired = access == Access::Read    ? GENERIC_READ
                          : access == Access::Write ? GENERIC_WRITE
                                                    : GENERIC_READ | GENERIC_WRITE;
    const DWORD disposition = create == Create::No ? OPEN_EXISTING : create == Create::New ? CREATE_NEW : OPEN_ALWAYS;
    // Others may read, write, rename and delete it meanwhile, as they may on
    // POSIX systems; the settings file is replaced by rename while open.
    HANDLE handle =
        CreateFileW(systemPath(path).c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
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

} // namespace lumora::platform
