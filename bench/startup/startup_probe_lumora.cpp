// The real start-up of Lumora, step for step as launcher/main.cpp does it,
// with marks between the steps and a hook on the main window's client area
// that ends the run after the first frame.
//
//   startup_probe_lumora [--until-listed] [--hang-folder=FOLDER] [TRIAL...]
//
// The trials change how the folders are read, to show what the start-up's
// figures owe to the reads; they are not what the program does.
//
// --until-listed  goes on after the first frame until the file list holds the
//                 stored folder's files: "listed" marks when it first does,
//                 "complete" when both it and the first frame have come.
// --hang-folder   reads of FOLDER never end, as on a mount whose server has
//                 gone away; every other folder is read as the program reads.
// --niced-reads   trial: each folder read lowers its own thread's priority
//                 to the least first (and so the sort's second thread, which
//                 inherits it), to see what the window's start gains when the
//                 reads yield the cores to it.
// --one-core-reads  trial: folders are read as the program reads them, but
//                 sorted on the reading thread alone, without the second core.
// --no-prefetch   trial: the stored folder's read is not begun early; it
//                 begins when the start-up moves the lists there.
// --reads-after-frame  trial: every folder read waits for the first frame
//                 to be painted before it begins.

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

#include "BenchSupport.h"
#include "StartupProbe.h"
#include "controls/FileList.h"
#include "controls/FormRuntime.h"
#include "controls/NativeText.h"
#include "controls/SparkleCanvas.h"
#include "core/PathRules.h"
#include "core/SettingsRecords.h"
#include "core/Worker.h"
#include "core/platform/DirectoryReader.h"
#include "launcher/ProgramStart.h"
#include "launcher/frmMain.h"

namespace {

std::string normalFolder(const std::string& folder)
{
    std::string text = std::filesystem::path(folder).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

// lumora::readDirectory with each list sorted by one thread.
lumora::DirectorySnapshot readOnOneCore(const std::string& directory)
{
    lumora::DirectorySnapshot snapshot;
    lumora::platform::forEachEntry(directory, [&](const lumora::platform::DirectoryEntry& entry) {
        if (entry.hidden)
            return;
        (entry.kind == lumora::platform::EntryKind::Directory ? snapshot.subdirectories : snapshot.files)
            .emplace_back(entry.name);
    });
    const auto less = [](const std::string& a, const std::string& b) { return lumora::listOrderLess(a, b); };
    std::sort(snapshot.subdirectories.begin(), snapshot.subdirectories.end(), less);
    std::sort(snapshot.files.begin(), snapshot.files.end(), less);
    return snapshot;
}

// Closed until the first frame has been painted.
class Gate {
public:
    void open()
    {
        {
            const std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }
    void pass()
    {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

lumora::Seams seamsFor(const std::string& hung, bool niced, bool oneCore, Gate* afterFrame)
{
    lumora::Seams seams = lumora::Seams::system();
    if (hung.empty() && !niced && !oneCore && !afterFrame)
        return seams;
    seams.readFolder = [hung = hung.empty() ? hung : normalFolder(hung), niced, oneCore,
                        afterFrame](const std::string& directory) {
        if (afterFrame)
            afterFrame->pass();
        if (niced)
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
        if (!hung.empty() && normalFolder(directory) == hung)
            lumora::bench::blockForever();
        return oneCore ? readOnOneCore(directory) : lumora::readDirectory(directory);
    };
    return seams;
}

} // namespace

int main(int argc, char** argv)
{
    lumora::startup::Clock clock(argc, argv);
    const bool untilListed = !lumora::startup::takeArgument(argc, argv, "--until-listed").empty();
    const std::string hung = lumora::startup::takeArgument(argc, argv, "--hang-folder=");
    const bool niced = !lumora::startup::takeArgument(argc, argv, "--niced-reads").empty();
    const bool oneCore = !lumora::startup::takeArgument(argc, argv, "--one-core-reads").empty();
    const bool prefetch = lumora::startup::takeArgument(argc, argv, "--no-prefetch").empty();
    // Never destroyed: a read may still be waiting at it when the probe ends.
    Gate* const afterFrame =
        lumora::startup::takeArgument(argc, argv, "--reads-after-frame").empty() ? nullptr : new Gate;

    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    const bool platformChosen = lumora::preferX11();
    lumora::FormRuntime runtime(seamsFor(hung, niced, oneCore, afterFrame));
    const std::string stored = lumora::storedDirectory(lumora::settingsFileName);
    if (prefetch)
        runtime.folders.prefetch(stored);
    QApplication app(argc, argv);
    if (platformChosen)
        qunsetenv("QT_QPA_PLATFORM");
    QApplication::setApplicationName(lumora::programTitle());
    QApplication::setQuitOnLastWindowClosed(false);
    clock.mark("app");

    lumora::frmMain window(runtime);
    clock.mark("window");

    // The list counts as complete once it holds the stored folder; a reset of
    // its rows is the only way it takes a read, so that is where to look.
    bool framed = false;
    bool listed = false;
    const auto endWhenBoth = [&] {
        if (!framed || !listed)
            return;
        clock.mark("complete");
        clock.print();
        QCoreApplication::quit();
    };
    const QString storedText = QDir::cleanPath(lumora::textFromNative(stored));
    QObject::connect(window.filFiles->model(), &QAbstractItemModel::modelReset, [&] {
        if (listed || window.filFiles->reading() || QDir::cleanPath(window.filFiles->path()) != storedText)
            return;
        listed = true;
        clock.mark("listed");
        endWhenBoth();
    });
    std::function<void()> framedThen;
    if (untilListed || afterFrame)
        framedThen = [&] {
            if (afterFrame)
                afterFrame->open();
            if (!untilListed) {
                clock.print();
                QCoreApplication::quit();
                return;
            }
            framed = true;
            endWhenBoth();
        };
    lumora::startup::FirstPaint hook(clock, window.canvas, framedThen);

    runtime.errors.guard([&] { window.Form_Load(); });
    clock.mark("load");
    if (runtime.errors.ended()) {
        std::fprintf(stderr, "startup probe: Lumora ended during start-up (exit code %d)\n", runtime.errors.exitCode());
        return lumora::ending(3);
    }
    lumora::loadCursors(window);
    clock.mark("cursors");
    window.show();
    clock.mark("show");
    return lumora::ending(QApplication::exec());
}
