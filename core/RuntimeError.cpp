#include "core/RuntimeError.h"

#include <cerrno>
#include <utility>

namespace lumora {

namespace {

std::string reportText(int number, const std::string& detail)
{
    std::string text(errorDescription(number));
    if (!detail.empty()) {
        text += ": ";
        text += detail;
    }
    return text;
}

} // namespace

std::string_view errorDescription(int number)
{
    switch (number) {
    case err::InvalidProcedureCall: return "Invalid procedure call or argument";
    case err::OutOfMemory: return "Out of memory";
    case err::InternalError: return "Internal error";
    case err::BadFileNameOrNumber: return "Bad file name or number";
    case err::FileNotFound: return "File not found";
    case err::FileAlreadyOpen: return "File already open";
    case err::DeviceIoError: return "Device I/O error";
    case err::BadRecordLength: return "Bad record length";
    case err::DiskFull: return "Disk full";
    case err::BadRecordNumber: return "Bad record number";
    case err::TooManyFiles: return "Too many files";
    case err::DeviceUnavailable: return "Device unavailable";
    case err::PermissionDenied: return "Permission denied";
    case err::DiskNotReady: return "Disk not ready";
    case err::PathFileAccessError: return "Path/File access error";
    case err::PathNotFound: return "Path not found";
    case err::InvalidPicture: return "Invalid picture";
    case err::ElementNotFound: return "Element not found";
    default: return "Application-defined or object-defined error";
    }
}

RuntimeError::RuntimeError(int number) : RuntimeError(number, std::string()) {}

RuntimeError::RuntimeError(int number, std::string detail)
    : std::runtime_error(reportText(number, detail)), number_(number), detail_(std::move(detail))
{
}

} // namespace lumora
