// The yardstick for Lumora's start-up: the least a Qt Widgets program does to
// show a window like Lumora's main window: one empty client area of the same
// size at the same place on the screen, below a menu bar with one item,
// timed the same way.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>

#include "StartupProbe.h"

int main(int argc, char** argv)
{
    lumora::startup::Clock clock(argc, argv);

    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication app(argc, argv);
    clock.mark("app");

    // Lumora's client area: 9945 x 6195 twips at (930, 1290), 15 twips a
    // pixel, with the menu bar above it.
    QMainWindow window;
    auto* client = new QWidget(&window);
    window.setCentralWidget(client);
    window.menuBar()->addAction(QStringLiteral("Settings"));
    const int menuHeight = window.menuBar()->sizeHint().height();
    window.setGeometry(62, 86 - menuHeight, 663, 413 + menuHeight);
    clock.mark("window");
    lumora::startup::FirstPaint hook(clock, client);

    window.show();
    clock.mark("show");
    return QApplication::exec();
}
