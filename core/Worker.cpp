#include "core/Worker.h"

#include <atomic>
#include <system_error>
#include <thread>

#include "core/RuntimeError.h"

namespace lumora {

namespace {
std::atomic<int> running{0};
} // namespace

void startWorker(std::function<void()> work)
{
    running.fetch_add(1);
    try {
        std::thread([work = std::move(work)] {
            try {
                work();
            } catch (...) {
                // A worker's outcome travels in what it hands back; nothing
                // may escape the thread itself, which would end the program.
            }
            running.fetch_sub(1);
        }).detach();
    } catch (const std::system_error& e) {
        running.fetch_sub(1);
        throw RuntimeError(err::OutOfMemory, e.what());
    }
}

int workersRunning() { return running.load(); }

} // namespace lumora
