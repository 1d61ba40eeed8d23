#include "core/platform/ProcessStart.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <system_error>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "core/platform/ErrorCode.h"
#include "core/platform/SystemText.h"
#include "core/platform/WindowsApi.h"

namespace lumora::platform {

namespace {

#ifdef _WIN32

// Names and arguments are UTF-8 here; Windows takes them as UTF-16.
std::wstring wide(const std::string& text) { return wideFromUtf8(text).value_or(std::wstring()); }

// One argument as the C runtime's parser reads it back: in quotes, with the
// backslashes before a quote doubled and the quote escaped.
void appendQuoted(std::wstring& line, const std::wstring& argument)
{
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

} // namespace

StartResult startDetached(const std::string& program, const std::vector<std::string>& arguments)
{
    StartResult result;
    const std::wstring name = wide(program);
    wchar_t found[MAX_PATH * 4];
    const DWORD length = SearchPathW(nullptr, name.c_str(), nullptr, DWORD(std::size(found)), found, nullptr);
    if (length == 0 || length >= std::size(found)) {
        result.outcome = StartResult::NotFound;
        return result;
    }

    std::wstring line;
    appendQuoted(line, name);
    for (const std::string& argument : arguments) {
        line += L' ';
        appendQuoted(line, wide(argument));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // Shown at its normal size and place without taking the focus from the
    // launcher.
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNOACTIVATE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(found, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP, nullptr, nullptr,
                        &startup, &process)) {
        result.outcome = StartResult::CannotRun;
        result.reason = std::system_category().message(static_cast<int>(GetLastError()));
        return result;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

#else

// In the program's own process: no input, no blocked signals, then the
// program itself, looked up on the PATH; what failed goes to `report`.
[[noreturn]] void execute(const char* program, char* const* argv, int report)
{
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (nothing > 0) {
        ::dup2(nothing, 0);
        ::close(nothing);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execvp(program, argv);
    const int failure = errno;
    (void)!::write(report, &failure, sizeof failure);
    ::_exit(127);
}

// Runs `program` twice forked, so that the program belongs to no one here and
// leaves no zombie behind. `argv` is made before the fork:
// between fork and exec only calls that are safe in a copy of a threaded
// process may run. Gives the errno of what failed, 0 when the exec happened;
// a close-on-exec pipe carries the reason, and closes unread on success.
int spawnDetached(const char* program, char* const* argv)
{
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return errno;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0)
            execute(program, argv, report[1]);
        const int failure = grandchild < 0 ? errno : 0;
        if (failure != 0)
            (void)!::write(report[1], &failure, sizeof failure);
        ::_exit(0);
    }
    int failure = child < 0 ? errno : 0;
    ::close(report[1]);
    if (child > 0) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        ssize_t got = 0;
        do {
            got = ::read(report[0], &failure, sizeof failure);
        } while (got < 0 && errno == EINTR);
        if (got != static_cast<ssize_t>(sizeof failure))
            failure = 0;
    }
    ::close(report[0]);
    return failure;
}

} // namespace

StartResult startDetached(const std::string& program, const std::vector<std::string>& arguments)
{
    std::string name = program;
    std::vector<std::string> words = arguments;
    std::vector<char*> argv{name.data()};
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const int failure = spawnDetached(program.c_str(), argv.data());
    if (failure == 0)
        return {};
    // The search tells a file that is there but may not be run (EACCES, even
    // when it goes on to find nothing) from none at all.
    if (failure == ENOENT || failure == ENOTDIR)
        return {StartResult::NotFound, {}};
    return {StartResult::CannotRun, std::generic_category().message(failure)};
}

#endif

} // namespace lumora::platform
