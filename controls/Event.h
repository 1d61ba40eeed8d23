#pragma once
// A control's event, raised synchronously: a handler runs to its end inside
// the set that raised it, and an error it does not trap travels up to the code
// that made the set, as it would in the form runtime. Qt signals would need
// the error to cross Qt's own frames, which is not allowed.

#include <functional>
#include <utility>

namespace lumora {

class Event {
public:
    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }
    void raise() const
    {
        if (handler_)
            handler_();
    }

private:
    std::function<void()> handler_;
};

} // namespace lumora
