#pragma once

#include <QList>

#include "controls/Seams.h"

namespace lumora {

// The machine's drives: on Windows its drive letters; elsewhere the roots of
// the mounted file systems that hold user files, "/" first.
QList<Drive> systemDrives();

// The text by which the drive list names a drive: its root, then its label
// or file-system type in brackets, as "/ [ext4]" or "C:\\ [SYSTEM]".
QString driveText(const QString& root, const QString& label);

} // namespace lumora
