#pragma once
// The steps of the program's start and end around the main window, shared by
// main() and the start-up probe that times them.

class QWidget;

namespace lumora {

// The main window has a place of its own on the screen, and a Wayland
// compositor lets no client place its windows; Qt, left to itself, takes
// Wayland whenever a compositor is named. So where the user has named no
// platform and there is an X server (on a Wayland desktop, XWayland), the
// windows go to it, and to Wayland only if it will not have us. Without an X
// server Qt's own choice stands. Returns whether the choice was made here.
bool preferX11();

// The cursors Lumora shows come from the desktop's cursor theme, which may
// lie in a home folder on a network share: each is read once, before the
// window is first shown, so that showing it later reads nothing.
void loadCursors(QWidget& window);

// The program ends at once, whatever its workers are doing: one stuck in a
// mount that never answers is never waited for. While any is still running,
// the teardown of the objects it might yet touch is left out, and the system
// takes back the rest. A thread the kernel holds in a request to a mount
// that never answers keeps the process, and with it the connection to the
// display, until the mount answers: so the windows go first. Returns
// `exitCode` when nothing is left running.
int ending(int exitCode);

} // namespace lumora
