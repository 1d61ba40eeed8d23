#pragma once
// What the windows share of the runtime they run on: the seams, the table of
// open files, the one random generator, and the trap for errors that no
// handler catches.

#include <QString>
#include <functional>

#include "controls/Seams.h"
#include "core/DirectoryListing.h"
#include "core/RandomSource.h"
#include "core/RecordFile.h"
#include "core/RuntimeError.h"

class QWidget;

namespace lumora {

class FormRuntime {
public:
    explicit FormRuntime(Seams seams);

    const Seams& seams() const { return seams_; }
    FileTable& files() { return files_; }
    RandomSource& random() { return random_; }
    // The last folder read, shared by the directory and file lists.
    DirectoryCache& directories() { return directories_; }

    int messageBox(QWidget* parent, const QString& prompt, const QString& title, int style) const;

    // The standard report of a runtime error: "Run-time error 'N':" and the
    // description, in a modal box. The program goes on.
    void reportError(const RuntimeError& error, QWidget* parent = nullptr) const;

    // Ends the program with `exitCode`. Afterwards no guarded entry point
    // runs again, so no handler or timer tick follows an end.
    void end(int exitCode);
    bool ended() const { return ending_; }
    int exitCode() const { return exitCode_; }

    // Every place where Qt calls into the program runs through here: an error
    // that no handler trapped is reported and ends the program, and nothing
    // propagates into Qt's event loop.
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
            fail(RuntimeError(7));
        } catch (const std::exception& e) {
            fail(RuntimeError(51, e.what()));
        } catch (...) {
            fail(RuntimeError(51));
        }
    }

    static QString reportText(const RuntimeError& error);

private:
    void fail(const RuntimeError& error) noexcept;

    Seams seams_;
    FileTable files_;
    RandomSource random_;
    DirectoryCache directories_;
    bool ending_ = false;
    int exitCode_ = 0;
};

} // namespace lumora
