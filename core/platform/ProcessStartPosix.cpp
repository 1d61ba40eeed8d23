#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

#include "core/Launch.h"
#include "core/platform/ProcessStart.h"

namespace lumora::platform {

namespace {

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

StartResult startDetached(const std::string& program, std::string_view path, std::string_view switches)
{
    std::string name = program;
    std::vector<std::string> words = launchArguments(path, switches);
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
        return {StartResult::NotFound, {}, "on the PATH"};
    return {StartResult::CannotRun, std::generic_category().message(failure), "on the PATH"};
}

void endThisProcess(int exitCode) { ::_exit(exitCode); }

} // namespace lumora::platform
