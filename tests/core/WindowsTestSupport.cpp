// What the tests need from Windows that std::filesystem does not offer there.
#ifdef _WIN32

#include <chrono>
#include <system_error>

#include "CoreTestSupport.h"
#include "core/platform/WindowsApi.h"

namespace lumora::test {

void setLastWriteTime(const std::filesystem::path& path, std::filesystem::file_time_type time)
{
    // FILETIME counts 100-nanosecond steps from 1601; the Unix epoch lies
    // 11644473600 seconds later.
    using Ticks = std::chrono::duration<long long, std::ratio<1, 10000000>>;
    const auto sinceUnix = std::chrono::file_clock::to_sys(time).time_since_epoch();
    const long long ticks = std::chrono::duration_cast<Ticks>(sinceUnix).count() + 11644473600LL * 10000000LL;
    FILETIME written{};
    written.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
    written.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    // Backup semantics: the one way to open a handle to a folder.
    const HANDLE handle =
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "open " + path.string());
    const BOOL set = SetFileTime(handle, nullptr, nullptr, &written);
    const DWORD error = GetLastError();
    CloseHandle(handle);
    if (!set)
        throw std::system_error(static_cast<int>(error), std::system_category(), "set time of " + path.string());
}

void setHiddenAttribute(const std::filesystem::path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN))
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "hide " + path.string());
}

} // namespace lumora::test

#endif // _WIN32
