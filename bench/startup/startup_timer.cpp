// Starts one program and times it from the outside: reads the monotonic
// clock, forks, and hands the reading to the child as "--t0=NANOSECONDS" so
// that the child can time its own steps from the moment it was started,
// loading and linking included. When the child has ended, prints its exit
// status, its lifetime and its peak resident memory as the kernel kept it.
//
//   startup_timer PROGRAM [ARGUMENTS...]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

long long nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 64;
    }
    std::fflush(stdout);

    const long long start = nowNs();
    const std::string stamp = "--t0=" + std::to_string(start);
    std::vector<char*> childArgs;
    childArgs.push_back(argv[1]);
    childArgs.push_back(const_cast<char*>(stamp.c_str()));
    for (int i = 2; i < argc; ++i)
        childArgs.push_back(argv[i]);
    childArgs.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("startup_timer: fork");
        return 70;
    }
    if (child == 0) {
        ::execv(argv[1], childArgs.data());
        std::fprintf(stderr, "startup_timer: cannot run %s: %s\n", argv[1], std::strerror(errno));
        ::_exit(127);
    }

    int status = 0;
    rusage usage{};
    pid_t waited;
    do
        waited = ::wait4(child, &status, 0, &usage);
    while (waited < 0 && errno == EINTR);
    const long long end = nowNs();
    if (waited < 0) {
        std::perror("startup_timer: wait4");
        return 70;
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    // ru_maxrss is in kilobytes on Linux.
    std::printf("exit=%d lifetime_ms=%.3f maxrss_kb=%ld\n", code, double(end - start) / 1e6, usage.ru_maxrss);
    return code;
}
