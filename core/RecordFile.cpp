#include "core/RecordFile.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>

#include "core/RuntimeError.h"
#include "core/platform/ErrorCode.h"
#include "core/platform/FileSave.h"
#include "core/platform/SystemText.h"

namespace lumora {

namespace {

// Byte offset of a record's slot; record numbers start at 1.
std::uint64_t slotOffset(int record)
{
    if (record < 1)
        throw RuntimeError(err::BadRecordNumber, "record " + std::to_string(record));
    return static_cast<std::uint64_t>(record - 1) * recordLength;
}

std::uint16_t readWord(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void storeWord(unsigned char* p, std::uint16_t value)
{
    p[0] = static_cast<unsigned char>(value & 0xFF);
    p[1] = static_cast<unsigned char>(value >> 8);
}

std::string describe(const std::filesystem::path& path, const std::error_code& error)
{
    return platform::utf8FromPath(path) + ": " + error.message();
}

} // namespace

// ---------------------------------------------------------------- RecordImage

std::size_t RecordImage::available(int record) const
{
    const std::uint64_t offset = slotOffset(record);
    if (offset >= bytes_.size())
        return 0;
    const std::uint64_t inFile = bytes_.size() - offset;
    return static_cast<std::size_t>(inFile < recordLength ? inFile : recordLength);
}

void RecordImage::put(int record, const unsigned char* data, std::size_t size)
{
    const std::uint64_t offset = slotOffset(record);
    const std::uint64_t end = offset + size;
    try {
        if (end > bytes_.size())
            bytes_.resize(static_cast<std::size_t>(end), 0);
    } catch (const std::bad_alloc&) {
        throw RuntimeError(err::OutOfMemory, "record " + std::to_string(record));
    } catch (const std::length_error&) {
        throw RuntimeError(err::OutOfMemory, "record " + std::to_string(record));
    }
    std::copy(data, data + size, bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
}

void RecordImage::putString(int record, std::string_view text)
{
    if (text.size() > maxStringBytes)
        throw RuntimeError(err::BadRecordLength,
                           "record " + std::to_string(record) + ": " + std::to_string(text.size()) + " bytes");
    unsigned char slot[recordLength];
    storeWord(slot, static_cast<std::uint16_t>(text.size()));
    std::copy(text.begin(), text.end(), slot + 2);
    put(record, slot, text.size() + 2);
}

void RecordImage::putTagged(int record, TaggedValue value)
{
    unsigned char data[4];
    storeWord(data, value.tag);
    if (value.tag == TaggedValue::Empty) {
        // An empty value is its tag alone.
        put(record, data, 2);
        return;
    }
    storeWord(data + 2, static_cast<std::uint16_t>(value.value));
    put(record, data, 4);
}

void RecordImage::putInteger(int record, std::int16_t value)
{
    unsigned char data[2];
    storeWord(data, static_cast<std::uint16_t>(value));
    put(record, data, 2);
}

std::string RecordImage::getString(int record) const
{
    const std::size_t inSlot = available(record);
    if (inSlot < 2)
        return std::string();
    const unsigned char* slot = bytes_.data() + static_cast<std::size_t>(slotOffset(record));
    const std::size_t count = readWord(slot);
    if (count > maxStringBytes || count + 2 > inSlot)
        return std::string();
    return std::string(reinterpret_cast<const char*>(slot + 2), count);
}

TaggedValue RecordImage::getTagged(int record) const
{
    const std::size_t inSlot = available(record);
    if (inSlot < 2)
        return {};
    const unsigned char* slot = bytes_.data() + static_cast<std::size_t>(slotOffset(record));
    const std::uint16_t tag = readWord(slot);
    if (tag != TaggedValue::Boolean)
        return {};
    if (inSlot < 4)
        return TaggedValue::fromBool(false);
    return {TaggedValue::Boolean, static_cast<std::int16_t>(readWord(slot + 2))};
}

std::int16_t RecordImage::getInteger(int record) const
{
    if (available(record) < 2)
        return 0;
    const unsigned char* slot = bytes_.data() + static_cast<std::size_t>(slotOffset(record));
    return static_cast<std::int16_t>(readWord(slot));
}

// ----------------------------------------------------------------- RecordFile

RecordFile::RecordFile(const std::filesystem::path& path) : path_(path), name_(path.filename())
{
    std::error_code error;
    folder_ = platform::Folder::open(path.parent_path(), error);
    if (error)
        throw RuntimeError(platform::errorNumber(error, platform::Doing::Opening), describe(path_, error));
    open(true);
}

void RecordFile::removeStaleCopies() const { platform::removeStaleCopies(folder_, name_); }

void RecordFile::open(bool create)
{
    using platform::RegularFile;
    std::error_code error;
    file_ = RegularFile::open(folder_, name_, RegularFile::Access::ReadWrite,
                              create ? RegularFile::Create::IfMissing : RegularFile::Create::No, error);
    if (platform::isProtectionRefusal(error)) {
        // Read-only for this user or on this medium: readable all the same,
        // and nothing needs writing until a save.
        std::error_code readError;
        file_ = RegularFile::open(folder_, name_, RegularFile::Access::Read, RegularFile::Create::No, readError);
        if (!readError)
            error.clear();
        else if (create && readError == std::errc::no_such_file_or_directory)
            throw FolderRefusesFile(platform::errorNumber(error, platform::Doing::Opening), describe(path_, error));
    }
    if (error)
        throw RuntimeError(platform::errorNumber(error, platform::Doing::Opening), describe(path_, error));
}

RecordImage RecordFile::read(int records)
{
    if (!file_.isOpen())
        open(false); // a save replaced the file and could not open it again
    std::vector<unsigned char> bytes(static_cast<std::size_t>(std::max(records, 0)) * recordLength);
    std::error_code error;
    bytes.resize(file_.readAt(0, bytes.data(), bytes.size(), error));
    if (error)
        throw RuntimeError(platform::errorNumber(error, platform::Doing::Reading), describe(path_, error));
    return RecordImage(std::move(bytes));
}

void RecordFile::write(const RecordImage& image)
{
    std::error_code error;
    const platform::SaveMethod method = platform::writeFileStart(folder_, name_, image.bytes(), error);
    if (error)
        throw RuntimeError(platform::errorNumber(error, platform::Doing::Writing), describe(path_, error));
    if (method == platform::SaveMethod::Replaced) {
        // The held handle still reads the file that was replaced.
        try {
            open(false);
        } catch (const RuntimeError&) {
            file_.close(); // saved all the same; the next read opens it or says why not
        }
    }
}

// ------------------------------------------------------------------ FileTable

int FileTable::freeFile() const
{
    for (int number = 1; number <= maxFileNumber; ++number) {
        if (files_.count(number) == 0)
            return number;
    }
    throw RuntimeError(err::TooManyFiles);
}

void FileTable::open(int number, const std::filesystem::path& path)
{
    if (number < 1 || number > maxFileNumber)
        throw RuntimeError(err::BadFileNameOrNumber, "file number " + std::to_string(number));
    if (files_.count(number) != 0)
        throw RuntimeError(err::FileAlreadyOpen, "file number " + std::to_string(number));
    files_.emplace(number, std::make_shared<RecordFile>(path));
}

std::shared_ptr<RecordFile> FileTable::at(int number)
{
    const auto found = files_.find(number);
    if (found == files_.end())
        throw RuntimeError(err::BadFileNameOrNumber, "file number " + std::to_string(number));
    return found->second;
}

std::shared_ptr<RecordFile> FileTable::close(int number)
{
    std::shared_ptr<RecordFile> file = at(number);
    files_.erase(number);
    return file;
}

} // namespace lumora
