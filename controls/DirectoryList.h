#pragma once

#include <QHash>
#include <QListView>
#include <functional>

#include "controls/Event.h"
#include "controls/LatestRequest.h"
#include "core/DirectoryListing.h"

namespace lumora {

class DriveTable;
class ErrorGuard;
class RuntimeError;
class DirectoryModel;

// The chain of directories from the drive's root down to the current one,
// then the current one's sub-directories. A double click or Enter opens an
// entry. Its change event follows every change of the path.
//
// Each move reads its folder on a worker. One that ends within a moment is
// done before the set returns, as a set always was; a slower one leaves the
// list showing what it showed, greyed and taking no input, until the read
// ends, and then moves it and raises the change event. A newer set drops a
// read still on its way.
class DirectoryList : public QListView {
    Q_OBJECT
public:
    using Failure = std::function<void(const RuntimeError&)>;
    // A folder that cannot be read leaves the list where it is. One that is
    // remembered stays where the list is meant to be (its destination) until
    // a move succeeds: a stored folder on a drive that is asleep at the
    // start is not forgotten.
    enum class OnFailure { Forget, Remember };

    // Starts on `startDirectory`, or the root where that cannot be read.
    DirectoryList(ErrorGuard& errors, DriveTable& drives, FolderReads& folders, const QString& startDirectory,
                  QWidget* parent = nullptr);

    // The current directory in native form, without a trailing separator
    // except at a drive's root.
    QString path() const { return path_; }
    // The read of path() that the list shows.
    FolderReads::Snapshot listing() const { return snapshot_; }
    // Where the list is going: the folder of a move on its way, or one that
    // is remembered; otherwise path(). What is saved is this.
    QString destination() const;

    // A drive's text moves the list to that drive's current directory (the
    // last one it showed there in this run; the start-up directory for its
    // drive; otherwise the root). Anything else is a path, relative ones
    // taken from the start-up directory. A directory that cannot be read
    // (RuntimeError 76, 75 or 68) leaves the list where it is and goes to
    // `failed`; without one it is an error no handler trapped: raised here
    // when the read fails within the moment, reported as such later. A set
    // of the folder that a move on its way is going to takes that move over.
    void setPath(const QString& textOrPath, const Failure& failed = {}, OnFailure onFailure = OnFailure::Forget);

    // Opens entry `row` as a double click does.
    void openEntry(int row);

    // A read is on its way: the list is greyed until it ends.
    bool reading() const { return request_.waiting() || (opening_.busy() && !snapshot_); }

    Event change;
    // A newer read of the folder shown came in without a change of path:
    // the folder read again, or links of it that answered late.
    Event listed;
    // Told when an entry the user opened cannot be read; the list stays.
    std::function<void(const RuntimeError&, const QString& path)> openFailed;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Move {
        QString target;
        Failure failed;
        bool driveRoot = false;
        bool remember = false;
    };
    void startAt(const QString& directory);
    void moveToDrive(const QString& root, const QString& directory, const Failure& failed, int climbed = 0);
    static constexpr int maxClimb = 8;
    void moveTo(const QString& directory, Failure failed, bool driveRoot = false, bool remember = false);
    void failMove(const RuntimeError& error);
    void display(const QString& directory, const FolderReads::Snapshot& snapshot, bool moved);
    void followLinks();
    QString normalised(const QString& path) const;
    QString driveRootOf(const QString& path) const;

    ErrorGuard& errors_;
    DriveTable& drives_;
    FolderReads& folders_;
    QString startDirectory_;
    DirectoryModel* model_;
    QString path_;
    FolderReads::Snapshot snapshot_;           // of path_
    QHash<QString, QString> driveDirectories_; // drive root -> last directory shown there
    Move move_;                                // the latest
    QString remembered_;
    LatestRequest<FolderReads::Snapshot> request_{errors_, this, this};
    // The start-up directory's read, shown until a move brings another.
    LatestRequest<FolderReads::Snapshot> opening_{errors_, this};
};

} // namespace lumora
