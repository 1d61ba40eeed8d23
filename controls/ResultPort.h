#pragma once
// Where workers hand their results back to an object of the GUI thread.

#include <QMetaObject>
#include <QObject>
#include <chrono>
#include <memory>
#include <mutex>
#include <utility>

#include "controls/ErrorGuard.h"
#include "core/Worker.h"

namespace lumora {

// Open while its receiver lives. A worker may finish after the control that
// asked for its work has gone: a call it posts then goes nowhere, and one
// posted earlier is dropped with the receiver's other events.
class ResultPort {
    struct State {
        std::mutex mutex;
        QObject* receiver = nullptr;
    };

public:
    explicit ResultPort(QObject* receiver) : state_(std::make_shared<State>()) { state_->receiver = receiver; }
    ~ResultPort() { close(); }
    ResultPort(const ResultPort&) = delete;
    ResultPort& operator=(const ResultPort&) = delete;

    void close()
    {
        const std::lock_guard lock(state_->mutex);
        state_->receiver = nullptr;
    }

    // What a worker keeps: cheap to copy, safe to use from any thread.
    class Handle {
    public:
        // Runs `call` on the receiver's thread, unless the port has closed.
        template <class Call>
        void post(Call&& call) const
        {
            const std::lock_guard lock(state_->mutex);
            if (state_->receiver != nullptr)
                QMetaObject::invokeMethod(state_->receiver, std::forward<Call>(call), Qt::QueuedConnection);
        }

    private:
        friend class ResultPort;
        explicit Handle(std::shared_ptr<State> state) : state_(std::move(state)) {}
        std::shared_ptr<State> state_;
    };
    Handle handle() const { return Handle(state_); }

private:
    std::shared_ptr<State> state_;
};

// Hands the outcome of `pending` to `done` on the port's thread: before this
// returns when it comes within `patience`, so that quick work behaves as if
// it had been done in place, and an error `done` raises travels to the
// caller; otherwise `waiting` runs now, and `done` once the outcome comes,
// from the event loop, through `errors`. Whoever may start newer work tells
// in `done` whether this outcome is still wanted.
template <class T, class Done, class Waiting>
void whenSettled(ErrorGuard& errors, const ResultPort& port, const std::shared_ptr<Pending<T>>& pending,
                 std::chrono::milliseconds patience, Done done, Waiting waiting)
{
    if (pending->wait(patience)) {
        done(pending->outcome());
        return;
    }
    waiting();
    pending->then([&errors, handle = port.handle(), done](const Outcome<T>& outcome) {
        handle.post([&errors, done, outcome] { errors.guard([&] { done(outcome); }); });
    });
}

} // namespace lumora
