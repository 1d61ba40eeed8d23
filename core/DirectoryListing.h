#pragma once
// Directory reads for the directory and file lists.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
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

// Sorts names in list order. A big list is sorted in two halves at once, one
// on a second core, and merged: the order is the same, as no two names of a
// folder are equal.
void sortInListOrder(std::vector<std::string>& names);

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
    DirectoryCache() = default;
    DirectoryCache(const DirectoryCache&) = delete;
    DirectoryCache& operator=(const DirectoryCache&) = delete;

    // Starts reading `directory` on a worker, for a read of it that is to
    // come: the start-up knows the stored folder long before the lists that
    // show it exist. Raises nothing; a read that fails, or one of a folder
    // that changes meanwhile, is done again by the read that comes.
    void prefetch(const std::string& directory);

    // Told true when a read has gone on for longer than a moment, and false
    // when it ends, so that the windows can show that they are busy.
    void setSlowReadNotice(std::function<void(bool busy)> notice) { notice_ = std::move(notice); }

    // Raises like readDirectory.
    std::shared_ptr<const DirectorySnapshot> read(const std::string& directory);

    // A read, with what is needed to tell later whether it may stand for the
    // folder: the folder's time, taken just before the read began.
    struct TimedRead {
        std::optional<std::filesystem::file_time_type> modified;
        std::filesystem::file_time_type::clock::time_point started{};
        std::shared_ptr<const DirectorySnapshot> snapshot;
    };

private:
    TimedRead awaitRead(std::future<TimedRead> read) const;
    void remember(const std::string& directory, const TimedRead& read);

    std::string directory_;
    std::filesystem::file_time_type modified_{};
    std::shared_ptr<const DirectorySnapshot> snapshot_;
    std::string prefetched_;
    std::future<TimedRead> prefetch_;
    std::function<void(bool)> notice_;
};

} // namespace lumora
