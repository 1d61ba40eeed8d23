// Where Lumora's start-up time goes. Each first-time cost of the main window
// is paid on its own here, in the order the window meets them; the window is
// built after that, when it only costs its own work. With a folder argument,
// each kind of directory read that the start-up makes there is timed alone,
// best of five, and then the file list control filling itself there.
//
//   startup_steps [FOLDER]
//
// Prints one line of "step_ms=..." fields, like the probes.

#include <QApplication>
#include <QFontMetrics>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <string>

#include "StartupProbe.h"
#include "controls/ComboBox.h"
#include "controls/DirectoryList.h"
#include "controls/DriveList.h"
#include "controls/FileList.h"
#include "controls/FormFont.h"
#include "controls/FormRuntime.h"
#include "controls/PictureBox.h"
#include "controls/SparkleCanvas.h"
#include "controls/StatusBar.h"
#include "core/DirectoryListing.h"
#include "launcher/frmMain.h"

namespace {

using lumora::startup::nowNs;

std::string line;

void field(const char* name, double ms)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s_ms=%.3f ", name, ms);
    line += text;
}

template <class F>
void timeOnce(const char* name, F step)
{
    const long long start = nowNs();
    step();
    field(name, double(nowNs() - start) / 1e6);
}

template <class F>
void timeBest(const char* name, F step)
{
    double best = 1e300;
    for (int i = 0; i < 5; ++i) {
        const long long start = nowNs();
        step();
        best = std::min(best, double(nowNs() - start) / 1e6);
    }
    field(name, best);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace lumora;
    QApplication* app = nullptr;
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    timeOnce("app", [&] { app = new QApplication(argc, argv); });
    FormRuntime runtime(Seams::system());

    timeOnce("fonts", [] { (void)QFontMetrics(formDefaultFont()).horizontalAdvance(QStringLiteral("Run Gravlok")); });
    timeOnce("menubar", [] {
        QMainWindow window;
        window.menuBar()->addAction(QStringLiteral("Settings"));
        (void)window.menuBar()->sizeHint();
    });
    timeOnce("controls", [&] {
        QWidget parent;
        new SparkleCanvas(&parent);
        new QPushButton(QStringLiteral("Exit"), &parent);
        new ComboBox(runtime.errors, &parent);
        new DriveList(runtime.errors, runtime.drives, runtime.startDirectory, &parent);
        new DirectoryList(runtime.errors, runtime.drives, runtime.folders, runtime.startDirectory, &parent);
        new FileList(runtime.errors, runtime.folders, runtime.startDirectory, &parent);
        new PictureBox(runtime.errors, runtime.seams.loadPicture, &parent);
        new StatusBar(runtime.seams.now, &parent);
    });
    frmMain* window = nullptr;
    timeOnce("window", [&] { window = new frmMain(runtime); });
    // Creates and loads the settings window too, and reads the folders.
    timeOnce("load", [&] { runtime.errors.guard([&] { window->Form_Load(); }); });
    timeOnce("show", [&] { window->show(); });

    if (argc > 1) {
        const std::string folder = argv[1];
        timeBest("readdir", [&] {
            DIR* dir = ::opendir(folder.c_str());
            while (dir && ::readdir(dir)) {
            }
            if (dir)
                ::closedir(dir);
        });
        timeBest("read", [&] { (void)readDirectory(folder); });
        timeBest("files_zip", [&] { (void)matchingFiles(readDirectory(folder), "*.zip"); });
        // The whole file list control: the read and its model, as a change
        // of directory fills it.
        FileList list(runtime.errors, runtime.folders, runtime.startDirectory);
        list.setPattern(QStringLiteral("*.zip"));
        const QString path = QString::fromStdString(folder);
        timeBest("filelist", [&] {
            list.setPath(path);
            // Asleep until the read's outcome is posted: a spinning wait
            // would take a core from the read.
            while (list.reading())
                QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        });
    }
    std::printf("%s\n", line.c_str());
    delete window;
    delete app;
    return 0;
}
