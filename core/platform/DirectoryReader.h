#pragma once
// Reading one directory entry by entry, the one place where the systems'
// directory calls meet (DirectoryReaderPosix.cpp, DirectoryReaderWindows.cpp).

#include <functional>
#include <string>
#include <string_view>

namespace lumora::platform {

// What an entry is, as far as the read of its folder tells without asking
// anything of another mount: a link's target may lie on one that never
// answers, and is asked on its own.
enum class EntryKind { Directory, File, Link };

struct DirectoryEntry {
    std::string_view name; // the system's bytes (UTF-8 on Windows)
    EntryKind kind;
    // A leading dot hides on POSIX systems; on Windows the hidden attribute
    // does, and a leading dot means nothing (Explorer shows ".roms").
    bool hidden;
};

// Calls `visit` for each entry of `directory` but "." and "..". Raises
// RuntimeError 76, 75, 68 (or another listing error) when the directory
// cannot be read, also half-way.
void forEachEntry(const std::string& directory, const std::function<void(const DirectoryEntry&)>& visit);

} // namespace lumora::platform
