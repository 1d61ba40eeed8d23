#include "core/platform/ErrorCode.h"

#include <cerrno>

#include "core/RuntimeError.h"
#include "core/platform/RegularFile.h"
#include "core/platform/WindowsApi.h"

namespace lumora::platform {

int errorNumber(const std::error_code& error, Doing doing)
{
    if (error == FileError::NotRegular)
        return err::PathFileAccessError;
    if (doing == Doing::Writing && isProtectionRefusal(error))
        return err::PermissionDenied;
#ifdef _WIN32
    // Drive states that have no errno counterpart.
    if (error.category() == std::system_category()) {
        switch (error.value()) {
        case 21: // ERROR_NOT_READY: removable drive without a medium
            return err::DiskNotReady;
        case 15:   // ERROR_INVALID_DRIVE
        case 53:   // ERROR_BAD_NETPATH
        case 55:   // ERROR_DEV_NOT_EXIST
        case 67:   // ERROR_BAD_NET_NAME
        case 1167: // ERROR_DEVICE_NOT_CONNECTED
            return err::DeviceUnavailable;
        default: break;
        }
    }
#endif
    const int fallback =
        doing == Doing::Reading || doing == Doing::Writing ? err::DeviceIoError : err::PathFileAccessError;
    const std::error_condition condition = error.default_error_condition();
    if (condition.category() != std::generic_category())
        return fallback;
    switch (condition.value()) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
#ifdef ELOOP
    case ELOOP:
#endif
        return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return err::PathFileAccessError;
    case ENOSPC:
    case EFBIG: // the file may not grow further: as good as a full disk
#if defined(EDQUOT) && EDQUOT != ENOSPC
    case EDQUOT:
#endif
        return err::DiskFull;
    case EIO: return doing == Doing::Listing ? err::DeviceUnavailable : err::DeviceIoError;
    case ENXIO:
    case ENODEV:
#ifdef ENOMEDIUM
    case ENOMEDIUM:
#endif
        return err::DeviceUnavailable;
    case EMFILE:
    case ENFILE: return err::TooManyFiles;
    default: return fallback;
    }
}

bool isProtectionRefusal(const std::error_code& error)
{
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
           error == std::errc::read_only_file_system;
}

#ifdef _WIN32
std::error_code lastSystemError()
{
    const DWORD code = GetLastError();
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_DIRECTORY: return std::make_error_code(std::errc::not_a_directory);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return std::make_error_code(std::errc::permission_denied);
    case ERROR_WRITE_PROTECT: return std::make_error_code(std::errc::read_only_file_system);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return std::make_error_code(std::errc::file_exists);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_TOO_MANY_OPEN_FILES: return std::make_error_code(std::errc::too_many_files_open);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return std::make_error_code(std::errc::not_enough_memory);
    default: return {static_cast<int>(code), std::system_category()};
    }
}
#else
std::error_code lastSystemError() { return {errno, std::generic_category()}; }
#endif

} // namespace lumora::platform
