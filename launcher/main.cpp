#include <QApplication>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "controls/FormRuntime.h"
#include "core/SettingsRecords.h"
#include "core/platform/DataFolder.h"
#include "core/platform/Display.h"
#include "core/platform/Mounts.h"
#include "launcher/ProgramStart.h"
#include "launcher/frmMain.h"

namespace {

const char usage[] = R"(Usage: lumora [--help | --version | --in-data-folder]

Lumora is a desktop launcher for the Gravlok emulator: pick a game file, set
the emulator's options and start the emulator on the game.

Everything chosen is kept in Lumora.INI, in the directory Lumora is started
from. The emulator, gravlok.exe, is looked for in the directories of PATH.

  --help            show this text and end
  --version         show Lumora's version and end
  --in-data-folder  start in ${XDG_DATA_HOME:-~/.local/share}/lumora, made
                    when missing, and keep Lumora.INI there; a first such
                    start copies ~/Lumora.INI in (the desktop menu's entry
                    starts Lumora so; not on Windows)
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

bool inDataFolder(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--in-data-folder")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = answerFromTerminal(argc, argv))
        return *answered;
    lumora::platform::noSystemBoxesForDrives();
    // Before anything reads the current directory. What stops it is told
    // once a window can say it, and Lumora.INI is then kept nowhere at all.
    const std::string refusal = inDataFolder(argc, argv) ? lumora::platform::enterDataFolder() : std::string();
    if (!refusal.empty())
        std::fprintf(stderr, "%s\n", refusal.c_str());
    // The menu bar belongs inside the window: the client area is placed
    // below it. A desktop's global menu would move it out (and asking the
    // session bus for one costs start-up time).
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    const bool platformChosen = lumora::platform::preferX11();
    lumora::FormRuntime runtime(lumora::Seams::system());
    QApplication app(argc, argv);
    if (platformChosen)
        lumora::platform::forgetDisplayChoice(); // read by now
    QApplication::setApplicationName(lumora::programTitle());
    // The program ends through "Exit" or the main window's frame, never
    // because its last visible window went away.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!refusal.empty()) {
        runtime.seams.messageBox(nullptr, QString::fromStdString(refusal), lumora::programTitle(),
                                 lumora::style::Critical);
        return 1;
    }

    lumora::frmMain window(runtime);
    runtime.errors.guard([&] { window.Form_Load(); });
    if (runtime.errors.ended())
        return lumora::ending(runtime.errors.exitCode()); // an error at start-up: the window is never shown
    window.show();
    return lumora::ending(QApplication::exec());
}
