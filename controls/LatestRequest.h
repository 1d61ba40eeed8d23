#pragma once

#include <QPointer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "controls/Cursors.h"
#include "controls/ErrorGuard.h"
#include "controls/ResultPort.h"
#include "core/RuntimeError.h"
#include "core/Worker.h"

namespace lumora {

// The latest of a control's requests for work that may wait on the file
// system: a folder's read, a picture's load, the drives' table. Only the
// latest one's outcome is taken; what an older one brings is dropped, and one
// that had not begun never does. Each request names what it waits on (its
// key, as a folder): while an earlier request of the same key is still at
// work, stuck on a mount perhaps, the new one waits as the only one pending
// and begins once that ends, so that a stuck look-up is never multiplied; a
// request of another key begins at once and leaves the stuck one behind.
//
// A request that ends within its patience is taken before ask() returns, as
// if it had been done in place, and an error its handlers raise travels to
// the caller; otherwise the control shows that it waits (greyed, with the
// wait cursor, when it has a widget to show it on) and takes the outcome from
// the event loop, through the error guard.
template <class T>
class LatestRequest {
public:
    // Starts the work on a worker; `stop` reads true once it is superseded.
    using Begin = std::function<std::shared_ptr<Pending<T>>(const StopFlag& stop)>;
    using Done = std::function<void(const T&)>;
    // A RuntimeError of the work; without one it is an error no handler trapped.
    using Failed = std::function<void(const RuntimeError&)>;
    // How a request that takes long shows: the control greyed, or nothing.
    enum class Waiting { Shown, Quiet };

    // Outcomes come back to `receiver`'s thread while it lives; `shown`, when
    // given, is greyed while a request waits.
    LatestRequest(ErrorGuard& errors, QObject* receiver, QWidget* shown = nullptr)
        : errors_(errors), shown_(shown), port_(receiver)
    {
    }
    LatestRequest(const LatestRequest&) = delete;
    LatestRequest& operator=(const LatestRequest&) = delete;

    // An empty key waits on nothing and never waits behind another request.
    void ask(std::string key, Begin begin, Done done, Failed failed, std::chrono::milliseconds patience,
             Waiting waiting = Waiting::Shown)
    {
        supersede();
        Asked asked{generation_, std::move(key), std::move(begin), std::move(done), std::move(failed), {}, waiting};
        if (!asked.key.empty() && running_[asked.key] > 0) {
            pending_.emplace(std::move(asked));
            setBusy(waiting == Waiting::Shown ? Busy::Shown : Busy::Quiet);
            return;
        }
        launch(std::move(asked), patience);
    }
    // Drops whatever was asked and no longer waits.
    void drop()
    {
        supersede();
        setBusy(Busy::No);
    }
    // A request is on its way, or waits to begin.
    bool busy() const { return busy_ != Busy::No; }
    // One that shows it waits.
    bool waiting() const { return busy_ == Busy::Shown; }

private:
    struct Asked {
        std::uint64_t generation = 0;
        std::string key;
        Begin begin;
        Done done;
        Failed failed;
        StopFlag stop;
        Waiting waiting = Waiting::Shown;
    };
    enum class Busy { No, Quiet, Shown };

    void supersede()
    {
        ++generation_;
        current_.stop();
        current_ = StopFlag();
        pending_.reset();
    }

    void launch(Asked asked, std::chrono::milliseconds patience)
    {
        asked.stop = current_;
        const std::shared_ptr<Pending<T>> work = asked.begin(asked.stop);
        ++running_[asked.key];
        const Busy busy = asked.waiting == Waiting::Shown ? Busy::Shown : Busy::Quiet;
        whenSettled(
            errors_, port_, work, patience,
            [this, asked](const Outcome<T>& outcome) {
                if (--running_[asked.key] == 0)
                    running_.erase(asked.key);
                if (asked.generation == generation_)
                    take(asked, outcome);
                else
                    launchPending();
            },
            [this, busy] { setBusy(busy); });
    }

    void launchPending()
    {
        if (pending_ && running_.count(pending_->key) == 0) {
            Asked asked = std::move(*pending_);
            pending_.reset();
            launch(std::move(asked), std::chrono::milliseconds(0));
        }
    }

    void take(const Asked& asked, const Outcome<T>& outcome)
    {
        setBusy(Busy::No);
        if (outcome.error()) {
            try {
                outcome.get();
            } catch (const RuntimeError& error) {
                if (!asked.failed)
                    throw;
                asked.failed(error);
                return;
            }
        }
        asked.done(outcome.get());
    }

    void setBusy(Busy busy)
    {
        if (busy == busy_)
            return;
        const bool greyed = busy_ == Busy::Shown;
        busy_ = busy;
        if (!shown_ || greyed == (busy == Busy::Shown))
            return;
        // A list whose read is on its way keeps showing what it showed,
        // greyed and taking no input, so that nothing can be picked that the
        // user has not seen; the wait cursor over it says why.
        shown_->setEnabled(busy != Busy::Shown);
        if (busy == Busy::Shown)
            shown_->setCursor(waitCursor());
        else
            shown_->unsetCursor();
    }

    ErrorGuard& errors_;
    QPointer<QWidget> shown_;
    std::uint64_t generation_ = 0;
    StopFlag current_;                   // the latest request's
    std::optional<Asked> pending_;       // waits for its key's work to end
    std::map<std::string, int> running_; // work begun and not ended, by key
    Busy busy_ = Busy::No;
    ResultPort port_;
};

} // namespace lumora
