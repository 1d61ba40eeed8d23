#include <QApplication>

#include "controls/FormRuntime.h"
#include "launcher/frmMain.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumora"));
    // The program ends through "Exit" or the main window's frame, never
    // because its last visible window went away.
    QApplication::setQuitOnLastWindowClosed(false);

    lumora::FormRuntime runtime(lumora::Seams::system());
    lumora::frmMain window(runtime);
    runtime.guard([&] { window.Form_Load(); });
    if (runtime.ended())
        return runtime.exitCode(); // an error at start-up: the window is never shown
    window.show();
    return QApplication::exec();
}
