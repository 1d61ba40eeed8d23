#include "core/PathRules.h"
#include "core/platform/ShortPath.h"
#include "core/platform/SystemText.h"
#include "core/platform/WindowsApi.h"

namespace lumora::platform {

namespace {

// Which volume and file `path` names, links followed; none when it cannot
// be asked.
std::optional<std::pair<DWORD, ULONGLONG>> identity(const std::wstring& path)
{
    const HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known)
        return std::nullopt;
    return std::make_pair(info.dwVolumeSerialNumber, (ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow);
}

} // namespace

std::optional<std::string> shortPathName(const std::string& path)
{
    const std::optional<std::wstring> wide = wideFromUtf8(path);
    if (!wide || wide->empty())
        return std::nullopt;
    const std::wstring full = systemPath(*wide);
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetShortPathNameW(full.c_str(), buffer.data(), DWORD(buffer.size()));
    if (length == 0 || length >= buffer.size())
        return std::nullopt;
    buffer.resize(length);
    // A volume without short names may give the long name back, or a name
    // of something else after a rename meanwhile.
    const auto named = identity(full);
    if (!named || named != identity(systemPath(buffer)))
        return std::nullopt;
    return utf8FromWide(ordinaryForm(buffer));
}

} // namespace lumora::platform
