#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "controls/FormRuntime.h"
#include "core/SettingsRecords.h"
#include "core/Worker.h"
#include "launcher/frmMain.h"

namespace {

const char usage[] = R"(Usage: lumora [--help | --version]

Lumora is a desktop launcher for the Gravlok emulator: pick a game file, set
the emulator's options and start the emulator on the game.

Everything chosen is kept in Lumora.INI, in the directory Lumora is started
from. The emulator, gravlok.exe, is looked for in the directories of PATH.

  --help     show this text and end
  --version  show Lumora's version and end
)";

// The two questions asked of a program from a terminal, answered without a
// window; every other argument is Qt's (-platform) or nobody's.
std::optional<int> answerFromTerminal(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("lumora %s\n", LUMORA_VERSION);
            return 0;
        }
    }
    return std::nullopt;
}

// The main window has a place of its own on the screen, and a Wayland
// compositor lets no client place its windows; Qt, left to itself, takes
// Wayland whenever a compositor is named. So where the user has named no
// platform and there is an X server (on a Wayland desktop, XWayland), the
// windows go to it, and to Wayland only if it will not have us. Without an X
// server Qt's own choice stands. Returns whether the choice was made here.
bool preferX11()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    return true;
}

// The cursors Lumora shows come from the desktop's cursor theme, which may
// lie in a home folder on a network share: each is read once, before the
// window is first shown, so that showing it later reads nothing.
void loadCursors(QWidget& window)
{
    (void)window.winId(); // cursors are made for a native window
    for (const Qt::CursorShape shape : {Qt::ArrowCursor, Qt::WaitCursor})
        window.setCursor(shape);
    window.unsetCursor();
}

// The program ends at once, whatever its workers are doing: one stuck in a
// mount that never answers is never waited for. While any is still running,
// the teardown of the objects it might yet touch is left out, and the system
// takes back the rest. A thread the kernel holds in a request to a mount
// that never answers keeps the process, and with it the connection to the
// display, until the mount answers: so the windows go first.
int ending(int exitCode)
{
    if (lumora::workersRunning() > 0) {
        for (QWidget* window : QApplication::topLevelWidgets())
            window->hide();
        QGuiApplication::sync();
        std::fflush(nullptr);
        std::_Exit(exitCode);
    }
    return exitCode;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = answerFromTerminal(argc, argv))
        return *answered;
    // The menu bar belongs inside the window: the client area is placed
    // below it. A desktop's global menu would move it out (and asking the
    // session bus for one costs start-up time).
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    const bool platformChosen = preferX11();
    lumora::FormRuntime runtime(lumora::Seams::system());
    // The stored folder may hold thousands of games: its read begins now, on
    // a worker, while Qt starts and the windows are made.
    runtime.folders.prefetch(lumora::storedDirectory(lumora::settingsFileName));
    QApplication app(argc, argv);
    if (platformChosen)
        qunsetenv("QT_QPA_PLATFORM"); // read by now; the emulator makes its own choice
    QApplication::setApplicationName(lumora::programTitle());
    // The program ends through "Exit" or the main window's frame, never
    // because its last visible window went away.
    QApplication::setQuitOnLastWindowClosed(false);

    lumora::frmMain window(runtime);
    runtime.errors.guard([&] { window.Form_Load(); });
    if (runtime.errors.ended())
        return ending(runtime.errors.exitCode()); // an error at start-up: the window is never shown
    loadCursors(window);
    window.show();
    return ending(QApplication::exec());
}
