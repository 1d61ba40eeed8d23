#pragma once

#include <QListView>
#include <cstdint>
#include <functional>

#include "controls/Event.h"
#include "controls/ResultPort.h"
#include "core/DirectoryListing.h"

namespace lumora {

class ErrorGuard;
class FileNameModel;
class RuntimeError;

// The files of one directory whose names match a wildcard pattern, sorted,
// hidden ones left out. A model/view list, so that folders of a hundred
// thousand files stay quick. Its click event comes with a mouse selection and
// with the arrow keys, also for the entry already selected; it always names a
// real entry, and what is highlighted is what it last named.
//
// A set of its path reads the folder on a worker, as the directory list does:
// done before the set returns when the read ends within a moment, otherwise
// the list stays as it was, greyed and taking no input, until it ends.
class FileList : public QListView {
    Q_OBJECT
public:
    using Failure = std::function<void(const RuntimeError&)>;

    FileList(ErrorGuard& errors, FolderReads& folders, const QString& startDirectory, QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Reads the folder afresh. One that cannot be read (RuntimeError 76, 75
    // or 68) leaves the list with its path, pattern and entries and goes to
    // `failed`; without one it is an error no handler trapped, raised here
    // when it comes within the moment.
    void setPath(const QString& path, const Failure& failed = {});
    QString pattern() const { return pattern_; }
    // Filters what the list holds; a read on its way is filtered so when it
    // comes.
    void setPattern(const QString& pattern);

    bool reading() const { return busy_; }

    // The selected entry, empty when none is selected.
    QString fileName() const;
    int listIndex() const;
    // Selects entry `index` (-1: none) without raising the click event.
    void setListIndex(int index);

    Event click;
    // A double click on an entry, or Enter on the picked one: what the user
    // picked is to be opened.
    Event open;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // A folder's read, and where in it the names that match a pattern stand.
    struct Listing {
        FolderReads::Snapshot snapshot;
        std::vector<std::uint32_t> rows;
        QString pattern;
    };
    void finishRead(const QString& path, const Outcome<Listing>& outcome, const Failure& failed);
    void filter();
    void setBusy(bool busy);
    int listCount() const;
    QString entry(int row) const;
    bool pressedOnEntry_ = false;

    ErrorGuard& errors_;
    FolderReads& folders_;
    FileNameModel* model_;
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
    FolderReads::Snapshot snapshot_; // of path_
    std::uint64_t generation_ = 0;
    bool busy_ = false;
    ResultPort port_{this};
};

} // namespace lumora
