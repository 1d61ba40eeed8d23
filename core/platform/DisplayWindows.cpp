#include "core/platform/Display.h"

namespace lumora::platform {

bool preferX11() { return false; }

void forgetDisplayChoice() {}

} // namespace lumora::platform
