#include "core/platform/HiddenFile.h"

#include "core/platform/WindowsApi.h"

namespace lumora::platform {

bool isHiddenEntry(const std::filesystem::directory_entry& entry, std::string_view name)
{
#ifdef _WIN32
    // A leading dot means nothing to Windows: Explorer shows ".roms", and so
    // must the lists.
    (void)name;
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
#else
    (void)entry;
    return !name.empty() && name.front() == '.';
#endif
}

} // namespace lumora::platform
