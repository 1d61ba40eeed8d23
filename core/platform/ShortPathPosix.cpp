#include "core/platform/ShortPath.h"

namespace lumora::platform {

// A POSIX name is its only one.
std::optional<std::string> shortPathName(const std::string&) { return std::nullopt; }

} // namespace lumora::platform
