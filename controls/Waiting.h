#pragma once

#include <QWidget>

namespace lumora {

// A list whose read is on its way keeps showing what it showed, greyed and
// taking no input, so that nothing can be picked that the user has not seen;
// the wait cursor over it says why.
inline void showWaiting(QWidget& list, bool waiting)
{
    list.setEnabled(!waiting);
    if (waiting)
        list.setCursor(Qt::WaitCursor);
    else
        list.unsetCursor();
}

} // namespace lumora
