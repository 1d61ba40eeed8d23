#pragma once
// What the two windows share: the seams to the world outside, the trap for
// errors that no handler catches, and the program's state: the table of open
// files, the one random generator, the folder reads both lists use and the
// drives as far as they are known.

#include "controls/DriveTable.h"
#include "controls/ErrorGuard.h"
#include "controls/Seams.h"
#include "core/DirectoryListing.h"
#include "core/RandomSource.h"
#include "core/RecordFile.h"

namespace lumora {

struct FormRuntime {
    // Every seam must be given: the program calls them without asking.
    explicit FormRuntime(Seams given);

    const Seams seams;
    ErrorGuard errors{seams};
    FileTable files;
    RandomSource random;
    FolderReads folders{seams.readFolder};
    DriveTable drives{errors, seams.drives, seams.askDrive};
    // Where the program started: nothing changes the process's current
    // directory, and it is read once, before any mount could hold it up.
    const QString startDirectory;
};

} // namespace lumora
