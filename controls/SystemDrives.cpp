#include "controls/SystemDrives.h"

#include "controls/NativeText.h"
#include "core/platform/Mounts.h"

namespace lumora {

QList<Drive> systemDrives()
{
    QList<Drive> drives;
    for (const platform::DriveEntry& drive : platform::driveTable())
        drives.append({displayText(drive.text), textFromNative(drive.root), displayText(drive.unanswered)});
    return drives;
}

DriveAnswer askSystemDrive(const QString& root)
{
    const platform::DriveReply reply = platform::askDrive(nativeFromText(root));
    return {reply.browsable, displayText(reply.text)};
}

} // namespace lumora
