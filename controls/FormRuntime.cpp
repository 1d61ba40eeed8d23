#include "controls/FormRuntime.h"

#include <stdexcept>

#include "controls/NativeText.h"

namespace lumora {

namespace {

Seams checked(Seams seams)
{
    if (!seams.messageBox || !seams.startProcess || !seams.drives || !seams.askDrive || !seams.readFolder ||
        !seams.loadPicture || !seams.now || !seams.endProgram)
        throw std::invalid_argument("every seam of the runtime must be given");
    return seams;
}

} // namespace

FormRuntime::FormRuntime(Seams given) : seams(checked(std::move(given))), startDirectory(currentDirectoryText()) {}

} // namespace lumora
