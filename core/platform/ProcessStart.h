#pragma once
// Starting a program by name, detached: the launcher neither waits for it nor
// keeps anything of it. Names and arguments are the system's own bytes (UTF-8
// on Windows), so that a file name that is not valid text reaches the
// program exactly as it stands on the disk.

#include <string>
#include <vector>

namespace lumora::platform {

struct StartResult {
    enum Outcome { Started, NotFound, CannotRun };
    Outcome outcome = Started;
    std::string reason; // the system's reason, for CannotRun
};

// Looks `program` up on the PATH as a shell does and starts it with
// `arguments`, in the current directory, with no input. A program found but not
// runnable (not executable, not a program the system can load) is told apart
// from one that is not there at all. Waits until the program has started or
// failed to: on a PATH that names a folder on a mount that does not answer,
// as long as that mount likes.
StartResult startDetached(const std::string& program, const std::vector<std::string>& arguments);

} // namespace lumora::platform
