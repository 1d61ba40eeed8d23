#include "controls/Seams.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

#include "controls/SystemDrives.h"

namespace lumora {

namespace {

int showMessageBox(QWidget* parent, const QString& prompt, const QString& title, int style)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & 0x70) {
    case 16: icon = QMessageBox::Critical; break;
    case 32: icon = QMessageBox::Question; break;
    case 48: icon = QMessageBox::Warning; break;
    case 64: icon = QMessageBox::Information; break;
    default: break;
    }
    QMessageBox box(icon, title, prompt, QMessageBox::Ok, parent);
    box.exec();
    return 1;
}

bool startDetached(const LaunchRequest& request, QString* error)
{
    // Look the program up the way a shell would, so that the reason for a
    // failure can be told apart: not there at all, or there but not runnable.
    const QString found = QStandardPaths::findExecutable(request.program);
    if (found.isEmpty()) {
        if (error)
            *error = QStringLiteral("it was not found on the PATH");
        return false;
    }
    QProcess process;
    process.setProgram(found);
    process.setArguments(request.arguments);
    process.setWorkingDirectory(request.workingDirectory);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        if (error)
            *error = QStringLiteral("it could not be run (%1)").arg(process.errorString());
        return false;
    }
    return true;
}

} // namespace

Seams Seams::system()
{
    Seams seams;
    seams.messageBox = showMessageBox;
    seams.startProcess = startDetached;
    seams.drives = systemDrives;
    seams.now = [] { return QDateTime::currentDateTime(); };
    seams.endProgram = [](int exitCode) { QCoreApplication::exit(exitCode); };
    return seams;
}

} // namespace lumora
