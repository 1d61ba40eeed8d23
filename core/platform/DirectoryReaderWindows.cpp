#include "core/RuntimeError.h"
#include "core/platform/DirectoryReader.h"
#include "core/platform/ErrorCode.h"
#include "core/platform/SystemText.h"
#include "core/platform/WindowsApi.h"

namespace lumora::platform {

namespace {

[[noreturn]] void raiseListingError(const std::string& directory)
{
    throw RuntimeError(errorNumber(lastSystemError(), Doing::Listing), directory);
}

struct FindCloser {
    HANDLE handle;
    ~FindCloser() { FindClose(handle); }
};

} // namespace

// FindFirstFileExW: names as UTF-16, and each entry's attributes with it, so
// that no entry costs a call of its own.
void forEachEntry(const std::string& directory, const std::function<void(const DirectoryEntry&)>& visit)
{
    const std::optional<std::wstring> wide = wideFromUtf8(directory);
    if (directory.empty() || !wide)
        throw RuntimeError(err::PathNotFound, directory);
    std::wstring pattern = systemPath(*wide);
    if (pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE handle = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
    if (handle == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return; // a drive's root that holds nothing
        raiseListingError(directory);
    }
    const FindCloser closer{handle};
    std::string name;
    do {
        const std::wstring_view wideName(found.cFileName);
        if (wideName == L"." || wideName == L"..")
            continue;
        name = utf8FromWide(wideName);
        const DWORD attributes = found.dwFileAttributes;
        // A symbolic link or a junction may lead to a share that never answers.
        const bool link =
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
            (found.dwReserved0 == IO_REPARSE_TAG_SYMLINK || found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
        const EntryKind kind = link                                           ? EntryKind::Link
                               : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Directory
                                                                              : EntryKind::File;
        visit({name, kind, (attributes & FILE_ATTRIBUTE_HIDDEN) != 0});
    } while (FindNextFileW(handle, &found));
    if (GetLastError() != ERROR_NO_MORE_FILES)
        raiseListingError(directory);
}

} // namespace lumora::platform
