#pragma once
// Work that may wait on the file system runs on a thread of its own, which
// nobody joins or waits for to end: a read stuck in a mount that never
// answers holds up nothing else, and the program may end while it is stuck.
// A thread a request is cheap at the rate people click; a small fixed pool is
// not, as a few stuck requests would fill it.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace lumora {

// Starts `work` on a detached thread. Raises RuntimeError 7 when the system
// can make no more threads.
void startWorker(std::function<void()> work);

// Workers started and not yet finished: the program's end need not wait for
// them, but it must not tear down what they may still touch.
int workersRunning();

// What a piece of work came to: its value, or the exception it raised.
template <class T>
class Outcome {
public:
    template <class Work>
    static Outcome of(Work& work) noexcept
    {
        Outcome outcome;
        try {
            outcome.value_.emplace(work());
        } catch (...) {
            outcome.error_ = std::current_exception();
        }
        return outcome;
    }
    static Outcome ready(T value)
    {
        Outcome outcome;
        outcome.value_.emplace(std::move(value));
        return outcome;
    }

    // Raises what the work raised.
    const T& get() const
    {
        if (error_)
            std::rethrow_exception(error_);
        return *value_;
    }
    const std::exception_ptr& error() const { return error_; }

private:
    std::optional<T> value_;
    std::exception_ptr error_;
};

// Set once the outcome of some work is no longer wanted, so that the work can
// let go early; copies share one flag.
class StopFlag {
public:
    bool stopped() const { return flag_->load(std::memory_order_relaxed); }
    void stop() const { flag_->store(true, std::memory_order_relaxed); }

private:
    std::shared_ptr<std::atomic<bool>> flag_ = std::make_shared<std::atomic<bool>>(false);
};

// The outcome of work on a worker: waited for a moment at most, and otherwise
// handed on when it comes.
template <class T>
class Pending {
public:
    // Runs `work` on a worker of its own.
    template <class Work>
    static std::shared_ptr<Pending> start(Work work)
    {
        auto pending = std::make_shared<Pending>();
        startWorker([pending, work = std::move(work)]() mutable { pending->settle(Outcome<T>::of(work)); });
        return pending;
    }
    static std::shared_ptr<Pending> ready(T value)
    {
        auto pending = std::make_shared<Pending>();
        pending->settle(Outcome<T>::ready(std::move(value)));
        return pending;
    }

    // True once the outcome is there, after waiting at most `patience`.
    bool wait(std::chrono::milliseconds patience)
    {
        std::unique_lock lock(mutex_);
        return settled_.wait_for(lock, patience, [this] { return outcome_.has_value(); });
    }
    // Only once wait() has said it is there.
    const Outcome<T>& outcome() const
    {
        const std::lock_guard lock(mutex_);
        return *outcome_;
    }
    // `then` gets the outcome once: at once, here, when it is there already,
    // and otherwise on the worker when it comes. Each of several gets it.
    void then(std::function<void(const Outcome<T>&)> then)
    {
        std::unique_lock lock(mutex_);
        if (!outcome_) {
            then_.push_back(std::move(then));
            return;
        }
        lock.unlock();
        then(*outcome_);
    }

    void settle(Outcome<T> outcome)
    {
        std::vector<std::function<void(const Outcome<T>&)>> then;
        {
            const std::lock_guard lock(mutex_);
            outcome_.emplace(std::move(outcome));
            then.swap(then_);
        }
        settled_.notify_all();
        for (const auto& each : then)
            each(*outcome_);
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable settled_;
    std::optional<Outcome<T>> outcome_;
    std::vector<std::function<void(const Outcome<T>&)>> then_;
};

// Work that must never overlap, such as every operation on one file: run one
// piece after another in the order given, on a worker of its own that nobody
// waits for. The worker ends when it runs out of work, and the next piece
// starts another. Copies share one queue.
class SerialWorker {
public:
    // Raises RuntimeError 7, and queues nothing, when no worker can be made.
    void post(std::function<void()> job);

    template <class T, class Work>
    std::shared_ptr<Pending<T>> run(Work work)
    {
        auto pending = std::make_shared<Pending<T>>();
        post([pending, work = std::move(work)]() mutable { pending->settle(Outcome<T>::of(work)); });
        return pending;
    }

private:
    struct Queue {
        std::mutex mutex;
        std::deque<std::function<void()>> jobs;
        bool running = false;
    };
    std::shared_ptr<Queue> queue_ = std::make_shared<Queue>();
};

} // namespace lumora
