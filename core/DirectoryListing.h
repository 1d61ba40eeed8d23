#pragma once
// Synchronous directory reads for the directory and file lists.

#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// Sub-directories of `directory` (names only, hidden ones left out), sorted
// in list order. Raises RuntimeError 76, 75 or 68 when it cannot be read.
std::vector<std::string> listSubdirectories(const std::string& directory);

// Files (not directories, hidden ones left out) of `directory` whose names
// match `pattern`, sorted in list order. Raises like listSubdirectories.
std::vector<std::string> listFiles(const std::string& directory, std::string_view pattern);

// Raises the error that reading `directory` would raise, or returns.
void checkDirectoryReadable(const std::string& directory);

} // namespace lumora
