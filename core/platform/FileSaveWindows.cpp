#include "core/platform/ErrorCode.h"
#include "core/platform/FileSaveSystem.h"
#include "core/platform/SystemText.h"
#include "core/platform/WindowsApi.h"

namespace lumora::platform::save {

namespace fs = std::filesystem;

unsigned long currentProcess() { return GetCurrentProcessId(); }

bool processRuns(unsigned long process)
{
    const HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process));
    if (handle == nullptr)
        return GetLastError() == ERROR_ACCESS_DENIED; // another user's: it runs all the same
    DWORD code = 0;
    const bool running = GetExitCodeProcess(handle, &code) && code == STILL_ACTIVE;
    CloseHandle(handle);
    return running;
}

void removeFile(const Folder& folder, const fs::path& name) { DeleteFileW((folder / name).c_str()); }

// A link is a reparse point.
bool lookAt(const Folder& folder, const fs::path& name, bool& link, std::error_code& error)
{
    const DWORD attributes = GetFileAttributesW((folder / name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = lastSystemError();
        return false;
    }
    link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return true;
}

bool examine(const RegularFile& file, bool link, Original& original, std::error_code& error)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.native(), &info)) {
        error = lastSystemError();
        return false;
    }
    original.replaceable = !link && info.nNumberOfLinks == 1;
    original.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    original.attributes = info.dwFileAttributes;
    return true;
}

// The file's attributes (hidden, system, archive). ReplaceFileW carries them
// over too, with the security, but not every implementation of it does.
bool carryOver(RegularFile& copy, const Original& original)
{
    constexpr DWORD kept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO info{}; // times left at zero stay as they are
    info.FileAttributes = (original.attributes & kept) != 0 ? original.attributes & kept : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(copy.native(), FileBasicInfo, &info, sizeof info) != 0;
}

// ReplaceFileW, which carries the file's attributes and security over to
// the copy, or a plain move where there is no file yet.
bool replaceWithCopy(const Folder& folder, const fs::path& made, const fs::path& name, std::error_code& error)
{
    error.clear();
    const fs::path copy = folder / made;
    const fs::path file = folder / name;
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (!MoveFileExW(copy.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = lastSystemError();
        return !error;
    }
    // Another program holding the file without letting it be deleted makes
    // any replacement fail; asked first, so that nothing is left half done.
    const HANDLE probe = CreateFileW(file.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        error = lastSystemError();
        return false;
    }
    CloseHandle(probe);
    // Its outcomes as Windows documents them: 1175 leaves both files as
    // they were, a refusal; 1176 and 1177 leave the file's name empty, the
    // copy whole under its own, which the caller then moves into place.
    if (!ReplaceFileW(file.c_str(), copy.c_str(), nullptr,
                      REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr))
        error = GetLastError() == ERROR_UNABLE_TO_REMOVE_REPLACED ? std::make_error_code(std::errc::permission_denied)
                                                                  : lastSystemError();
    return !error;
}

void forEachFileNamed(const Folder& folder, std::string_view head,
                      const std::function<void(std::string_view name, std::chrono::seconds age)>& visit)
{
    const std::optional<std::wstring> wideHead = wideFromUtf8(head);
    if (!wideHead)
        return;
    const std::wstring pattern = (folder / (*wideHead + L"*")).native();
    WIN32_FIND_DATAW found{};
    const HANDLE handle = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& time) {
        return static_cast<long long>((ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime);
    };
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
            continue;
        const std::string name = utf8FromWide(found.cFileName);
        // The pattern's match is the system's, letter case ignored.
        if (std::string_view(name).substr(0, head.size()) == head)
            visit(name, std::chrono::seconds((ticks(now) - ticks(found.ftLastWriteTime)) / 10000000));
    } while (FindNextFileW(handle, &found));
    FindClose(handle);
}

} // namespace lumora::platform::save
