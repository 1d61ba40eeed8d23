#pragma once
// Files whose paths come from the disk or the settings file may be anything:
// a FIFO that blocks the first read until a writer appears, a device that
// never ends, a directory. RegularFile opens a path only when it is a regular
// file, and decides that before anything could wait on it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace lumora::platform {

// The error an open reports for a path that is not a regular file.
enum class FileError { NotRegular = 1 };
const std::error_category& fileErrorCategory() noexcept;
inline std::error_code make_error_code(FileError e) noexcept { return {static_cast<int>(e), fileErrorCategory()}; }

class RegularFile {
public:
    enum class Access { Read, Write, ReadWrite };
    // Missing files: left missing, made empty, or (New) the file must not
    // exist yet, so that a name no one else uses can be claimed.
    enum class Create { No, IfMissing, New };

    RegularFile() = default;
    ~RegularFile();
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // Opens `path`, following links; an existing file is never truncated. On
    // failure the result is closed and `error` tells why:
    // FileError::NotRegular for a FIFO, socket, device or directory, also
    // behind a link.
    static RegularFile open(const std::filesystem::path& path, Access access, Create create, std::error_code& error);

    bool isOpen() const noexcept;
    void close() noexcept;

    // Reads up to `size` bytes at `offset`: fewer only at the end of the file.
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size, std::error_code& error) const;
    bool writeAt(std::uint64_t offset, const void* data, std::size_t size, std::error_code& error);
    // Puts what was written on the disk.
    bool sync(std::error_code& error);
    std::uint64_t size(std::error_code& error) const;

    // For the platform code that needs more of the file than this offers.
#ifdef _WIN32
    void* native() const noexcept { return handle_; }
#else
    int native() const noexcept { return fd_; }
#endif

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

} // namespace lumora::platform

template <>
struct std::is_error_code_enum<lumora::platform::FileError> : std::true_type {
};
