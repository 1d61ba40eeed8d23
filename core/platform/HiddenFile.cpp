#include "core/platform/HiddenFile.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace lumora::platform {

bool isHiddenEntry(const std::filesystem::directory_entry& entry, std::string_view name)
{
    if (!name.empty() && name.front() == '.')
        return true;
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
#else
    (void)entry;
    return false;
#endif
}

} // namespace lumora::platform
