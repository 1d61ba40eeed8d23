#pragma once
// std::filesystem reports errors as std::error_code, whose values are the
// system's own (Windows error numbers on Windows); they map to the runtime's
// numbers through their portable condition.

#include <filesystem>
#include <string>
#include <system_error>

namespace lumora::platform {

// What was being done when the system refused: the same refusal is another
// runtime error for an open, a read, a write and a folder's listing.
enum class Doing { Opening, Reading, Writing, Listing };

// The one table from the system's errors to the runtime's numbers: a
// missing or non-directory path is "Path not found", a refusal "Path/File
// access error" (when writing, "Permission denied"), a full disk "Disk full",
// a failing medium "Device I/O error" (when listing, "Device unavailable",
// which is what a drive list shows for a dead drive); what has no closer
// match is "Path/File access error" for an open or a listing and "Device
// I/O error" for a read or a write.
int errorNumber(const std::error_code& error, Doing doing);

// Whether the file's or the medium's protection refused: permission denied,
// an operation not permitted, a read-only file system.
bool isProtectionRefusal(const std::error_code& error);

// The calling thread's last system error: errno, or on Windows the last
// Windows error as a generic code where errno has a counterpart, so that
// failures get the same runtime numbers everywhere.
std::error_code lastSystemError();

} // namespace lumora::platform
