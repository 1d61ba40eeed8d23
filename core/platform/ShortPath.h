#pragma once
// A second name for a path, for where the first cannot go: a settings file
// and programs that take text in the system's 8-bit code page.

#include <optional>
#include <string>

namespace lumora::platform {

// The short (8.3) form of the existing `path` (UTF-8), checked to name the
// same file or folder, where the volume keeps one (Windows); none elsewhere.
// Asks the path's volume, which may take as long as it likes.
std::optional<std::string> shortPathName(const std::string& path);

} // namespace lumora::platform
