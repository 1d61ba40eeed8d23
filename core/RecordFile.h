#pragma once
// Random-access record files with 128-byte records, numbered like the form
// runtime's open files.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/RuntimeError.h"
#include "core/platform/RegularFile.h"

namespace lumora {

inline constexpr std::size_t recordLength = 128;
inline constexpr std::size_t maxStringBytes = recordLength - 2;

// A tagged value as a record file holds it: a 2-byte type tag (0 empty,
// 11 Boolean) and, for a Boolean, a 2-byte value (0xFFFF true, 0 false).
struct TaggedValue {
    static constexpr std::uint16_t Empty = 0;
    static constexpr std::uint16_t Boolean = 11;

    std::uint16_t tag = Empty;
    std::int16_t value = 0;

    static TaggedValue fromBool(bool b) { return {Boolean, static_cast<std::int16_t>(b ? -1 : 0)}; }
    // Only a Boolean that is not 0 is true; empty and unknown tags read false.
    bool isTrue() const { return tag == Boolean && value != 0; }
    friend bool operator==(const TaggedValue&, const TaggedValue&) = default;
};

// The bytes of a record file, record n at (n - 1) * 128. Reads beyond the end
// give empty values; reads never look outside the record's own slot.
class RecordImage {
public:
    RecordImage() = default;
    explicit RecordImage(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

    const std::vector<unsigned char>& bytes() const { return bytes_; }

    // `text` is already in the file's code page; more than 126 bytes raises
    // error 59 (bad record length) and changes nothing.
    void putString(int record, std::string_view text);
    void putTagged(int record, TaggedValue value);
    void putInteger(int record, std::int16_t value);

    // A count that runs past the slot or past the end of the file gives "".
    std::string getString(int record) const;
    TaggedValue getTagged(int record) const;
    std::int16_t getInteger(int record) const;

private:
    void put(int record, const unsigned char* data, std::size_t size);
    std::size_t available(int record) const; // bytes of the slot inside the file
    std::vector<unsigned char> bytes_;
};

// Raised when the file is not there and its folder lets no file be made.
class FolderRefusesFile : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

// One open record file. Opening refuses anything that is not a regular file
// and never waits on one; a file that may be read but not written opens for
// reading, and only its saves fail. Saves put a record image over the start
// of the file and keep the bytes after it, all or nothing wherever the file
// can be replaced by a finished copy without changing what it is.
//
// The file is reached through its folder, held open: a save reaches the file
// that was opened even when someone renames its folder meanwhile, or when the
// folder's path is longer than the system allows a path to be.
class RecordFile {
public:
    // Opens `path`, creating it empty when missing and leaving an existing one
    // unchanged. Raises a RuntimeError (75, 70, 76, ...) when it cannot.
    explicit RecordFile(const std::filesystem::path& path);

    const std::filesystem::path& path() const { return path_; }
    // Removes what saves cut short left of this file's copies.
    void removeStaleCopies() const;
    // Lets go of the file; a later read or write opens it again.
    void close() { file_.close(); }

    // The first `records` records as they are on disk now: never more than
    // records * 128 bytes, whatever the file's size.
    RecordImage read(int records);
    // Puts `image` over the start of the file; the bytes after it stay.
    void write(const RecordImage& image);

private:
    void open(bool create);
    std::filesystem::path path_;
    platform::Folder folder_;
    std::filesystem::path name_;
    platform::RegularFile file_;
};

// The runtime's table of open files: numbers 1 to 255, the next free one being
// the lowest not in use. A file is shared with the workers that read and
// write it, so that one still busy with it when its number is closed keeps
// it.
class FileTable {
public:
    static constexpr int maxFileNumber = 255;

    int freeFile() const; // raises 67 (too many files) when all are in use
    // Opens `path` under `number`; raises 55 when the number is in use.
    void open(int number, const std::filesystem::path& path);
    // Raise 52 when the number is not open.
    std::shared_ptr<RecordFile> at(int number);
    // Gives the file up; whoever holds it last closes it.
    std::shared_ptr<RecordFile> close(int number);
    std::size_t openCount() const { return files_.size(); }

private:
    std::map<int, std::shared_ptr<RecordFile>> files_;
};

} // namespace lumora
