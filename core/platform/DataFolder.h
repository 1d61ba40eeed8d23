#pragma once
// A start from a Linux desktop's menu: the menu starts programs in the home
// folder, where Lumora.INI would lie loose among the player's own files.
// Started with --in-data-folder, Lumora works in a folder of its own where
// the desktop keeps such files instead. Windows' Start menu starts Lumora in
// its own folder already.

#include <filesystem>
#include <string>
#include <system_error>

namespace lumora::platform {

#ifndef _WIN32
// $XDG_DATA_HOME/lumora, or $HOME/.local/share/lumora where XDG_DATA_HOME is
// unset, empty or relative, which the XDG rules say to ignore. Empty when
// HOME names no absolute folder either.
std::filesystem::path dataFolderFor(const char* xdgDataHome, const char* home);

// Makes `folder` and the missing folders above it, each new one for the user
// alone; folders that are there keep their modes.
void makeDataFolder(const std::filesystem::path& folder, std::error_code& error);

// When `folder` holds no Lumora.INI yet and `oldSettings` is a regular file,
// copies that in: the file the old menu entry kept in the home folder, which
// stays where it is. A missing old file, or one that is no regular file, is
// nothing to copy.
void copyOldSettings(const std::filesystem::path& folder, const std::filesystem::path& oldSettings,
                     std::error_code& error);
#endif

// Makes the data folder the current directory: chosen from the environment,
// made, and given ~/Lumora.INI as above. Empty when done; otherwise what
// stopped it, for the player to read. Windows has no such folder for Lumora:
// there it refuses.
std::string enterDataFolder();

} // namespace lumora::platform
