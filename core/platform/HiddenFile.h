#pragma once
// Which directory entries the lists leave out.

#include <filesystem>
#include <string_view>

namespace lumora::platform {

// `name` is the entry's file name as UTF-8. Each system's own mark hides an
// entry: the hidden attribute on Windows, a leading dot elsewhere.
bool isHiddenEntry(const std::filesystem::directory_entry& entry, std::string_view name);

} // namespace lumora::platform
