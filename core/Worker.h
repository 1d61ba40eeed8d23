#pragma once
// Work that may wait on the file system runs on a thread of its own, which
// nobody joins or waits for to end: a read stuck in a mount that never
// answers holds up nothing else, and the program may end while it is stuck.
// A thread a request is cheap at the rate people click; a small fixed pool is
// not, as a few stuck requests would fill it.

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

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
    // Waits as long as it takes: for a worker that needs another's outcome,
    // never for the GUI thread.
    const Outcome<T>& await()
    {
        std::unique_lock lock(mutex_);
        settled_.wait(lock, [this] { return outcome_.has_value(); });
        return *outcome_;
    }
    // Only once wait() has said it is there.
    const Outcome<T>& outcome() const
    {
        const std::lock_guard lock(mutex_);
        return *outcome_;
    }
    // `then` gets the outcome once: at once, here, when it is there already,
    // and otherwise on the worker when it comes.
    void then(std::function<void(const Outcome<T>&)> then)
    {
        std::unique_lock lock(mutex_);
        if (!outcome_) {
            then_ = std::move(then);
            return;
        }
        lock.unlock();
        then(*outcome_);
    }

    void settle(Outcome<T> outcome)
    {
        std::function<void(const Outcome<T>&)> then;
        {
            const std::lock_guard lock(mutex_);
            outcome_.emplace(std::move(outcome));
            then = std::move(then_);
        }
        settled_.notify_all();
        if (then)
            then(*outcome_);
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable settled_;
    std::optional<Outcome<T>> outcome_;
    std::function<void(const Outcome<T>&)> then_;
};

} // namespace lumora
