// Runs the fuzz target over saved inputs without libFuzzer, so that any
// compiler can check the corpus (and every crash once found) on each build.
// Arguments are files or directories; a directory's files run in name order.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool runFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", path.string().c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // An empty vector's data() may be null; the target gets a valid pointer.
    static const std::uint8_t none = 0;
    const auto* data = bytes.empty() ? &none : reinterpret_cast<const std::uint8_t*>(bytes.data());
    LLVMFuzzerTestOneInput(data, bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR_OR_FILE...\n", argv[0]);
        return 2;
    }
    std::size_t count = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(arg, error)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(arg, error)) {
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            }
            if (error) {
                std::fprintf(stderr, "replay: cannot list %s: %s\n", argv[i], error.message().c_str());
                ok = false;
                continue;
            }
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                if (runFile(file))
                    ++count;
                else
                    ok = false;
            }
        } else if (runFile(arg)) {
            ++count;
        } else {
            ok = false;
        }
    }
    std::printf("replay: %zu input(s) ran\n", count);
    // A corpus that has gone missing must not pass as an empty success.
    return ok && count > 0 ? 0 : 1;
}
