#pragma once

#include <QList>

#include "controls/Seams.h"

namespace lumora {

// The machine's drives as the system's table of them tells: on Windows its
// drive letters; elsewhere the roots of the mounted file systems that hold
// user files, "/" first. Asks nothing of the drives themselves.
QList<Drive> systemDrives();

// Whether a drive's root is a folder to browse; may wait on the drive.
bool isFolderToBrowse(const QString& root);

// The text by which the drive list names a drive: its root, then its label
// or file-system type in brackets, as "/ [ext4]" or "C:\\ [SYSTEM]".
QString driveText(const QString& root, const QString& label);

} // namespace lumora
