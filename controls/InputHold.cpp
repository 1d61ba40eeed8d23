#include "controls/InputHold.h"

#include "controls/Cursors.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>

namespace lumora {

InputHold::InputHold(QObject* keepClosable) : keepClosable_(keepClosable)
{
    QGuiApplication::setOverrideCursor(waitCursor());
    QCoreApplication::instance()->installEventFilter(this);
}

InputHold::~InputHold()
{
    QCoreApplication::instance()->removeEventFilter(this);
    QGuiApplication::restoreOverrideCursor();
}

bool InputHold::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: return true;
    case QEvent::Close:
        // The widgets' own close events: their native windows pass theirs on.
        if (watched->isWidgetType() && watched != keepClosable_) {
            event->ignore();
            return true;
        }
        return false;
    default: return false;
    }
}

} // namespace lumora
