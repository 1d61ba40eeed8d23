#include <system_error>

#include "core/Launch.h"
#include "core/platform/ProcessStart.h"
#include "core/platform/SystemText.h"
#include "core/platform/WindowsApi.h"

namespace lumora::platform {

StartResult startDetached(const std::string& program, std::string_view path, std::string_view switches)
{
    // "program path switches", the path alone quoted, and where it must be.
    const std::string text = program + ' ' + quotedForWindows(path) + ' ' + std::string(switches);
    std::wstring line = wideFromUtf8(text).value_or(std::wstring());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // Shown at its normal size and place without taking the focus from the
    // launcher.
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNOACTIVATE;
    PROCESS_INFORMATION process{};
    // No application name: Windows takes the program from the command line
    // and looks for it where it looks for any such start, the launcher's own
    // folder first, then the current one, the system's and the PATH.
    if (line.empty() || !CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP,
                                        nullptr, nullptr, &startup, &process)) {
        const DWORD code = line.empty() ? ERROR_INVALID_PARAMETER : GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return {StartResult::NotFound, {}};
        return {StartResult::CannotRun, std::system_category().message(static_cast<int>(code))};
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {};
}

} // namespace lumora::platform
