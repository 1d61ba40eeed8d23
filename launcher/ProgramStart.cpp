#include "launcher/ProgramStart.h"

#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "core/Worker.h"

namespace lumora {

bool preferX11()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    return true;
}

void loadCursors(QWidget& window)
{
    (void)window.winId(); // cursors are made for a native window
    for (const Qt::CursorShape shape : {Qt::ArrowCursor, Qt::WaitCursor})
        window.setCursor(shape);
    window.unsetCursor();
}

int ending(int exitCode)
{
    if (workersRunning() > 0) {
        for (QWidget* window : QApplication::topLevelWidgets())
            window->hide();
        QGuiApplication::sync();
        std::fflush(nullptr);
        std::_Exit(exitCode);
    }
    return exitCode;
}

} // namespace lumora
