#include "core/DirectoryListing.h"

#include <algorithm>

#include "core/PathRules.h"
#include "core/RuntimeError.h"
#include "core/platform/DirectoryReader.h"

namespace lumora {

using platform::forEachEntry;
using platform::openListing;

namespace {

void sortForList(std::vector<std::string>& names)
{
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return listOrderLess(a, b); });
}

} // namespace

std::vector<std::string> listSubdirectories(const std::string& directory)
{
    std::vector<std::string> names;
    forEachEntry(directory, [&](const platform::DirectoryEntry& entry) {
        if (!entry.isDirectory() || entry.isHidden())
            return;
        names.emplace_back(entry.name());
    });
    sortForList(names);
    return names;
}

std::vector<std::string> listFiles(const std::string& directory, std::string_view pattern)
{
    std::vector<std::string> names;
    names.reserve(1024);
    forEachEntry(directory, [&](const platform::DirectoryEntry& entry) {
        // The name test first: it is the cheapest and rejects most entries.
        if (!wildcardMatch(pattern, entry.name()))
            return;
        if (entry.isDirectory() || entry.isHidden())
            return;
        names.emplace_back(entry.name());
    });
    sortForList(names);
    return names;
}

void checkDirectoryReadable(const std::string& directory) { (void)openListing(directory); }

} // namespace lumora
