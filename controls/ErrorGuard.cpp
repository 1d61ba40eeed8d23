#include "controls/ErrorGuard.h"

#include <QCoreApplication>

#include "controls/NativeText.h"

namespace lumora {

ErrorGuard::ErrorGuard(const Seams& seams) : messageBox_(seams.messageBox), endProgram_(seams.endProgram) {}

QString ErrorGuard::reportText(const RuntimeError& error)
{
    QString text = QStringLiteral("Run-time error '%1':\n\n%2")
                       .arg(error.number())
                       .arg(QString::fromUtf8(error.description().data(), qsizetype(error.description().size())));
    if (!error.detail().empty())
        text += QStringLiteral("\n\n") + shownPath(textFromNative(error.detail()));
    return text;
}

void ErrorGuard::report(const RuntimeError& error, QWidget* parent, const QString& advice) const
{
    const QString text = advice.isEmpty() ? reportText(error) : reportText(error) + QStringLiteral("\n\n") + advice;
    messageBox_(parent, text, QCoreApplication::applicationName(), style::Critical);
}

void ErrorGuard::end(int exitCode)
{
    if (ending_)
        return;
    ending_ = true;
    exitCode_ = exitCode;
    endProgram_(exitCode);
}

void ErrorGuard::fail(const RuntimeError& error) noexcept
{
    // Stop every further entry first: the report's own event loop must not run
    // handlers of a program that is ending.
    ending_ = true;
    exitCode_ = 1;
    try {
        report(error);
    } catch (...) {
        // Nothing is left to report to.
    }
    endProgram_(exitCode_);
}

} // namespace lumora
