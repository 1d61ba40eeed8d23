#include "core/DirectoryListing.h"

#include <algorithm>
#include <chrono>

#include "core/PathRules.h"
#include "core/RuntimeError.h"
#include "core/platform/DirectoryReader.h"

namespace lumora {

using platform::forEachEntry;

namespace {

void sortForList(std::vector<std::string>& names)
{
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return listOrderLess(a, b); });
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
    sortForList(snapshot.subdirectories);
    sortForList(snapshot.files);
    return snapshot;
}

std::vector<std::uint32_t> matchingFiles(const DirectorySnapshot& snapshot, std::string_view pattern)
{
    std::vector<std::uint32_t> rows;
    for (std::size_t i = 0; i < snapshot.files.size(); ++i)
        if (wildcardMatch(pattern, snapshot.files[i]))
            rows.push_back(static_cast<std::uint32_t>(i));
    return rows;
}

std::shared_ptr<const DirectorySnapshot> DirectoryCache::read(const std::string& directory)
{
    using Clock = std::filesystem::file_time_type::clock;
    std::error_code code;
    const std::filesystem::path path = platform::pathFromUtf8(directory);
    const std::filesystem::file_time_type modified = std::filesystem::last_write_time(path, code);
    if (!code && snapshot_ && directory == directory_ && modified == modified_)
        return snapshot_;

    const auto started = Clock::now();
    auto snapshot = std::make_shared<const DirectorySnapshot>(readDirectory(directory));
    const bool settled = !code && modified + std::chrono::seconds(2) <= started;
    if (settled) {
        directory_ = directory;
        modified_ = modified;
        snapshot_ = snapshot;
    } else {
        snapshot_.reset(); // a folder changing right now is read afresh each time
    }
    return snapshot;
}

} // namespace lumora
