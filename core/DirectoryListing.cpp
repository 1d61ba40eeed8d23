#include "core/DirectoryListing.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <utility>

#include "core/PathRules.h"
#include "core/RuntimeError.h"
#include "core/platform/DirectoryReader.h"
#include "core/platform/SystemText.h"

namespace lumora {

using platform::forEachEntry;

namespace {

// From this many names, a second core sorts half of them.
constexpr std::size_t twoCoresFrom = 16384;

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

namespace {

std::shared_ptr<FolderReads::Read> readOnWorker(const FolderReads::Reader& reader, const std::string& directory)
{
    return FolderReads::Read::start([reader, directory] {
        return FolderReads::Snapshot(std::make_shared<const DirectorySnapshot>(reader(directory)));
    });
}

} // namespace

void FolderReads::prefetch(const std::string& directory)
{
    if (directory.empty())
        return;
    prefetched_ = directory;
    prefetch_ = readOnWorker(reader_, directory);
}

void FolderReads::startUpOver()
{
    prefetch_.reset();
    prefetched_.clear();
    patience_ = aMoment;
}

std::shared_ptr<FolderReads::Read> FolderReads::start(const std::string& directory)
{
    if (shared_ && directory == sharedDirectory_)
        return Read::ready(shared_);
    if (prefetch_ && sameFolder(prefetched_, directory)) {
        prefetched_.clear();
        return std::exchange(prefetch_, nullptr);
    }
    return readOnWorker(reader_, directory);
}

FolderReads::Sharing::Sharing(FolderReads& reads, const std::string& directory, Snapshot snapshot) : reads_(reads)
{
    reads_.sharedDirectory_ = directory;
    reads_.shared_ = std::move(snapshot);
}

FolderReads::Sharing::~Sharing()
{
    reads_.sharedDirectory_.clear();
    reads_.shared_.reset();
}

} // namespace lumora
