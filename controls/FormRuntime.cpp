#include "controls/FormRuntime.h"

#include <QCoreApplication>

#include "controls/NativeText.h"

namespace lumora {

FormRuntime::FormRuntime(Seams seams) : seams_(std::move(seams)) {}

int FormRuntime::messageBox(QWidget* parent, const QString& prompt, const QString& title, int style) const
{
    return seams_.messageBox ? seams_.messageBox(parent, prompt, title, style) : 1;
}

QString FormRuntime::reportText(const RuntimeError& error)
{
    QString text = QStringLiteral("Run-time error '%1':\n\n%2")
                       .arg(error.number())
                       .arg(QString::fromUtf8(error.description().data(), qsizetype(error.description().size())));
    if (!error.detail().empty())
        text += QStringLiteral("\n\n") + displayText(error.detail());
    return text;
}

void FormRuntime::reportError(const RuntimeError& error, QWidget* parent) const
{
    messageBox(parent, reportText(error), QCoreApplication::applicationName(), style::Critical);
}

void FormRuntime::end(int exitCode)
{
    if (ending_)
        return;
    ending_ = true;
    exitCode_ = exitCode;
    if (seams_.endProgram)
        seams_.endProgram(exitCode);
}

void FormRuntime::fail(const RuntimeError& error) noexcept
{
    // Stop every further entry first: the report's own event loop must not run
    // handlers of a program that is ending.
    ending_ = true;
    exitCode_ = 1;
    try {
        reportError(error);
    } catch (...) {
        // Nothing is left to report to.
    }
    if (seams_.endProgram)
        seams_.endProgram(exitCode_);
}

} // namespace lumora
