#pragma once
// Directory reads for the directory and file lists.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Worker.h"

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

// The folder reads of the directory and file lists, each on a worker of its
// own. Every move of a list reads its folder afresh: a medium swapped at the
// same mount point, or a folder whose time never changes, must never show an
// old listing. Two reads only stand for more than one move: the one the
// directory list has just made, which the file list takes within the same
// move, and the start-up's early read of the stored folder, which its first
// move there takes.
class FolderReads {
public:
    using Snapshot = std::shared_ptr<const DirectorySnapshot>;
    using Read = Pending<Snapshot>;
    // Raises like readDirectory; may take as long as the folder's mount likes.
    using Reader = std::function<DirectorySnapshot(const std::string& directory)>;

    explicit FolderReads(Reader reader = readDirectory) : reader_(std::move(reader)) {}
    FolderReads(const FolderReads&) = delete;
    FolderReads& operator=(const FolderReads&) = delete;

    // Starts reading `directory`, for the start-up's move there that is to
    // come: it is known long before the lists that show it exist.
    void prefetch(const std::string& directory);
    // Ends the start-up: an early read not taken by now is let go, and the
    // lists may wait a moment for a read from now on.
    void startUpOver();

    // A read of `directory`: one begun just now for it, or a new one.
    std::shared_ptr<Read> start(const std::string& directory);

    // How long a list waits for a read before it shows that it is busy: no
    // time at all during the start-up, whose window shows at once; after it,
    // a moment within which a local folder reads, so that it never flickers.
    std::chrono::milliseconds patience() const { return patience_; }
    static constexpr std::chrono::milliseconds aMoment{100};

    // While the directory list raises its change event for a move, the read
    // it made stands for `directory`.
    class Sharing {
    public:
        Sharing(FolderReads& reads, const std::string& directory, Snapshot snapshot);
        ~Sharing();
        Sharing(const Sharing&) = delete;
        Sharing& operator=(const Sharing&) = delete;

    private:
        FolderReads& reads_;
    };

private:
    Reader reader_;
    std::string prefetched_;
    std::shared_ptr<Read> prefetch_;
    std::string sharedDirectory_;
    Snapshot shared_;
    std::chrono::milliseconds patience_{0};
};

} // namespace lumora
