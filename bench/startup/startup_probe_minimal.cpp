// The yardstick for Lumora's start-up: the least a Qt Widgets program does to
// show a window, one empty widget with the main window's client size at the
// same place on the screen, timed the same way.

#include <QApplication>
#include <QWidget>

#include "StartupProbe.h"

int main(int argc, char** argv)
{
    lumora::startup::Clock clock(argc, argv);

    QApplication app(argc, argv);
    clock.mark("app");

    // Lumora's client area: 9945 x 6195 twips at (930, 1290), 15 twips a pixel.
    QWidget window;
    window.setGeometry(62, 86, 663, 413);
    clock.mark("window");
    lumora::startup::FirstPaint hook(clock, &window);

    window.show();
    clock.mark("show");
    return QApplication::exec();
}
