#include "core/platform/DataFolder.h"

namespace lumora::platform {

// The Start menu and Explorer start Lumora in its own folder, which keeps
// its settings; a folder elsewhere would part them from the program that
// its uninstaller removes them with.
std::string enterDataFolder()
{
    return "Lumora keeps its settings in the folder it is started in on Windows: --in-data-folder is for Linux "
           "desktops.";
}

} // namespace lumora::platform
