#include "core/RecordFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <new>
#include <random>
#include <stdexcept>
#include <string>

#include "core/RuntimeError.h"
#include "core/platform/ErrorCode.h"
#include "core/platform/FileSync.h"

namespace lumora {

namespace {

constexpr int BadRecordNumber = 63;
constexpr int OutOfMemory = 7;

// Byte offset of a record's slot; record numbers start at 1.
std::uint64_t slotOffset(int record)
{
    if (record < 1)
        throw RuntimeError(BadRecordNumber, "record " + std::to_string(record));
    return static_cast<std::uint64_t>(record - 1) * recordLength;
}

std::uint16_t readWord(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void storeWord(unsigned char* p, std::uint16_t value)
{
    p[0] = static_cast<unsigned char>(value & 0xFF);
    p[1] = static_cast<unsigned char>(value >> 8);
}

int lastErrno(int fallbackErrno) { return errno != 0 ? errno : fallbackErrno; }

// A write refused by the file's or the medium's protection reads as
// "Permission denied"; anything else as for opens.
int writeErrorNumber(int errnoValue, int fallback)
{
    if (errnoValue == EACCES || errnoValue == EPERM || errnoValue == EROFS)
        return err::PermissionDenied;
    return errorNumberFromErrno(errnoValue, fallback);
}

class FileCloser {
public:
    explicit FileCloser(std::FILE* file) : file_(file) {}
    ~FileCloser()
    {
        if (file_)
            std::fclose(file_);
    }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

private:
    std::FILE* file_;
};

// A name next to the target that nothing else uses, so the finished file can
// be renamed into place on the same file system.
std::filesystem::path temporarySibling(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = [] {
        std::random_device device;
        return static_cast<unsigned>(device()) ^
               static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    }();
    std::filesystem::path temp = target;
    temp += ".~" + std::to_string(salt % 100000u) + "-" + std::to_string(counter.fetch_add(1)) + ".tmp";
    return temp;
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
        throw RuntimeError(OutOfMemory, "record " + std::to_string(record));
    } catch (const std::length_error&) {
        throw RuntimeError(OutOfMemory, "record " + std::to_string(record));
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

RecordFile::RecordFile(const std::filesystem::path& path) : path_(path)
{
    // The file stays where it was opened, whatever the current directory
    // becomes later.
    std::error_code ignored;
    if (const std::filesystem::path absolute = std::filesystem::absolute(path_, ignored); !absolute.empty())
        path_ = absolute;
    errno = 0;
    file_ = platform::openFile(path_, "r+b");
    if (!file_ && errno == ENOENT) {
        // Append mode creates a missing file but never truncates one that
        // appeared in the meantime.
        if (std::FILE* created = platform::openFile(path_, "ab"))
            std::fclose(created);
        errno = 0;
        file_ = platform::openFile(path_, "r+b");
    }
    if (!file_)
        throw RuntimeError(errorNumberFromErrno(lastErrno(EACCES), err::PathFileAccessError),
                           platform::utf8FromPath(path_));
}

RecordFile::~RecordFile()
{
    if (file_)
        std::fclose(file_);
}

void RecordFile::reopen()
{
    if (!file_)
        file_ = platform::openFile(path_, "r+b");
}

RecordImage RecordFile::read() const
{
    std::FILE* file = file_;
    std::FILE* own = nullptr;
    if (!file) {
        // A failed reopen after a write: read through a fresh handle.
        errno = 0;
        own = platform::openFile(path_, "rb");
        if (!own)
            throw RuntimeError(errorNumberFromErrno(lastErrno(EIO), err::PathFileAccessError),
                               platform::utf8FromPath(path_));
        file = own;
    }
    FileCloser closer(own);

    std::vector<unsigned char> bytes;
    try {
        std::rewind(file);
        unsigned char chunk[4096];
        for (;;) {
            errno = 0;
            const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
            bytes.insert(bytes.end(), chunk, chunk + got);
            if (got < sizeof chunk)
                break;
        }
    } catch (const std::bad_alloc&) {
        throw RuntimeError(OutOfMemory, platform::utf8FromPath(path_));
    }
    if (std::ferror(file)) {
        const int error = lastErrno(EIO);
        std::clearerr(file);
        throw RuntimeError(errorNumberFromErrno(error, err::DeviceIoError), platform::utf8FromPath(path_));
    }
    return RecordImage(std::move(bytes));
}

void RecordFile::write(const RecordImage& image)
{
    const std::string shownPath = platform::utf8FromPath(path_);

    // Refuse early, before anything is written, when the file itself has
    // become unwritable. A file deleted meanwhile is simply written anew.
    errno = 0;
    if (std::FILE* probe = platform::openFile(path_, "r+b")) {
        std::fclose(probe);
    } else if (errno != ENOENT) {
        throw RuntimeError(writeErrorNumber(lastErrno(EACCES), err::PathFileAccessError), shownPath);
    }

    std::filesystem::path temp;
    std::FILE* out = nullptr;
    for (unsigned attempt = 0; attempt < 100 && !out; ++attempt) {
        temp = temporarySibling(path_);
        errno = 0;
        out = platform::openFile(temp, "wbx");
        if (!out && errno != EEXIST)
            throw RuntimeError(writeErrorNumber(lastErrno(EACCES), err::PathFileAccessError), shownPath);
    }
    if (!out)
        throw RuntimeError(err::PathFileAccessError, shownPath);

    const std::vector<unsigned char>& bytes = image.bytes();
    int failure = 0;
    errno = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size())
        failure = lastErrno(EIO);
    if (failure == 0 && !platform::syncFile(out))
        failure = lastErrno(EIO);
    errno = 0;
    if (std::fclose(out) != 0 && failure == 0)
        failure = lastErrno(EIO);
    std::error_code ignored;
    if (failure != 0) {
        std::filesystem::remove(temp, ignored);
        throw RuntimeError(writeErrorNumber(failure, err::DeviceIoError), shownPath);
    }

    // Keep the original's permission bits: a rename would otherwise hand the
    // settings file the temporary's defaults.
    std::error_code statusError;
    const std::filesystem::file_status original = std::filesystem::status(path_, statusError);
    if (!statusError && std::filesystem::exists(original))
        std::filesystem::permissions(temp, original.permissions(), ignored);

    // Windows cannot rename over a file that is open, so let go of it first.
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    std::error_code renameError;
    std::filesystem::rename(temp, path_, renameError);
    if (renameError) {
        std::filesystem::remove(temp, ignored);
        reopen();
        throw RuntimeError(platform::errorNumberFromErrorCode(renameError, err::PathFileAccessError), shownPath);
    }
    platform::syncDirectory(path_.parent_path());
    reopen();
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
    auto file = std::make_unique<RecordFile>(path);
    files_.emplace(number, std::move(file));
}

RecordFile& FileTable::at(int number)
{
    const auto found = files_.find(number);
    if (found == files_.end())
        throw RuntimeError(err::BadFileNameOrNumber, "file number " + std::to_string(number));
    return *found->second;
}

void FileTable::close(int number)
{
    const auto found = files_.find(number);
    if (found == files_.end())
        throw RuntimeError(err::BadFileNameOrNumber, "file number " + std::to_string(number));
    files_.erase(found);
}

} // namespace lumora
