#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "core/Worker.h"

namespace lumora {
namespace {

// Operations on one file never overlap and keep their order, whatever each
// takes and even when one fails; and nobody waits for the worker.
TEST(SerialWorker, RunsItsWorkInOrderOneAtATime)
{
    SerialWorker worker;
    std::mutex mutex;
    std::string done;
    std::atomic<int> inside{0}, most{0};
    const auto job = [&](char name, int ms) {
        return [&, name, ms] {
            most = std::max(most.load(), ++inside);
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            {
                const std::lock_guard lock(mutex);
                done += name;
            }
            --inside;
        };
    };
    worker.post(job('s', 30)); // a save that takes its time
    worker.post([] { throw std::runtime_error("a failing one"); });
    worker.post(job('c', 0)); // the close after it
    const auto last = worker.run<int>([] { return 3; });
    ASSERT_TRUE(last->wait(std::chrono::seconds(10)));
    EXPECT_EQ(last->outcome().get(), 3);
    EXPECT_EQ(done, "sc");
    EXPECT_EQ(most, 1);
}

} // namespace
} // namespace lumora
