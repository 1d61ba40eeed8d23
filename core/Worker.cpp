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

void SerialWorker::post(std::function<void()> job)
{
    const std::shared_ptr<Queue> queue = queue_;
    std::unique_lock lock(queue->mutex);
    queue->jobs.push_back(std::move(job));
    if (queue->running)
        return; // the worker on it takes this one in its turn
    queue->running = true;
    lock.unlock();
    try {
        startWorker([queue] {
            for (;;) {
                std::unique_lock next(queue->mutex);
                if (queue->jobs.empty()) {
                    queue->running = false;
                    return;
                }
                std::function<void()> job = std::move(queue->jobs.front());
                queue->jobs.pop_front();
                next.unlock();
                try {
                    job();
                } catch (...) {
                    // A job's outcome travels in what it hands back; the
                    // ones after it still run.
                }
            }
        });
    } catch (...) {
        lock.lock();
        queue->jobs.pop_back();
        queue->running = false;
        throw;
    }
}

} // namespace lumora
