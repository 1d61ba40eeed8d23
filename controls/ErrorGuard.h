#pragma once
// The trap for errors that no handler catches, and the program's end.

#include <QString>
#include <exception>
#include <functional>
#include <new>

#include "controls/Seams.h"
#include "core/RuntimeError.h"

class QWidget;

namespace lumora {

class ErrorGuard {
public:
    explicit ErrorGuard(const Seams& seams);

    // Every place where Qt calls into the program runs through here: an error
    // that no handler trapped is reported and ends the program, and nothing
    // propagates into Qt's event loop. Once the program ends, no entry runs.
    template <class F>
    void guard(F&& entry) noexcept
    {
        if (ending_)
            return;
        try {
            entry();
        } catch (const RuntimeError& e) {
            fail(e);
        } catch (const std::bad_alloc&) {
            fail(RuntimeError(err::OutOfMemory));
        } catch (const std::exception& e) {
            fail(RuntimeError(err::InternalError, e.what()));
        } catch (...) {
            fail(RuntimeError(err::InternalError));
        }
    }

    // The standard report of a runtime error: "Run-time error 'N':" and the
    // description, in a modal box, then `advice` when there is some: what
    // the user can do about it. The program goes on.
    void report(const RuntimeError& error, QWidget* parent = nullptr, const QString& advice = {}) const;
    static QString reportText(const RuntimeError& error);

    // Ends the program with `exitCode`; no guarded entry runs afterwards, so
    // no handler or timer tick follows an end.
    void end(int exitCode);
    bool ended() const { return ending_; }
    int exitCode() const { return exitCode_; }

private:
    void fail(const RuntimeError& error) noexcept;

    std::function<int(QWidget*, const QString&, const QString&, int)> messageBox_;
    std::function<void(int)> endProgram_;
    bool ending_ = false;
    int exitCode_ = 0;
};

} // namespace lumora
