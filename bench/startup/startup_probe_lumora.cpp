// The real start-up of Lumora, step for step as launcher/main.cpp does it,
// with marks between the steps and a hook on the main window's client area
// that ends the run after the first frame.
//
//   startup_probe_lumora [--until-listed] [--hang-folder=FOLDER]
//
// --until-listed  goes on after the first frame until the file list holds the
//                 stored folder's files: "listed" marks when it first does,
//                 "complete" when both it and the first frame have come.
// --hang-folder   reads of FOLDER never end, as on a mount whose server has
//                 gone away; every other folder is read as the program reads.

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "BenchSupport.h"
#include "StartupProbe.h"
#include "controls/FileList.h"
#include "controls/FormRuntime.h"
#include "controls/NativeText.h"
#include "controls/SparkleCanvas.h"
#include "core/PathRules.h"
#include "core/RecordFile.h"
#include "core/SettingsRecords.h"
#include "core/Worker.h"
#include "core/platform/Display.h"
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

lumora::Seams seamsFor(const std::string& hung)
{
    lumora::Seams seams = lumora::Seams::system();
    if (hung.empty())
        return seams;
    seams.readFolder = [hung = normalFolder(hung)](const std::string& directory) {
        if (normalFolder(directory) == hung)
            lumora::bench::blockForever();
        return lumora::readDirectory(directory);
    };
    return seams;
}

} // namespace

int main(int argc, char** argv)
{
    lumora::startup::Clock clock(argc, argv);
    const bool untilListed = !lumora::startup::takeArgument(argc, argv, "--until-listed").empty();
    const std::string hung = lumora::startup::takeArgument(argc, argv, "--hang-folder=");

    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    const bool platformChosen = lumora::platform::preferX11();
    lumora::FormRuntime runtime(seamsFor(hung));
    QApplication app(argc, argv);
    if (platformChosen)
        lumora::platform::forgetDisplayChoice();
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
    const QString storedText = QDir::cleanPath(lumora::textFromNative(
        lumora::readSettings(lumora::RecordFile(lumora::settingsFileName).read(lumora::settingsRecordCount))
            .directory));
    QObject::connect(window.filFiles->model(), &QAbstractItemModel::modelReset, [&] {
        if (listed || window.filFiles->reading() || QDir::cleanPath(window.filFiles->path()) != storedText)
            return;
        listed = true;
        clock.mark("listed");
        endWhenBoth();
    });
    std::function<void()> framedThen;
    if (untilListed)
        framedThen = [&] {
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
    window.show();
    clock.mark("show");
    return lumora::ending(QApplication::exec());
}
