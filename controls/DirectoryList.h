#pragma once

#include <QHash>
#include <QListView>
#include <functional>

#include "controls/Event.h"
#include "controls/Seams.h"

namespace lumora {

class DirectoryCache;
class ErrorGuard;
class RuntimeError;
class DirectoryModel;

// The chain of directories from the drive's root down to the current one,
// then the current one's sub-directories. A double click or Enter opens an
// entry. Its change event follows every change of the path.
class DirectoryList : public QListView {
    Q_OBJECT
public:
    DirectoryList(ErrorGuard& errors, DriveSource drives, DirectoryCache& directories, QWidget* parent = nullptr);

    // The current directory in native form, without a trailing separator
    // except at a drive's root.
    QString path() const { return path_; }

    // A drive's text moves the list to that drive's current directory (the
    // last one it showed there in this run; the start-up directory for its
    // drive; otherwise the root). Anything else is a path, relative ones
    // taken from the process's current directory. Raises RuntimeError 76,
    // 75 or 68 when the directory cannot be read; the list then stays.
    void setPath(const QString& textOrPath);

    // Opens entry `row` as a double click does.
    void openEntry(int row);

    Event change;
    // Told when an entry the user opened cannot be read; the list stays.
    std::function<void(const RuntimeError&, const QString& path)> openFailed;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void moveTo(const QString& directory);
    QString normalised(const QString& path) const;
    QString driveRootOf(const QString& path) const;
    // The drives are read once per operation: asking the system costs a
    // scan of the mount table.
    void readDrives();

    ErrorGuard& errors_;
    DriveSource source_;
    DirectoryCache& directories_;
    DirectoryModel* model_;
    QString path_;
    QHash<QString, QString> driveDirectories_; // drive root -> last directory shown there
    QList<Drive> drives_;
};

} // namespace lumora
