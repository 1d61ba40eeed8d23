#include "core/platform/FileSave.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform/ErrorCode.h"
#include "core/platform/FileSaveSystem.h"
#include "core/platform/RegularFile.h"

namespace lumora::platform {

namespace {

namespace fs = std::filesystem;
using Access = RegularFile::Access;
using Create = RegularFile::Create;
using save::Original;

// How far a replacement by copy came.
enum class Attempt {
    Done,
    // The copy could not be everything the file was, or could not be made or
    // put in place here: nothing has changed, and the file is to be written
    // in place instead.
    Declined,
    Failed,
};

// A copy holds the file's whole tail; beyond this much, the save writes in
// place instead of copying it each time.
constexpr std::uint64_t largestTailCopied = std::uint64_t{64} * 1024;
// A copy left behind by a process that still runs is stale once it is this
// old: a save takes moments.
constexpr auto staleAfter = std::chrono::minutes(1);

const char copyMark[] = ".~";
const char copyEnd[] = ".tmp";

// The copy's name, next to the target so that it can be renamed into place
// on the same file system: this process's own, which no other program that
// is running uses. Saves of one file never overlap.
fs::path copyName(const fs::path& target)
{
    fs::path copy = target;
    copy += copyMark + std::to_string(save::currentProcess()) + copyEnd;
    return copy;
}

// What makes the rename path give way to a write in place.
bool isRefusal(const std::error_code& error)
{
    return isProtectionRefusal(error) || error == std::errc::device_or_resource_busy;
}

// Copies what `from` holds after `offset` to `to`, at the same offset, a
// piece at a time whatever the file's size.
bool copyTail(const RegularFile& from, RegularFile& to, std::uint64_t offset, std::error_code& error)
{
    std::vector<unsigned char> buffer(std::size_t{64} * 1024);
    for (;;) {
        const std::size_t got = from.readAt(offset, buffer.data(), buffer.size(), error);
        if (error)
            return false;
        if (got == 0)
            return true;
        if (!to.writeAt(offset, buffer.data(), got, error))
            return false;
        offset += got;
    }
}

// The number of the process that made `entry`, when it is named as a copy
// of `head` (the file's name and the copy mark) is; 0 when it is not.
unsigned long copyOwner(std::string_view entry, std::string_view head)
{
    const std::string_view end = copyEnd;
    if (entry.size() <= head.size() + end.size() || entry.substr(0, head.size()) != head ||
        entry.substr(entry.size() - end.size()) != end)
        return 0;
    const std::string_view middle = entry.substr(head.size(), entry.size() - head.size() - end.size());
    if (middle.find_first_not_of("0123456789-") != std::string_view::npos || middle.front() == '-')
        return 0;
    unsigned long process = 0;
    for (const char c : middle.substr(0, middle.find('-')))
        process = process > 0xFFFFFFFFul ? process : process * 10 + static_cast<unsigned long>(c - '0');
    return process == 0 ? 1 : process;
}

// Writes the new start over the file itself. What it replaces is read first,
// so that a write cut short (a full disk, a medium pulled) puts it back: the
// file is then what it was, not new records followed by old ones.
bool writeInPlace(RegularFile& file, const std::vector<unsigned char>& start, std::error_code& error)
{
    const std::uint64_t size = file.size(error);
    if (error)
        return false;
    std::vector<unsigned char> replaced(static_cast<std::size_t>(std::min<std::uint64_t>(size, start.size())));
    replaced.resize(file.readAt(0, replaced.data(), replaced.size(), error));
    if (error)
        return false;
    if (file.writeAt(0, start.data(), start.size(), error) && file.sync(error))
        return true;
    // As much as can be put back: the bytes the write reached lie first.
    std::error_code restoring;
    (void)file.writeAt(0, replaced.data(), replaced.size(), restoring);
    if (size < start.size())
        (void)file.resize(size, restoring);
    (void)file.sync(restoring);
    return false;
}

// The new start and the old file's tail in a synced sibling copy, which then
// takes the file's place. `current` and `original` are null for a file that
// is not there (any more).
Attempt replaceByCopy(const Folder& folder, const fs::path& name, const std::vector<unsigned char>& start,
                      RegularFile* current, const Original* original, const Replace& replace, std::error_code& error)
{
    const fs::path temp = copyName(name);
    RegularFile out = RegularFile::open(folder, temp, Access::Write, Create::New, error);
    if (error == std::errc::file_exists) {
        // Left by a save of a process with the same number that was killed.
        save::removeFile(folder, temp);
        out = RegularFile::open(folder, temp, Access::Write, Create::New, error);
    }
    if (!out.isOpen()) {
        // A folder that lets no new file be made can still have its file
        // written.
        if (current != nullptr && isRefusal(error)) {
            error.clear();
            return Attempt::Declined;
        }
        return Attempt::Failed;
    }
    const auto discard = [&](Attempt outcome) {
        out.close();
        save::removeFile(folder, temp);
        return outcome;
    };
    if (original != nullptr && !save::carryOver(out, *original))
        return discard(Attempt::Declined);
    if (!out.writeAt(0, start.data(), start.size(), error) ||
        (current != nullptr && !copyTail(*current, out, start.size(), error)) || !out.sync(error))
        return discard(Attempt::Failed);
    out.close();
    if (current != nullptr)
        current->close(); // Windows replaces no file that is open
    if (!replace(folder, temp, name, error)) {
        // A replacement that failed half-way can leave the file's name
        // empty (Windows' ReplaceFileW does): the finished copy goes there,
        // and where even that fails it stays, the new settings whole in it.
        bool link = false;
        std::error_code looking;
        if (current != nullptr && !save::lookAt(folder, name, link, looking) &&
            looking == std::errc::no_such_file_or_directory) {
            std::error_code moving;
            if (replace(folder, temp, name, moving))
                error.clear();
            return error ? Attempt::Failed : Attempt::Done;
        }
        save::removeFile(folder, temp);
        // A sticky folder that keeps others' files, a file that is a mount
        // point, another program holding the file: replacing is refused,
        // writing may not be.
        if (current != nullptr && isRefusal(error)) {
            error.clear();
            return Attempt::Declined;
        }
        return Attempt::Failed;
    }
    return Attempt::Done;
}

} // namespace

SaveMethod writeFileStart(const Folder& folder, const fs::path& name, const std::vector<unsigned char>& start,
                          std::error_code& error)
{
    return writeFileStart(folder, name, start, error, save::replaceWithCopy);
}

SaveMethod writeFileStart(const Folder& folder, const fs::path& name, const std::vector<unsigned char>& start,
                          std::error_code& error, const Replace& replace)
{
    error.clear();
    bool link = false;
    if (!save::lookAt(folder, name, link, error)) {
        if (error != std::errc::no_such_file_or_directory)
            return SaveMethod::Replaced;
        // Deleted behind the program's back: made anew.
        error.clear();
        replaceByCopy(folder, name, start, nullptr, nullptr, replace, error);
        return SaveMethod::Replaced;
    }
    // Opening it for writing first refuses a file that may not be written,
    // whatever its folder would allow a copy.
    RegularFile current = RegularFile::open(folder, name, Access::ReadWrite, Create::No, error);
    Original original;
    if (error || !save::examine(current, link, original, error))
        return SaveMethod::InPlace;
    if (original.replaceable && original.size <= start.size() + largestTailCopied) {
        if (replaceByCopy(folder, name, start, &current, &original, replace, error) != Attempt::Declined)
            return SaveMethod::Replaced;
        if (!current.isOpen())
            current = RegularFile::open(folder, name, Access::ReadWrite, Create::No, error);
        if (error)
            return SaveMethod::InPlace;
    }
    writeInPlace(current, start, error);
    return SaveMethod::InPlace;
}

void removeStaleCopies(const Folder& folder, const fs::path& name)
{
    const std::string head = name.string() + copyMark;
    save::forEachFileNamed(folder, head, [&](std::string_view entry, std::chrono::seconds age) {
        const unsigned long owner = copyOwner(entry, head);
        // A save still running owns its copy, for a moment; one whose
        // process has gone, killed half-way, owns nothing. This process's
        // own copies are its saves', however slow their disk.
        if (owner != 0 && owner != save::currentProcess() && (!save::processRuns(owner) || age > staleAfter))
            save::removeFile(folder, fs::path(std::string(entry)));
    });
}

} // namespace lumora::platform
