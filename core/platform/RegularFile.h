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

// A folder held open, through which the files in it are reached by name: it
// stays the same folder when someone renames it, and one nested deeper than
// the system's limit for a path is no problem. On Windows it is held by its
// full path.
class Folder {
public:
    Folder() = default;
    ~Folder();
    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    // The folder at `directory`, the current one when empty; closed, with
    // `error` set, when it cannot be held.
    static Folder open(const std::filesystem::path& directory, std::error_code& error);
    // A file in the folder as the system's other calls may name it: a full
    // path on Windows, the name alone (taken from the folder) elsewhere.
#ifdef _WIN32
    // Where the folder held is now, asked of its handle: it follows the
    // folder when someone renames it.
    std::filesystem::path path() const;
    // In the long form, which no length limit applies to.
    std::filesystem::path operator/(const std::filesystem::path& name) const;
#else
    int native() const noexcept { return fd_; }
#endif

private:
#ifdef _WIN32
    void* handle_ = nullptr;
    std::filesystem::path opened_; // where it was, for when its handle cannot tell
#else
    int fd_ = -1;
#endif
};

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
    // The same for the file `name` in `folder`.
    static RegularFile open(const Folder& folder, const std::filesystem::path& name, Access access, Create create,
                            std::error_code& error);

    bool isOpen() const noexcept;
    void close() noexcept;

    // Reads up to `size` bytes at `offset`: fewer only at the end of the file.
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size, std::error_code& error) const;
    bool writeAt(std::uint64_t offset, const void* data, std::size_t size, std::error_code& error);
    // Puts what was written on the disk.
    bool sync(std::error_code& error);
    // Cuts the file to `size` bytes, or lengthens it with zeros.
    bool resize(std::uint64_t size, std::error_code& error);
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
    static RegularFile openAt(int folder, const std::filesystem::path& path, Access access, Create create,
                              std::error_code& error);
    int fd_ = -1;
#endif
};

} // namespace lumora::platform

template <>
struct std::is_error_code_enum<lumora::platform::FileError> : std::true_type {
};
