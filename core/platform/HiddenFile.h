#pragma once
// Which directory entries the lists leave out.

#include <filesystem>
#include <string_view>

namespace lumora::platform {

// `name` is the entry's file name as UTF-8. A leading dot hides an entry
// everywhere; on Windows the hidden attribute does as well.
bool isHiddenEntry(const std::filesystem::directory_entry& entry, std::string_view name);

} // namespace lumora::platform
