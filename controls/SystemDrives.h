#pragma once

#include <QList>

#include "controls/Seams.h"

namespace lumora {

// The machine's drives as the system's table of them tells: on Windows its
// drive letters; elsewhere the roots of the mounted file systems that hold
// user files, "/" first. Asks nothing of the drives themselves.
QList<Drive> systemDrives();

// What a drive says of itself; may wait on the drive.
DriveAnswer askSystemDrive(const QString& root);

} // namespace lumora
