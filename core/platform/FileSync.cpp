#include "core/platform/FileSync.h"

#include <cerrno>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace lumora::platform {

std::FILE* openFile(const std::filesystem::path& path, const char* mode)
{
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool syncFile(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

void syncDirectory(const std::filesystem::path& directory)
{
#ifdef _WIN32
    // NTFS journals the rename itself; there is no directory handle to flush.
    (void)directory;
#else
    const std::string name = directory.empty() ? std::string(".") : directory.string();
    const int saved = errno;
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
    errno = saved;
#endif
}

} // namespace lumora::platform
