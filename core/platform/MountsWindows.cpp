#include <iterator>

#include "core/PathRules.h"
#include "core/platform/Mounts.h"
#include "core/platform/SystemText.h"
#include "core/platform/WindowsApi.h"

namespace lumora::platform {

std::vector<Mount> mountTable()
{
    std::vector<Mount> mounts;
    const DWORD letters = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if ((letters & (DWORD{1} << i)) != 0)
            mounts.push_back({std::string(1, static_cast<char>('A' + i)) + ":\\", "disk", {}, {}});
    return mounts;
}

bool isFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(systemPath(pathFromUtf8(path)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<DriveEntry> driveTable()
{
    // The letters alone, which ask nothing of the drives: a floppy, an empty
    // card reader or a lost network drive is listed by its letter at once.
    std::vector<DriveEntry> drives;
    for (const Mount& mount : mountTable()) {
        const std::string letter = driveText(mount.root, {});
        drives.push_back({mount.root, letter, letter});
    }
    return drives;
}

DriveReply askDrive(const std::string& root)
{
    const std::wstring wideRoot = wideFromUtf8(root).value_or(std::wstring());
    std::string label;
    if (GetDriveTypeW(wideRoot.c_str()) == DRIVE_REMOTE) {
        // A network drive shows its share, as "\\\\server\\games".
        wchar_t share[MAX_PATH * 2] = {};
        DWORD size = DWORD(std::size(share));
        const std::wstring device = wideRoot.substr(0, 2);
        if (WNetGetConnectionW(device.c_str(), share, &size) == NO_ERROR)
            label = utf8FromWide(share);
    } else {
        wchar_t name[MAX_PATH + 1] = {};
        if (GetVolumeInformationW(wideRoot.c_str(), name, DWORD(std::size(name)), nullptr, nullptr, nullptr, nullptr,
                                  0))
            label = utf8FromWide(name);
    }
    // Every letter is a place to go; one without a medium says so when it is
    // chosen.
    return {true, driveText(root, label)};
}

void noSystemBoxesForDrives()
{
    // A floppy, an empty card reader or a CD drive without a disc asked by
    // the program itself: the call fails, and Lumora says "Drive Error!".
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS);
}

std::string driveCurrentDirectory(const std::string& root)
{
    // "D:" alone names the drive's current directory, which the process
    // keeps for each drive; GetFullPathNameW reads it without the drive.
    const bool letter = root.size() == 3 && root[1] == ':' && (root[2] == '\\' || root[2] == '/');
    const std::wstring drive = letter ? wideFromUtf8(root.substr(0, 2)).value_or(std::wstring()) : std::wstring();
    wchar_t full[MAX_PATH * 4] = {};
    const DWORD length = drive.size() == 2 ? GetFullPathNameW(drive.c_str(), DWORD(std::size(full)), full, nullptr) : 0;
    return length == 0 || length >= std::size(full) ? root : utf8FromWide(std::wstring_view(full, length));
}

} // namespace lumora::platform
