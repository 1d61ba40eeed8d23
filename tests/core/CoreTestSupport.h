#pragma once
// A private temporary folder per test, so that no test touches the machine's
// own files, and the number a RuntimeError carries.

#include <atomic>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "core/RuntimeError.h"

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

// 0 when `action` raises nothing.
inline int errorNumberOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace lumora::test
