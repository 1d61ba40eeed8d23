#include <cstdlib>

#include "core/platform/Display.h"

namespace lumora::platform {

namespace {
const char* const platformVariable = "QT_QPA_PLATFORM";

bool isEmpty(const char* name)
{
    const char* value = std::getenv(name);
    return value == nullptr || *value == '\0';
}
} // namespace

bool preferX11()
{
    if (!isEmpty(platformVariable) || isEmpty("DISPLAY"))
        return false;
    return ::setenv(platformVariable, "xcb;wayland", 1) == 0;
}

void forgetDisplayChoice() { ::unsetenv(platformVariable); }

} // namespace lumora::platform
