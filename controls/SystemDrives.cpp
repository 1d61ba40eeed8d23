#include "controls/SystemDrives.h"

#include "controls/NativeText.h"
#include "core/platform/Mounts.h"

namespace lumora {

QString driveText(const QString& root, const QString& label)
{
    // Always bracketed, so that a drive's text never reads as a plain path:
    // setting the directory list to "/" means the root, setting it to the
    // drive's text means the drive's current directory.
    return QStringLiteral("%1 [%2]").arg(root, label.isEmpty() ? QStringLiteral("disk") : label);
}

QList<Drive> systemDrives()
{
    QList<Drive> drives;
    for (const platform::Mount& mount : platform::mountTable()) {
        const QString root = textFromNative(mount.root);
        drives.append(
            {driveText(displayText(root), textFromNative(mount.label.empty() ? mount.kind : mount.label)), root});
    }
    return drives;
}

bool isFolderToBrowse(const QString& root) { return platform::isFolder(nativeFromText(root)); }

} // namespace lumora
