#include <QApplication>

#include "controls/FormRuntime.h"
#include "core/SettingsRecords.h"
#include "launcher/frmMain.h"

int main(int argc, char** argv)
{
    // The menu bar belongs inside the window: the client area is placed
    // below it. A desktop's global menu would move it out (and asking the
    // session bus for one costs start-up time).
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    lumora::FormRuntime runtime(lumora::Seams::system());
    // The stored folder may hold thousands of games: its read begins now, on
    // a worker, while Qt starts and the windows are made.
    runtime.directories.prefetch(lumora::storedDirectory(lumora::settingsFileName));
    QApplication app(argc, argv);
    QApplication::setApplicationName(lumora::programTitle());
    // The program ends through "Exit" or the main window's frame, never
    // because its last visible window went away.
    QApplication::setQuitOnLastWindowClosed(false);

    lumora::frmMain window(runtime);
    runtime.errors.guard([&] { window.Form_Load(); });
    if (runtime.errors.ended())
        return runtime.errors.exitCode(); // an error at start-up: the window is never shown
    window.show();
    return QApplication::exec();
}
