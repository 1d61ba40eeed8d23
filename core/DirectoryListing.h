#pragma once
// Synchronous directory reads for the directory and file lists.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// One read of a directory: its sub-directories and its files (names only),
// each sorted in list order, hidden entries left out.
struct DirectorySnapshot {
    std::vector<std::string> subdirectories;
    std::vector<std::string> files;
};

// Raises RuntimeError 76, 75 or 68 when the directory cannot be read.
DirectorySnapshot readDirectory(const std::string& directory);

// Where in the snapshot's files the names that match `pattern` stand, in
// list order: a list of a hundred thousand names then costs 4 bytes a row.
std::vector<std::uint32_t> matchingFiles(const DirectorySnapshot& snapshot, std::string_view pattern);

// Remembers the last directory read. The directory list and the file list
// read the same folder one after the other, and the file list reads it again
// for every change of file type; on a folder of 100,000 files each read costs
// a tenth of a second. A remembered read is used only while the folder
// provably has not changed: its modification time is still the one seen
// before that read, and that time lay at least two seconds before the read
// began, so that even a coarse file-system clock cannot hide a later change.
class DirectoryCache {
public:
    // Raises like readDirectory.
    std::shared_ptr<const DirectorySnapshot> read(const std::string& directory);

private:
    std::string directory_;
    std::filesystem::file_time_type modified_{};
    std::shared_ptr<const DirectorySnapshot> snapshot_;
};

} // namespace lumora
