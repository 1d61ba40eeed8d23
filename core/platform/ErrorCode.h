#pragma once
// std::filesystem reports errors as std::error_code, whose values are the
// system's own (Windows error numbers on Windows). This maps them to the
// runtime's numbers through their portable condition.

#include <filesystem>
#include <string>
#include <system_error>

namespace lumora::platform {

int errorNumberFromErrorCode(const std::error_code& code, int fallback);

// Whether the file's or the medium's protection refused: permission denied,
// an operation not permitted, a read-only file system.
bool isProtectionRefusal(const std::error_code& error);

// A path as UTF-8 text, for error details and listings.
std::string utf8FromPath(const std::filesystem::path& path);
std::filesystem::path pathFromUtf8(const std::string& text);

// The calling thread's last system error: errno, or on Windows the last
// Windows error as a generic code where errno has a counterpart, so that
// failures get the same runtime numbers everywhere.
std::error_code lastSystemError();

} // namespace lumora::platform
