#include "controls/FileList.h"

#include <QAbstractListModel>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <utility>

#include "controls/ErrorGuard.h"
#include "controls/NativeText.h"
#include "controls/Waiting.h"
#include "core/RuntimeError.h"

namespace lumora {

// The rows of the folder's one shared read that match the pattern, turned
// into text only for the rows asked for: a folder of 100,000 files costs
// 4 bytes a row here instead of the 7 MB of a string list model.
class FileNameModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void reset(std::shared_ptr<const DirectorySnapshot> snapshot, std::vector<std::uint32_t> rows)
    {
        beginResetModel();
        snapshot_ = std::move(snapshot);
        rows_ = std::move(rows);
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(rows_.size()); }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(rows_.size()) || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        return displayText(name(index.row()));
    }

    const std::string& name(int row) const { return snapshot_->files[rows_[std::size_t(row)]]; }

private:
    std::shared_ptr<const DirectorySnapshot> snapshot_;
    std::vector<std::uint32_t> rows_;
};

FileList::FileList(ErrorGuard& errors, FolderReads& folders, const QString& startDirectory, QWidget* parent)
    : QListView(parent), errors_(errors), folders_(folders), model_(new FileNameModel(this))
{
    setModel(model_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListView::doubleClicked, this, [this] { errors_.guard([this] { open.raise(); }); });
    // An unreadable start-up directory leaves the list empty.
    path_ = startDirectory;
    setPath(startDirectory, [](const RuntimeError&) {});
}

void FileList::setPath(const QString& path, const Failure& failed)
{
    const std::uint64_t generation = ++generation_;
    // The matching names are found on a worker too: in a folder of a million
    // files that takes longer than a frame.
    auto listing = Pending<Listing>::start(
        [read = folders_.start(nativeFromText(path)), pattern = pattern_, native = nativeFromText(pattern_)] {
            FolderReads::Snapshot snapshot = read->await().get();
            std::vector<std::uint32_t> rows = matchingFiles(*snapshot, native);
            return Listing{std::move(snapshot), std::move(rows), pattern};
        });
    whenSettled(
        errors_, port_, listing, folders_.patience(),
        [this, generation, path, failed](const Outcome<Listing>& outcome) {
            if (generation == generation_) // else a newer set came first
                finishRead(path, outcome, failed);
        },
        [this] { setBusy(true); });
}

void FileList::finishRead(const QString& path, const Outcome<Listing>& outcome, const Failure& failed)
{
    setBusy(false);
    if (outcome.error()) {
        try {
            outcome.get();
        } catch (const RuntimeError& error) {
            if (!failed)
                throw;
            failed(error);
            return;
        }
    }
    const Listing& listing = outcome.get();
    path_ = path;
    snapshot_ = listing.snapshot;
    if (listing.pattern == pattern_)
        model_->reset(snapshot_, listing.rows);
    else
        filter(); // the file type changed while the folder was read
}

void FileList::setPattern(const QString& pattern)
{
    pattern_ = pattern;
    if (snapshot_)
        filter();
}

void FileList::filter() { model_->reset(snapshot_, matchingFiles(*snapshot_, nativeFromText(pattern_))); }

void FileList::setBusy(bool busy)
{
    if (busy == busy_)
        return;
    busy_ = busy;
    showWaiting(*this, busy);
}

int FileList::listCount() const { return model_->rowCount(); }

QString FileList::entry(int row) const
{
    return row >= 0 && row < listCount() ? textFromNative(model_->name(row)) : QString();
}

int FileList::listIndex() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

QString FileList::fileName() const
{
    const int row = listIndex();
    return row >= 0 ? entry(row) : QString();
}

void FileList::setListIndex(int index)
{
    if (index < 0 || index >= listCount()) {
        clearSelection();
        setCurrentIndex({});
        return;
    }
    setCurrentIndex(model_->index(index));
}

QItemSelectionModel::SelectionFlags FileList::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    // Qt lets Ctrl+click or Ctrl+Space deselect the entry, a click on empty
    // space clear it, a right click or a drag move it: each would leave the
    // highlight apart from the last pick, or raise a pick of no file at all.
    // Here only a left press or a key selects, and always exactly one entry.
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    if (event != nullptr) {
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: return QItemSelectionModel::NoUpdate;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (static_cast<const QMouseEvent*>(event)->button() != Qt::LeftButton)
                return QItemSelectionModel::NoUpdate;
            break;
        default: break;
        }
    }
    return QItemSelectionModel::ClearAndSelect;
}

void FileList::mousePressEvent(QMouseEvent* event)
{
    // Presses that cannot pick (another button, the space below the entries)
    // leave the list alone: Qt would move its current entry away from the
    // highlight.
    pressedOnEntry_ = event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid();
    if (!pressedOnEntry_) {
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

void FileList::mouseMoveEvent(QMouseEvent* event)
{
    // A drag moves nothing: the entry pressed is the one picked.
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QListView::mouseMoveEvent(event);
}

void FileList::mouseReleaseEvent(QMouseEvent* event)
{
    QListView::mouseReleaseEvent(event);
    // The entry pressed is picked wherever the button comes up.
    if (event->button() == Qt::LeftButton && std::exchange(pressedOnEntry_, false) && listIndex() >= 0)
        errors_.guard([this] { click.raise(); });
}

void FileList::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && listIndex() >= 0) {
        errors_.guard([this] { open.raise(); });
        return;
    }
    const QModelIndex before = currentIndex();
    const bool picked = listIndex() >= 0;
    QListView::keyPressEvent(event);
    const QModelIndex after = currentIndex();
    // A key that moves the highlight picks where it lands; Space, which
    // highlights the entry it is on, picks that one.
    if (after.isValid() && (after != before || (!picked && listIndex() >= 0)))
        errors_.guard([this] { click.raise(); });
}

} // namespace lumora
