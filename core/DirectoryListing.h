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
    // Links whose targets had not answered when the read ended, sorted: the
    // lists show them as not responding. `answered` settles with the whole
    // read, every link in its place, once the last of them answers; null
    // when none was missing.
    std::vector<std::string> unanswered;
    std::shared_ptr<Pending<std::shared_ptr<const DirectorySnapshot>>> answered;
    // Which read this is: a read begun later has a larger number, and the
    // whole read brought by `answered` the same one.
    std::uint64_t serial = 0;

    // Whether this is a later read of its folder than `other`, or the same
    // one with more of its links answered.
    bool newerThan(const DirectorySnapshot& other) const
    {
        return serial > other.serial || (serial == other.serial && unanswered.size() < other.unanswered.size());
    }
};

// Whether a link's target is a folder: a question to the target's mount,
// which may take as long as that mount likes.
using LinkQuestion = std::function<bool(const std::string& path)>;

// Raises RuntimeError 76, 75 or 68 when the directory cannot be read. Each
// link is asked about on its own, on a worker: those that answer within a
// moment are placed, and one that does not holds up neither the folder nor
// the other links.
DirectorySnapshot readDirectory(const std::string& directory);
DirectorySnapshot readDirectory(const std::string& directory, const LinkQuestion& isFolder);

// The number the next read will have: a read with a larger number than one
// taken before `ask`ing for another began after that ask.
std::uint64_t nextReadSerial();

// Sorts names in list order. A big list is sorted in two halves at once, one
// on a second core, and merged: the order is the same, as no two names of a
// folder are equal.
void sortInListOrder(std::vector<std::string>& names);

// Where in the snapshot's files the names that match `pattern` stand, in
// list order: a list of a hundred thousand names then costs 4 bytes a row.
std::vector<std::uint32_t> matchingFiles(const DirectorySnapshot& snapshot, std::string_view pattern);

// The folder reads of the directory and file lists, each on a worker. Every
// read is a fresh one: a medium swapped at the same mount point, or a folder
// whose time never changes, must never show an old listing. Those asked for
// during the start-up begin when it is over, once the window has shown: a
// folder of a hundred thousand games read meanwhile would take the cores the
// window needs for its first frame.
class FolderReads {
public:
    using Snapshot = std::shared_ptr<const DirectorySnapshot>;
    using Read = Pending<Snapshot>;
    // Raises like readDirectory; may take as long as the folder's mount likes.
    using Reader = std::function<DirectorySnapshot(const std::string& directory)>;

    explicit FolderReads(Reader reader = [](const std::string& directory) { return readDirectory(directory); })
        : reader_(std::move(reader))
    {
    }
    FolderReads(const FolderReads&) = delete;
    FolderReads& operator=(const FolderReads&) = delete;

    // Ends the start-up: the reads asked for during it begin, and the lists
    // may wait a moment for a read from now on.
    void startUpOver();
    bool startingUp() const { return startingUp_; }

    // A read of `directory` on a worker of its own.
    std::shared_ptr<Read> start(const std::string& directory);
    // What reads a folder where it is called, for work on a worker that goes
    // on from the read: it may outlive this object.
    const Reader& reader() const { return reader_; }

    // How long a list waits for a read before it shows that it is busy: no
    // time at all during the start-up, whose window shows at once; after it,
    // a moment within which a local folder reads, so that it never flickers.
    std::chrono::milliseconds patience() const { return startingUp_ ? std::chrono::milliseconds(0) : aMoment; }
    static constexpr std::chrono::milliseconds aMoment{100};

private:
    void begin(const std::string& directory, const std::shared_ptr<Read>& read) const;

    Reader reader_;
    std::vector<std::pair<std::string, std::shared_ptr<Read>>> held_; // asked for during the start-up
    bool startingUp_ = true;
};

} // namespace lumora
