#include <cstdlib>

#include "core/CodePage.h"
#include "core/Launch.h"
#include "core/platform/ProcessStart.h"
#include "core/platform/ShortPath.h"
#include "core/platform/SystemText.h"
#include "core/platform/WindowsApi.h"

namespace lumora::platform {

namespace {

// Windows' own text for `code`, as one line without its closing full stop.
std::string reasonFor(DWORD code, const std::string& program)
{
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length > 0 ? utf8FromWide(std::wstring_view(text, length)) : std::string();
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    if (const std::size_t insert = reason.find("%1"); insert != std::string::npos)
        reason.replace(insert, 2, program);
    return reason.empty() ? "error " + std::to_string(code) : reason;
}

// Where Windows looks for a program started by name alone.
std::string searchedPlaces()
{
    wchar_t self[32768] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, DWORD(std::size(self)));
    std::wstring own(self, length < std::size(self) ? length : 0);
    own = own.substr(0, own.find_last_of(L'\\'));
    wchar_t current[32768] = {};
    const DWORD currentLength = GetCurrentDirectoryW(DWORD(std::size(current)), current);
    return "in Lumora's folder (" + utf8FromWide(ordinaryForm(own)) + "), the current folder (" +
           utf8FromWide(
               ordinaryForm(std::wstring_view(current, currentLength < std::size(current) ? currentLength : 0))) +
           "), the system folders or on the PATH";
}

} // namespace

StartResult startDetached(const std::string& program, std::string_view path, std::string_view switches)
{
    // An emulator that reads its command line in the ANSI code page would
    // get "?" for what the page lacks: such a game goes by its short name
    // where its volume keeps one.
    std::string game(path);
    if (!game.empty() && !toCodePage(game)) {
        if (const std::optional<std::string> shortName = shortPathName(game); shortName && toCodePage(*shortName))
            game = *shortName;
    }
    // "program path switches", the path alone quoted, and where it must be.
    const std::string text = program + ' ' + quotedForWindows(game) + ' ' + std::string(switches);
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
            return {StartResult::NotFound, {}, searchedPlaces()};
        return {StartResult::CannotRun, reasonFor(code, program), searchedPlaces()};
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {};
}

// ExitProcess would first tell every library that the process detaches,
// under the loader's lock, and one whose handler waits for a lock that a
// stuck thread holds never returns: TerminateProcess tells nobody.
void endThisProcess(int exitCode)
{
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    std::abort(); // never reached
}

} // namespace lumora::platform
