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
    const DWORD attributes = GetFileAttributesW(pathFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace lumora::platform
