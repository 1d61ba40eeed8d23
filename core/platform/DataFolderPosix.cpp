#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/SettingsRecords.h"
#include "core/platform/DataFolder.h"
#include "core/platform/ErrorCode.h"
#include "core/platform/RegularFile.h"
#include "core/platform/SystemText.h"

namespace lumora::platform {

namespace {

bool isAbsolute(const char* value) { return value != nullptr && value[0] == '/'; }

} // namespace

std::filesystem::path dataFolderFor(const char* xdgDataHome, const char* home)
{
    if (isAbsolute(xdgDataHome))
        return std::filesystem::path(xdgDataHome) / "lumora";
    if (isAbsolute(home))
        return std::filesystem::path(home) / ".local/share/lumora";
    return {};
}

void makeDataFolder(const std::filesystem::path& folder, std::error_code& error)
{
    error.clear();
    std::filesystem::path made;
    for (const std::filesystem::path& part : folder) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) == 0)
            continue;
        // A folder that is there already may still refuse a new one with
        // another reason first (a read-only file system).
        const int reason = errno;
        struct stat status {};
        if (::stat(made.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
            error = std::error_code(reason == EEXIST ? ENOTDIR : reason, std::generic_category());
            return;
        }
    }
}

void copyOldSettings(const std::filesystem::path& folder, const std::filesystem::path& oldSettings,
                     std::error_code& error)
{
    error.clear();
    // Once the folder has its own file, the old one is not even read: it
    // may be unreadable by now without holding up a start.
    const std::filesystem::path kept = folder / settingsFileName;
    struct stat status {};
    if (::lstat(kept.c_str(), &status) == 0)
        return;
    if (errno != ENOENT) {
        error = lastSystemError();
        return;
    }
    RegularFile old = RegularFile::open(oldSettings, RegularFile::Access::Read, RegularFile::Create::No, error);
    if (!old.isOpen()) {
        if (error == std::errc::no_such_file_or_directory || error == FileError::NotRegular)
            error.clear();
        return;
    }
    std::vector<unsigned char> bytes(old.size(error));
    if (!error)
        bytes.resize(old.readAt(0, bytes.data(), bytes.size(), error));
    if (error)
        return;
    RegularFile copy = RegularFile::open(kept, RegularFile::Access::Write, RegularFile::Create::New, error);
    if (!copy.isOpen()) {
        if (error == std::errc::file_exists) // another start copied it meanwhile
            error.clear();
        return;
    }
    if (!copy.writeAt(0, bytes.data(), bytes.size(), error) || !copy.sync(error)) {
        // Half a copy would pass for the settings: the next start tries again.
        copy.close();
        ::unlink(kept.c_str());
    }
}

std::string enterDataFolder()
{
    const char* home = std::getenv("HOME");
    const std::filesystem::path folder = dataFolderFor(std::getenv("XDG_DATA_HOME"), home);
    if (folder.empty())
        return "Lumora finds no folder for its settings: neither XDG_DATA_HOME nor HOME is an absolute path.";
    const std::string shown = utf8FromPath(folder);
    std::error_code error;
    makeDataFolder(folder, error);
    if (error)
        return "Lumora cannot make the folder " + shown + " for its settings: " + error.message() + ".";
    if (isAbsolute(home)) {
        const std::filesystem::path old = std::filesystem::path(home) / settingsFileName;
        copyOldSettings(folder, old, error);
        if (error)
            return "Lumora cannot copy " + utf8FromPath(old) + " into " + shown + ": " + error.message() + ".";
    }
    if (::chdir(folder.c_str()) != 0)
        return "Lumora cannot start in " + shown + ": " + lastSystemError().message() + ".";
    return {};
}

} // namespace lumora::platform
