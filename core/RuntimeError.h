#pragma once
// The form runtime's numbered errors. Every failure that a handler may trap
// travels as a RuntimeError carrying the runtime's number, so that the UI can
// show the standard report ("Run-time error 'N': description").

#include <stdexcept>
#include <string>
#include <string_view>

namespace lumora {

namespace err {
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int OutOfMemory = 7;
inline constexpr int InternalError = 51;
inline constexpr int BadFileNameOrNumber = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int FileAlreadyOpen = 55;
inline constexpr int DeviceIoError = 57;
inline constexpr int BadRecordLength = 59;
inline constexpr int DiskFull = 61;
inline constexpr int BadRecordNumber = 63;
inline constexpr int TooManyFiles = 67;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int PathFileAccessError = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int InvalidPicture = 481;
inline constexpr int ElementNotFound = 35601;
} // namespace err

// The runtime's standard description of an error number; "Application-defined
// or object-defined error" for numbers it does not know.
std::string_view errorDescription(int number);

class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(int number);
    // `detail` (a path, an OS message) is kept apart from the standard
    // description so that reports can add it without changing the wording.
    RuntimeError(int number, std::string detail);

    int number() const noexcept { return number_; }
    std::string_view description() const noexcept { return errorDescription(number_); }
    const std::string& detail() const noexcept { return detail_; }

private:
    int number_;
    std::string detail_;
};

} // namespace lumora
