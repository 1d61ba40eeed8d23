#pragma once
// Starting a program by name, detached: the launcher neither waits for it nor
// keeps anything of it. Names and arguments are the system's own bytes (UTF-8
// on Windows), so that a file name that is not valid text reaches the
// program exactly as it stands on the disk.

#include <string>
#include <string_view>

namespace lumora::platform {

struct StartResult {
    enum Outcome { Started, NotFound, CannotRun };
    Outcome outcome = Started;
    std::string reason;   // the system's reason, for CannotRun
    std::string searched; // where the system looked for the program, as "on the PATH"
};

// Starts `program` on the game at `path` with the switch string `switches`,
// in the current directory, with no input: on POSIX systems looked up on the
// PATH as a shell does, with the path as one argument and each switch as
// one; on Windows with the command line "program path switches", the path
// quoted where it must be (and by its short name where the ANSI code page
// cannot hold it), where Windows looks for a program. A program found
// but not runnable (not executable, not a program the system can load) is
// told apart from one that is not there at all. Waits until the program has
// started or failed to: on a PATH that names a folder on a mount that does
// not answer, as long as that mount likes.
StartResult startDetached(const std::string& program, std::string_view path, std::string_view switches);

// Ends this process at once with `exitCode`, whatever its other threads are
// doing: nothing of the program or its libraries runs on the way out, so a
// thread stuck in a call to a mount that never answers, holding whatever it
// holds, cannot keep the process from ending.
[[noreturn]] void endThisProcess(int exitCode);

} // namespace lumora::platform
