#pragma once
// What a careful save asks of each system, behind FileSave: one file per
// system implements it (FileSavePosix.cpp, FileSaveWindows.cpp).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>

#include "core/platform/RegularFile.h"

namespace lumora::platform::save {

// What a replacement must keep of the file it replaces.
struct Original {
    bool replaceable = false; // not a link, and its only hard link
    std::uint64_t size = 0;
    // POSIX: owner, group and mode; Windows: the file's attributes.
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::uint32_t mode = 0;
    std::uint32_t attributes = 0;
};

// This process's number, which no other process that runs has.
unsigned long currentProcess();
// Whether a process of that number runs on this machine.
bool processRuns(unsigned long process);

void removeFile(const Folder& folder, const std::filesystem::path& name);
// Whether something is at `name`, and whether it is a link.
bool lookAt(const Folder& folder, const std::filesystem::path& name, bool& link, std::error_code& error);
bool examine(const RegularFile& file, bool link, Original& original, std::error_code& error);
// Gives the copy what `original` must keep, before anything is written to
// it; false where this user may not.
bool carryOver(RegularFile& copy, const Original& original);
// Puts the finished copy `made` in the place of `name`, both in `folder`.
// False, with `error` set, when it cannot; a refusal (the file is held or
// protected) reads as permission_denied.
bool replaceWithCopy(const Folder& folder, const std::filesystem::path& made, const std::filesystem::path& name,
                     std::error_code& error);
// Each regular file of `folder` whose name begins with `head`, with how old
// it is.
void forEachFileNamed(const Folder& folder, std::string_view head,
                      const std::function<void(std::string_view name, std::chrono::seconds age)>& visit);

} // namespace lumora::platform::save
