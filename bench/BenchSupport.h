#pragma once
// What every benchmark program shares: seams that do nothing, so that no box
// blocks and nothing starts, a stand-in for a mount that never answers, and
// ways to let queued paints and reads happen.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <condition_variable>
#include <mutex>

#include "controls/PictureBox.h"
#include "controls/Seams.h"

namespace lumora::bench {

inline Seams quietSeams()
{
    Seams s;
    s.messageBox = [](QWidget*, const QString&, const QString&, int) { return 1; };
    s.startProcess = [](const LaunchRequest&, QString*) { return false; };
    s.drives = [] { return QList<Drive>{}; };
    s.askDrive = [](const QString&) { return DriveAnswer{}; };
    s.readFolder = [](const std::string& directory) { return readDirectory(directory); };
    s.loadPicture = [](const std::string& path, const StopFlag& stop) { return loadPicture(path, &stop); };
    s.now = [] { return QDateTime(); };
    s.endProgram = [](int) {};
    return s;
}

// Stands for a call into a mount that never answers (a server gone away):
// the calling thread sleeps and never returns.
[[noreturn]] inline void blockForever()
{
    std::mutex mutex;
    std::condition_variable never;
    std::unique_lock lock(mutex);
    for (;;)
        never.wait(lock);
}

// Runs whatever the last step queued: layouts, repaints, deferred deletes.
inline void settle() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

// Until `list` holds the folder it was last set to: a read that outlasts the
// moment a set waits for it ends on a worker, which posts its outcome. The
// thread sleeps until that comes; a loop of processEvents with a time limit
// would spin instead, and take a core from the read it waits for.
template <class List>
void settleList(const List& list)
{
    while (list.reading())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// Runs the event loop for `ms` milliseconds, asleep between events.
inline void runEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace lumora::bench
