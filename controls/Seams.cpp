#include "controls/Seams.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "controls/NativeText.h"
#include "controls/PictureBox.h"
#include "controls/SystemDrives.h"
#include "core/platform/ProcessStart.h"

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
    // The path goes out as the system's bytes: a game file whose name is not
    // valid text must reach the emulator as the name it has on the disk.
    const platform::StartResult result = platform::startDetached(
        nativeFromText(request.program), nativeFromText(request.path), nativeFromText(request.switches));
    if (error) {
        const QString searched = displayText(result.searched);
        if (result.outcome == platform::StartResult::NotFound)
            *error = QStringLiteral("it was not found %1").arg(searched);
        else if (result.outcome == platform::StartResult::CannotRun)
            *error = QStringLiteral("it was found %1 but cannot be run (%2)").arg(searched, displayText(result.reason));
    }
    return result.outcome == platform::StartResult::Started;
}

} // namespace

Seams Seams::system()
{
    Seams seams;
    seams.messageBox = showMessageBox;
    seams.startProcess = startDetached;
    seams.drives = systemDrives;
    seams.askDrive = askSystemDrive;
    seams.readFolder = [](const std::string& directory) { return readDirectory(directory); };
    seams.loadPicture = [](const std::string& path, const StopFlag& stop) { return lumora::loadPicture(path, &stop); };
    seams.now = [] { return QDateTime::currentDateTime(); };
    seams.endProgram = [](int exitCode) { QCoreApplication::exit(exitCode); };
    return seams;
}

} // namespace lumora
