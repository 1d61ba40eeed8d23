#pragma once
// Saving a file the way careful editors do: all or nothing by replacing it
// with a finished copy where the copy can be everything the file was, and in
// place where it cannot.

#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

#include "core/platform/RegularFile.h"

namespace lumora::platform {

enum class SaveMethod {
    // A finished, synced copy took the file's place: a failure on the way
    // left the old content whole.
    Replaced,
    // Written over the file itself, the bytes it replaced put back when the
    // write fails half-way, because a copy would have changed what
    // the file is (a symbolic link, whose target is updated; a file with more
    // than one hard link; an owner, group or mode the copy could not be
    // given), because no new file may be made in its folder, or because
    // what follows the new start is too large to copy on every save.
    InPlace,
};

// Puts `start` over the first bytes of the file `name` in `folder`; the bytes
// after them stay as they are. A missing file is made anew. On failure
// `error` is set and the returned method is the one that failed. Whatever
// happens, the file afterwards holds the old bytes or the new, whole, under
// its own name.
SaveMethod writeFileStart(const Folder& folder, const std::filesystem::path& name,
                          const std::vector<unsigned char>& start, std::error_code& error);

// How a finished copy `made` takes the place of `name` in `folder`: the
// system's way, or a test's that fails as the system may.
using Replace = std::function<bool(const Folder& folder, const std::filesystem::path& made,
                                   const std::filesystem::path& name, std::error_code& error)>;
SaveMethod writeFileStart(const Folder& folder, const std::filesystem::path& name,
                          const std::vector<unsigned char>& start, std::error_code& error, const Replace& replace);

// Removes the copies of `name` in `folder` that a save cut short (the program
// was killed half-way) left behind: at once where the process that made one
// no longer runs, and otherwise once it is old enough that no save still
// running can own it.
void removeStaleCopies(const Folder& folder, const std::filesystem::path& name);

} // namespace lumora::platform
