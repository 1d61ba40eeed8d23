#include "controls/FormRuntime.h"

#include <QCursor>
#include <QGuiApplication>
#include <stdexcept>

namespace lumora {

namespace {

Seams checked(Seams seams)
{
    if (!seams.messageBox || !seams.startProcess || !seams.drives || !seams.now || !seams.endProgram)
        throw std::invalid_argument("every seam of the runtime must be given");
    return seams;
}

} // namespace

FormRuntime::FormRuntime(Seams given) : seams(checked(std::move(given)))
{
    // A folder read on a slow network drive, or of a million files, holds the
    // windows up: the cursor says so meanwhile.
    directories.setSlowReadNotice([](bool busy) {
        if (busy) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            QGuiApplication::sync(); // shown now, not after the read
        } else {
            QGuiApplication::restoreOverrideCursor();
        }
    });
}

} // namespace lumora
