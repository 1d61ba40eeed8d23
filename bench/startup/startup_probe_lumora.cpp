// The real start-up of Lumora, step for step as launcher/main.cpp does it,
// with marks between the steps and a hook on the main window's client area
// that ends the run after the first frame.

#include <QApplication>
#include <cstdio>

#include "StartupProbe.h"
#include "controls/FormRuntime.h"
#include "controls/SparkleCanvas.h"
#include "core/SettingsRecords.h"
#include "launcher/frmMain.h"

int main(int argc, char** argv)
{
    lumora::startup::Clock clock(argc, argv);

    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    lumora::FormRuntime runtime(lumora::Seams::system());
    runtime.folders.prefetch(lumora::storedDirectory(lumora::settingsFileName));
    QApplication app(argc, argv);
    QApplication::setApplicationName(lumora::programTitle());
    QApplication::setQuitOnLastWindowClosed(false);
    clock.mark("app");

    lumora::frmMain window(runtime);
    clock.mark("window");
    lumora::startup::FirstPaint hook(clock, window.canvas);

    runtime.errors.guard([&] { window.Form_Load(); });
    clock.mark("load");
    if (runtime.errors.ended()) {
        std::fprintf(stderr, "startup probe: Lumora ended during start-up (exit code %d)\n", runtime.errors.exitCode());
        return 3;
    }
    window.show();
    clock.mark("show");
    return QApplication::exec();
}
