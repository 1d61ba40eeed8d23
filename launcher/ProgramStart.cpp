#include "launcher/ProgramStart.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "core/Worker.h"
#include "core/platform/ProcessStart.h"

namespace lumora {

namespace {

class FirstFrame : public QObject {
public:
    FirstFrame(QWidget& painted, std::function<void()> then) : QObject(&painted), then_(std::move(then))
    {
        painted.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // After the paint: its frame is on its way to the screen by then.
            QTimer::singleShot(0, this, [this] {
                then_();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> then_;
};

} // namespace

void afterFirstFrame(QWidget& painted, std::function<void()> then) { new FirstFrame(painted, std::move(then)); }

int ending(int exitCode)
{
    if (workersRunning() > 0) {
        for (QWidget* window : QApplication::topLevelWidgets())
            window->hide();
        QGuiApplication::sync();
        std::fflush(nullptr);
        platform::endThisProcess(exitCode);
    }
    return exitCode;
}

} // namespace lumora
