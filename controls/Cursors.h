#pragma once

#include <QCursor>

namespace lumora {

// The cursors Lumora shows besides the arrow, drawn here. The desktop's own
// come from its cursor theme, whose files are read the first time each is
// shown: on the GUI thread, from a home folder that may lie on a share that
// does not answer. Reading them before the window shows instead cost a
// tenth of the time to its first frame.
QCursor waitCursor(); // an hourglass, while a list or a save is on its way
QCursor textCursor(); // an I-beam, over the text fields

} // namespace lumora
