#include "core/DirectoryListing.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "core/PathRules.h"
#include "core/RuntimeError.h"
#include "core/platform/DirectoryReader.h"

namespace lumora {

using platform::forEachEntry;

namespace {

using Clock = std::filesystem::file_time_type::clock;
// How long a folder's time must lie before a read for the read to stand for
// the folder while the time stays the same.
constexpr auto settleTime = std::chrono::seconds(2);
// How long a read may take before the windows say that they are busy.
constexpr auto aMoment = std::chrono::milliseconds(150);
// From this many names, a second core sorts half of them.
constexpr std::size_t twoCoresFrom = 16384;

std::optional<std::filesystem::file_time_type> modifiedTime(const std::string& directory)
{
    std::error_code code;
    const auto time = std::filesystem::last_write_time(platform::pathFromUtf8(directory), code);
    return code ? std::nullopt : std::optional(time);
}

DirectoryCache::TimedRead timedRead(const std::string& directory)
{
    DirectoryCache::TimedRead read;
    read.modified = modifiedTime(directory);
    read.started = Clock::now();
    read.snapshot = std::make_shared<const DirectorySnapshot>(readDirectory(directory));
    return read;
}

bool settled(const DirectoryCache::TimedRead& read)
{
    return read.modified && *read.modified + settleTime <= read.started;
}

// The same folder, however its path is written: "games/", "./games".
bool sameFolder(const std::string& a, const std::string& b)
{
    const auto normal = [](const std::string& text) {
        std::error_code ignored;
        std::filesystem::path path =
            std::filesystem::absolute(platform::pathFromUtf8(text), ignored).lexically_normal();
        return path.has_filename() || path == path.root_path() ? path : path.parent_path();
    };
    return a == b || (!a.empty() && !b.empty() && normal(a) == normal(b));
}

} // namespace

DirectorySnapshot readDirectory(const std::string& directory)
{
    DirectorySnapshot snapshot;
    forEachEntry(directory, [&](const platform::DirectoryEntry& entry) {
        if (entry.isHidden())
            return;
        (entry.isDirectory() ? snapshot.subdirectories : snapshot.files).emplace_back(entry.name());
    });
    sortInListOrder(snapshot.subdirectories);
    sortInListOrder(snapshot.files);
    return snapshot;
}

void sortInListOrder(std::vector<std::string>& names)
{
    const auto less = [](const std::string& a, const std::string& b) { return listOrderLess(a, b); };
    if (names.size() >= twoCoresFrom) {
        const auto middle = names.begin() + static_cast<std::ptrdiff_t>(names.size() / 2);
        try {
            std::thread firstHalf([&] { std::sort(names.begin(), middle, less); });
            std::sort(middle, names.end(), less);
            firstHalf.join();
            std::inplace_merge(names.begin(), middle, names.end(), less);
            return;
        } catch (const std::system_error&) {
            // No second thread to be had: one core sorts it all.
        }
    }
    std::sort(names.begin(), names.end(), less);
}

std::vector<std::uint32_t> matchingFiles(const DirectorySnapshot& snapshot, std::string_view pattern)
{
    std::vector<std::uint32_t> rows;
    for (std::size_t i = 0; i < snapshot.files.size(); ++i)
        if (wildcardMatch(pattern, snapshot.files[i]))
            rows.push_back(static_cast<std::uint32_t>(i));
    return rows;
}

void DirectoryCache::prefetch(const std::string& directory)
{
    if (directory.empty())
        return;
    prefetched_ = directory;
    prefetch_ = std::async(std::launch::async, [directory] {
        try {
            return timedRead(directory);
        } catch (...) {
            return TimedRead{}; // the read that comes raises the error
        }
    });
}

DirectoryCache::TimedRead DirectoryCache::awaitRead(std::future<TimedRead> read) const
{
    if (read.wait_for(aMoment) == std::future_status::timeout && notice_) {
        notice_(true);
        read.wait();
        notice_(false);
    }
    return read.get();
}

void DirectoryCache::remember(const std::string& directory, const TimedRead& read)
{
    if (settled(read)) {
        directory_ = directory;
        modified_ = *read.modified;
        snapshot_ = read.snapshot;
    } else {
        snapshot_.reset(); // a folder changing right now is read afresh each time
    }
}

std::shared_ptr<const DirectorySnapshot> DirectoryCache::read(const std::string& directory)
{
    const auto modified = modifiedTime(directory);
    if (modified && snapshot_ && directory == directory_ && *modified == modified_)
        return snapshot_;

    // A read begun earlier stands if the folder has provably not changed
    // since it began.
    if (prefetch_.valid() && sameFolder(prefetched_, directory)) {
        const TimedRead early = awaitRead(std::move(prefetch_));
        if (early.snapshot && settled(early) && early.modified == modified) {
            remember(directory, early);
            return early.snapshot;
        }
    }
    // Away from the calling thread only so that a slow folder can be told.
    const TimedRead fresh = awaitRead(std::async(std::launch::async, timedRead, directory));
    remember(directory, fresh);
    return fresh.snapshot;
}

} // namespace lumora
