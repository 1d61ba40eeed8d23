#pragma once
// What every benchmark program shares: seams that do nothing, so that no box
// blocks and nothing starts, and a way to let queued paints happen.

#include <QCoreApplication>

#include "controls/Seams.h"

namespace lumora::bench {

inline Seams quietSeams()
{
    Seams s;
    s.messageBox = [](QWidget*, const QString&, const QString&, int) { return 1; };
    s.startProcess = [](const LaunchRequest&, QString*) { return false; };
    s.drives = [] { return QList<Drive>{}; };
    s.askDrive = [](const QString&) { return true; };
    s.readFolder = readDirectory;
    s.now = [] { return QDateTime(); };
    s.endProgram = [](int) {};
    return s;
}

// Runs whatever the last step queued: layouts, repaints, deferred deletes.
inline void settle() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

// Until `list` holds the folder it was last set to: a read that outlasts the
// moment a set waits for it ends on a worker.
template <class List>
void settleList(const List& list)
{
    while (list.reading())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}

} // namespace lumora::bench
