#pragma once
// The steps of the program's start and end around the main window, shared by
// main() and the start-up probe that times them.

#include <functional>

class QWidget;

namespace lumora {

// Runs `then` once `painted` has painted its first frame, from the event loop.
void afterFirstFrame(QWidget& painted, std::function<void()> then);

// The program ends at once, whatever its workers are doing: one stuck in a
// mount that never answers is never waited for. While any is still running,
// the teardown of the objects it might yet touch is left out, and the system
// takes back the rest. A thread the kernel holds in a request to a mount
// that never answers keeps the process, and with it the connection to the
// display, until the mount answers: so the windows go first. Returns
// `exitCode` when nothing is left running.
int ending(int exitCode);

} // namespace lumora
