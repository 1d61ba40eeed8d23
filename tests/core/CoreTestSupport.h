#pragma once
// A private temporary folder per test, so that no test touches the machine's
// own files, files' bytes, and a way to run a check as an ordinary user.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/DirectoryListing.h"
#include "support/ErrorNumber.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lumora::test {

class TempDir {
public:
    TempDir()
    {
        static std::atomic<unsigned> counter{0};
        std::random_device device;
        do {
            path_ = std::filesystem::temp_directory_path() /
                    ("lumora-core-" + std::to_string(device()) + "-" + std::to_string(counter++));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string text() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

#ifdef _WIN32
// std::filesystem cannot set a folder's time on Windows (it opens no handle
// to a directory); WindowsTestSupport.cpp goes through the system instead.
void setLastWriteTime(const std::filesystem::path& path, std::filesystem::file_time_type time);
// Windows hides an entry by this attribute alone.
void setHiddenAttribute(const std::filesystem::path& path);
#else
inline void setLastWriteTime(const std::filesystem::path& path, std::filesystem::file_time_type time)
{
    std::filesystem::last_write_time(path, time);
}
#endif

using Bytes = std::vector<unsigned char>;

inline Bytes fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::ptrdiff_t entriesIn(const std::filesystem::path& directory)
{
    return std::distance(std::filesystem::directory_iterator(directory), std::filesystem::directory_iterator());
}

// A folder's sub-directories, and its files whose names match `pattern`, as
// the lists show them.
inline std::vector<std::string> listSubdirectories(const std::string& directory)
{
    return readDirectory(directory).subdirectories;
}
inline std::vector<std::string> listFiles(const std::string& directory, std::string_view pattern)
{
    const DirectorySnapshot snapshot = readDirectory(directory);
    std::vector<std::string> names;
    for (const std::uint32_t row : matchingFiles(snapshot, pattern))
        names.push_back(snapshot.files[row]);
    return names;
}

// Runs `check` with the rights of an ordinary user, so that permissions bind:
// when the suite runs as root, in a child process that has become "nobody"
// first. Gives back what `check` gives: empty when all went well, otherwise
// what went wrong.
inline std::string asOrdinaryUser(const std::function<std::string()>& check)
{
#ifndef _WIN32
    if (::geteuid() == 0) {
        int report[2];
        if (::pipe(report) != 0)
            return "no pipe";
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(report[0]);
            std::string outcome;
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
                outcome = "cannot become nobody";
            } else {
                try {
                    outcome = check();
                } catch (const std::exception& e) {
                    outcome = e.what();
                }
            }
            (void)!::write(report[1], outcome.data(), outcome.size());
            ::_exit(0);
        }
        ::close(report[1]);
        std::string outcome;
        char buffer[512];
        for (ssize_t got; (got = ::read(report[0], buffer, sizeof buffer)) > 0;)
            outcome.append(buffer, std::size_t(got));
        ::close(report[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        return child < 0 ? "no child" : outcome;
    }
#endif
    return check();
}

} // namespace lumora::test
