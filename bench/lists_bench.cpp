// File and directory lists on big folders, each against a floor measured in
// the same run: a bare readdir with the same name test and the same sort, on
// one core and with the sort split over two; for 10,000 to 1,000,000 files.

#include <QDir>
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "controls/DirectoryList.h"
#include "controls/FileList.h"
#include "controls/FormRuntime.h"
#include "core/PathRules.h"
#include "launcher/frmMain.h"

namespace fs = std::filesystem;
using namespace lumora;

namespace {

constexpr int directoryCount = 5'000;
const char* const patterns[] = {"*.zip", "*.*"};

// Made on first use, and removed when the program ends.
struct Folders {
    fs::path root;
    fs::path directories;                          // 5,000 sub-directories
    fs::path empty;                                // where the lists start, so they read nothing else
    std::map<std::pair<int, int>, fs::path> files; // by count and copy

    Folders()
    {
        std::string name = (fs::temp_directory_path() / "lumora-bench-XXXXXX").string();
        if (!mkdtemp(name.data()))
            throw std::runtime_error("cannot create a temporary folder");
        root = name;
        directories = root / "dirs";
        empty = root / "empty";
        fs::create_directories(directories);
        fs::create_directories(empty);
        char buffer[32];
        for (int i = 1; i <= directoryCount; ++i) {
            std::snprintf(buffer, sizeof buffer, i % 2 ? "Dir%04d" : "dir%04d", i);
            fs::create_directory(directories / buffer);
        }
        QDir::setCurrent(QString::fromStdString(empty.string()));
    }
    ~Folders()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    // `count` empty files, half of them "*.zip", letter case mixed; `copy`
    // tells apart folders of the same size.
    const fs::path& filesOf(int count, int copy = 0)
    {
        fs::path& folder = files[{count, copy}];
        if (!folder.empty())
            return folder;
        std::string name = "files" + std::to_string(count);
        if (copy != 0)
            name += '-' + std::to_string(copy);
        folder = root / name;
        fs::create_directories(folder);
        static const char* const shapes[] = {"GAME%07d.ZIP", "readme%07d.txt", "game%07d.zip", "Notes%07d.TXT"};
        char buffer[32];
        for (int i = 1; i <= count; ++i) {
            std::snprintf(buffer, sizeof buffer, shapes[i % 4], i);
            const int fd = ::open((folder / buffer).c_str(), O_CREAT | O_WRONLY, 0644);
            if (fd < 0)
                throw std::runtime_error("cannot create the benchmark files");
            ::close(fd);
        }
        return folder;
    }
};

Folders& folders()
{
    static Folders instance;
    return instance;
}

// As the program's runtime after its start-up: a list waits a moment for a
// read before it greys.
FormRuntime& runtime()
{
    static FormRuntime& instance = []() -> FormRuntime& {
        static FormRuntime made(bench::quietSeams());
        made.folders.startUpOver();
        return made;
    }();
    return instance;
}

bool isDirectory(const fs::path& dir, const dirent& e)
{
    if (e.d_type != DT_UNKNOWN && e.d_type != DT_LNK)
        return e.d_type == DT_DIR;
    struct stat st {};
    return ::stat((dir / e.d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

auto less = [](const std::string& a, const std::string& b) { return listOrderLess(a, b); };

// The least any list can do: read the names, test them, sort them.
template <class Keep>
std::vector<std::string> readNames(const fs::path& dir, Keep keep)
{
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name(e->d_name);
        if (name.front() != '.' && keep(*e, name))
            names.emplace_back(name);
    }
    ::closedir(d);
    return names;
}

template <class Keep>
std::vector<std::string> floorListing(const fs::path& dir, Keep keep)
{
    std::vector<std::string> names = readNames(dir, keep);
    std::sort(names.begin(), names.end(), less);
    return names;
}

// The same work with the sort split over two cores: two halves at once, then
// one merge. The directory read itself is one stream and stays on one.
template <class Keep>
std::vector<std::string> floorListingTwoCores(const fs::path& dir, Keep keep)
{
    std::vector<std::string> names = readNames(dir, keep);
    const auto middle = names.begin() + std::ptrdiff_t(names.size() / 2);
    std::thread first([&] { std::sort(names.begin(), middle, less); });
    std::sort(middle, names.end(), less);
    first.join();
    std::inplace_merge(names.begin(), middle, names.end(), less);
    return names;
}

template <class Listing>
void filesFloor(benchmark::State& state, Listing listing)
{
    const fs::path& dir = folders().filesOf(int(state.range(1)));
    const std::string_view pattern = patterns[state.range(0)];
    state.SetLabel(std::string(pattern));
    std::size_t count = 0;
    for (auto _ : state) {
        count = listing(dir, [&](const dirent& e, std::string_view name) {
                    return wildcardMatch(pattern, name) && !isDirectory(dir, e);
                }).size();
    }
    state.counters["entries"] = double(count);
}
void BM_FilesFloor(benchmark::State& state)
{
    filesFloor(state, [](const fs::path& dir, auto keep) { return floorListing(dir, keep); });
}
void BM_FilesFloorTwoCores(benchmark::State& state)
{
    filesFloor(state, [](const fs::path& dir, auto keep) { return floorListingTwoCores(dir, keep); });
}

// One refresh of the file list: setPath and setPattern each read the folder
// once. `shown` adds the view's layout and paint that follow in the program.
void fileList(benchmark::State& state, bool shown)
{
    const fs::path& folder = folders().filesOf(int(state.range(1)));
    const QString dir = QString::fromStdString(folder.string());
    const QString pattern = QString::fromLatin1(patterns[state.range(0)]);
    state.SetLabel(pattern.toStdString());
    FileList list(runtime().errors, runtime().folders, QString());
    list.resize(209, 123);
    if (shown) {
        list.show();
        bench::settle();
    }
    list.setPattern(pattern);
    for (auto _ : state) {
        list.setPath(dir);
        bench::settleList(list);
        if (shown)
            bench::settle();
        benchmark::DoNotOptimize(list.model()->rowCount());
    }
    state.counters["entries"] = list.model()->rowCount();
}
void BM_FileList(benchmark::State& state) { fileList(state, false); }

// A change of file type: the list filters what it holds instead of reading
// the folder again.
void BM_FileTypeChange(benchmark::State& state)
{
    const fs::path& folder = folders().filesOf(100'000);
    FileList list(runtime().errors, runtime().folders, QString());
    list.setPath(QString::fromStdString(folder.string()));
    bench::settleList(list);
    bool zip = false;
    for (auto _ : state) {
        zip = !zip;
        list.setPattern(zip ? QStringLiteral("*.zip") : QStringLiteral("*.*"));
        bench::settleList(list); // a change of file type reads the folder again
        benchmark::DoNotOptimize(list.model()->rowCount());
    }
}
void BM_FileListShown(benchmark::State& state) { fileList(state, true); }

void BM_DirectoriesFloor(benchmark::State& state)
{
    const fs::path& dir = folders().directories;
    std::size_t count = 0;
    for (auto _ : state)
        count = floorListing(dir, [&](const dirent& e, std::string_view) { return isDirectory(dir, e); }).size();
    state.counters["entries"] = double(count);
}

void directoryList(benchmark::State& state, bool shown)
{
    const QString dir = QString::fromStdString(folders().directories.string());
    DirectoryList list(runtime().errors, runtime().drives, runtime().folders, QString());
    list.resize(209, 126);
    if (shown) {
        list.show();
        bench::settle();
    }
    for (auto _ : state) {
        list.setPath(dir);
        bench::settleList(list);
        if (shown)
            bench::settle();
        benchmark::DoNotOptimize(list.model()->rowCount());
    }
    state.counters["entries"] = list.model()->rowCount();
}
void BM_DirectoryList(benchmark::State& state) { directoryList(state, false); }
void BM_DirectoryListShown(benchmark::State& state) { directoryList(state, true); }

// Where the main window's drive list finds the drives: the root, and a
// second mount whose server has gone away when `hung`. Otherwise that mount
// answers at once, so that the two runs differ in the hang alone.
Seams seamsWithMount(bool hung)
{
    Seams seams = bench::quietSeams();
    const QString mount = QStringLiteral("/mnt/lumora-bench-share");
    seams.drives = [mount] {
        return QList<Drive>{{QStringLiteral("/ [ext4]"), QStringLiteral("/")},
                            {mount + QStringLiteral(" [nfs]"), mount}};
    };
    seams.askDrive = [hung, mount](const QString& root) {
        if (hung && root == mount)
            bench::blockForever();
        return DriveAnswer{};
    };
    return seams;
}

// A change of folder in the main window, as a click in its directory list
// makes one: the directory list moves and the file list, moved along by its
// change event, holds the new folder's files, and the window has painted
// them. The changes go back and forth between two local folders of `count`
// files. With `hung`, a mount of the drive list never answered its question;
// the drive list has since been refreshed (as when it is opened) and lists
// that mount as not responding.
void BM_FolderChange(benchmark::State& state)
{
    const bool hung = state.range(0) != 0;
    const int count = int(state.range(1));
    const QString pair[] = {QString::fromStdString(folders().filesOf(count, 1).string()),
                            QString::fromStdString(folders().filesOf(count, 2).string())};
    state.SetLabel(hung ? "one mount hung" : "all mounts answer");
    // Made anew for each run: a stuck question stays with its own table.
    // The thread stuck in it holds nothing of this runtime, so the runtime
    // may go when the run ends.
    FormRuntime own(seamsWithMount(hung));
    frmMain window(own);
    own.folders.startUpOver(); // as at the end of Form_Load
    window.show();
    // Past the time within which a drive must answer, then a refresh.
    bench::runEventsFor(int(DriveTable::answerWithin.count()) + 200);
    own.drives.refresh();
    bench::runEventsFor(200);
    if (own.drives.drives().size() != 2 ||
        own.drives.drives()[1].text.contains(QStringLiteral("not responding")) != hung) {
        state.SkipWithError("the drive table is not as this run needs it");
        return;
    }
    int next = 0;
    for (auto _ : state) {
        const QString& target = pair[next];
        next = 1 - next;
        window.dirDirectory->setPath(target);
        bench::settleList(*window.dirDirectory);
        bench::settleList(*window.filFiles);
        bench::settle();
        if (window.filFiles->path() != target) {
            state.SkipWithError("the file list did not follow the change");
            break;
        }
        benchmark::DoNotOptimize(window.filFiles->model()->rowCount());
    }
    state.counters["entries"] = window.filFiles->model()->rowCount();
}

} // namespace

// Pattern ("*.zip", "*.*") and the number of files in the folder.
#define LUMORA_SIZES ArgsProduct({{0, 1}, {10'000, 100'000, 1'000'000}})->Unit(benchmark::kMillisecond)
BENCHMARK(BM_FilesFloor)->LUMORA_SIZES;
BENCHMARK(BM_FilesFloorTwoCores)->LUMORA_SIZES;
BENCHMARK(BM_FileList)->LUMORA_SIZES;
BENCHMARK(BM_FileListShown)->LUMORA_SIZES;
BENCHMARK(BM_FileTypeChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectoriesFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectoryList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectoryListShown)->Unit(benchmark::kMillisecond);
// Whether a mount hangs, and the number of files in each of the two folders.
BENCHMARK(BM_FolderChange)->ArgsProduct({{0, 1}, {1'000, 10'000}})->Unit(benchmark::kMillisecond);
