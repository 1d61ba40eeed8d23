#pragma once
// The side effects the windows have on the world, given to them from outside
// so that tests can observe them without blocking or starting programs.

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/DirectoryListing.h"

class QWidget;

namespace lumora {

// Message box styles used by the program.
namespace style {
inline constexpr int Critical = 16;
inline constexpr int Exclamation = 48;
} // namespace style

struct Drive {
    QString text; // what the drive list shows and the directory list accepts
    QString root; // the directory at the drive's top, in native form
    // What the list shows while the drive does not answer; "ROOT [not
    // responding]" when empty.
    QString unanswered = {};
    friend bool operator==(const Drive&, const Drive&) = default;
};

// What a drive says of itself: whether its root is a place to browse, and
// its text now that it is known (empty: the table's stands).
struct DriveAnswer {
    bool browsable = true;
    QString text = {};
};

// The emulator's start: the program, the game's path and the switch string.
struct LaunchRequest {
    QString program;
    QString path;
    QString switches;
};

// The drives as the system's table of them tells, without asking any of
// them anything; called on a worker.
using DriveSource = std::function<QList<Drive>()>;
// A question to the drive itself, which may take as long as its mount likes;
// called on a worker.
using DriveQuestion = std::function<DriveAnswer(const QString& root)>;

// Reads a picture file (the system's bytes for its path) as loadPicture
// does; called on a worker, and may take as long as the file's mount likes.
using PictureLoader = std::function<QImage(const std::string& path, const StopFlag& stop)>;

struct Seams {
    // Modal box; returns the button pressed (1 for OK).
    std::function<int(QWidget* parent, const QString& prompt, const QString& title, int style)> messageBox;
    // Starts a detached process; on failure returns false with a reason.
    // Called on a worker: it searches the PATH.
    std::function<bool(const LaunchRequest& request, QString* error)> startProcess;
    DriveSource drives;
    DriveQuestion askDrive;
    // Reads a folder; called on a worker.
    FolderReads::Reader readFolder;
    PictureLoader loadPicture;
    std::function<QDateTime()> now;
    // Ends the program with this exit status, at once.
    std::function<void(int exitCode)> endProgram;

    // The real world: QMessageBox, the detached start of a program, the
    // mount table, folders and pictures as the system reads them, the system
    // clock and the application's event loop.
    static Seams system();
};

} // namespace lumora
