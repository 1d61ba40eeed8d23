#pragma once
// What the two windows share: the seams to the world outside, the trap for
// errors that no handler catches, and the program's state: the table of open
// files, the one random generator, the folder read both lists use.

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
    DirectoryCache directories;
};

} // namespace lumora
