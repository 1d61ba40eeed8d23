#pragma once

#include <QListView>
#include <cstdint>
#include <functional>

#include "controls/Event.h"
#include "controls/LatestRequest.h"
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
// A set of its path or of its pattern reads the folder afresh on a worker, as
// the directory list does: done before the set returns when the read ends
// within a moment, otherwise the list stays as it was, greyed and taking no
// input, until it ends. It never shows a listing older than the newest read
// of its folder that it is given.
class FileList : public QListView {
    Q_OBJECT
public:
    using Failure = std::function<void(const RuntimeError&)>;

    // Holds nothing until a set or a listing of `startDirectory` is given.
    FileList(ErrorGuard& errors, FolderReads& folders, const QString& startDirectory, QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Reads the folder afresh. One that cannot be read (RuntimeError 76, 75
    // or 68) leaves the list with its path, pattern and entries and goes to
    // `failed`; without one it is an error no handler trapped, raised here
    // when it comes within the moment.
    void setPath(const QString& path, const Failure& failed = {});
    // The same with a read of the folder made elsewhere, which it takes.
    void setPath(const QString& path, const FolderReads::Snapshot& listing);
    // A read of `path` made elsewhere, taken when the list shows that folder
    // or is on its way there, and the read is newer than what it has or is
    // waiting for.
    void takeListing(const QString& path, const FolderReads::Snapshot& listing);
    QString pattern() const { return pattern_; }
    // Reads the folder afresh, as a set of the path does; what it holds is
    // filtered so when a read fails. While the start-up runs, the read the
    // list has or is waiting for is filtered instead: the start-up's reads
    // begin once it is over.
    void setPattern(const QString& pattern, const Failure& failed = {});

    bool reading() const { return request_.waiting(); }

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
    };
    void ask(const QString& path, std::function<std::shared_ptr<Pending<Listing>>()> begin, const Failure& failed);
    void display(const QString& path, const Listing& listing);
    void followLinks();
    int listCount() const;
    QString entry(int row) const;
    bool pressedOnEntry_ = false;

    ErrorGuard& errors_;
    FolderReads& folders_;
    FileNameModel* model_;
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
    FolderReads::Snapshot snapshot_; // of path_
    QString target_;                 // of the request on its way
    FolderReads::Snapshot given_;    // that request's read, when it was given
    std::uint64_t wanted_ = 0;       // no read numbered lower is newer than it
    LatestRequest<Listing> request_{errors_, this, this};
};

} // namespace lumora
