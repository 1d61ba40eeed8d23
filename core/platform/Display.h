#pragma once
// Which display server the windows go to, chosen before Qt starts.

namespace lumora::platform {

// The main window has a place of its own on the screen, and a Wayland
// compositor lets no client place its windows; Qt, left to itself, takes
// Wayland whenever a compositor is named. So where the user has named no Qt
// platform and there is an X server (on a Wayland desktop, XWayland), the
// windows go to it, and to Wayland only if it will not have us; without an
// X server Qt's own choice stands. Windows has one display, and Wine passes
// DISPLAY on to its programs: nothing is chosen there. Returns whether the
// choice was made here.
bool preferX11();
// Once Qt has read the choice: the emulator makes its own.
void forgetDisplayChoice();

} // namespace lumora::platform
