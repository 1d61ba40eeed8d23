#include "controls/FileList.h"

#include <QAbstractListModel>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <utility>

#include "controls/ErrorGuard.h"
#include "controls/NativeText.h"
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

namespace {

// From this many names the matching is done on a worker: in a folder of a
// million files it takes longer than a frame.
constexpr std::size_t matchedAwayFrom = 16384;

} // namespace

FileList::FileList(ErrorGuard& errors, FolderReads& folders, const QString& startDirectory, QWidget* parent)
    : QListView(parent), errors_(errors), folders_(folders), model_(new FileNameModel(this)), path_(startDirectory)
{
    setModel(model_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListView::doubleClicked, this, [this] { errors_.guard([this] { open.raise(); }); });
}

void FileList::ask(const QString& path, std::function<std::shared_ptr<Pending<Listing>>()> begin, const Failure& failed)
{
    target_ = path;
    request_.ask(
        nativeFromText(path), [begin = std::move(begin)](const StopFlag&) { return begin(); },
        [this, path](const Listing& listing) { display(path, listing); }, failed, folders_.patience());
}

void FileList::setPath(const QString& path, const Failure& failed)
{
    given_.reset();
    wanted_ = nextReadSerial(); // the read asked for now is numbered so or higher
    ask(
        path,
        [reader = folders_.reader(), native = nativeFromText(path), pattern = nativeFromText(pattern_)] {
            return Pending<Listing>::start([reader, native, pattern] {
                FolderReads::Snapshot snapshot = std::make_shared<const DirectorySnapshot>(reader(native));
                std::vector<std::uint32_t> rows = matchingFiles(*snapshot, pattern);
                return Listing{std::move(snapshot), std::move(rows)};
            });
        },
        failed);
}

void FileList::setPath(const QString& path, const FolderReads::Snapshot& listing)
{
    given_ = listing;
    wanted_ = listing->serial;
    ask(path,
        [listing, pattern = nativeFromText(pattern_)] {
            const auto match = [listing, pattern] { return Listing{listing, matchingFiles(*listing, pattern)}; };
            return listing->files.size() < matchedAwayFrom ? Pending<Listing>::ready(match())
                                                           : Pending<Listing>::start(match);
        },
        {});
}

void FileList::takeListing(const QString& path, const FolderReads::Snapshot& listing)
{
    if (path != (request_.busy() ? target_ : path_))
        return;
    if (request_.busy() ? listing->serial < wanted_ : snapshot_ && !listing->newerThan(*snapshot_))
        return; // what it has or waits for is newer
    setPath(path, listing);
}

void FileList::setPattern(const QString& pattern, const Failure& failed)
{
    pattern_ = pattern;
    if (folders_.startingUp()) {
        // Whatever the list holds or waits for is filtered when it comes.
        if (request_.busy() ? given_ != nullptr : snapshot_ != nullptr)
            setPath(request_.busy() ? target_ : path_, request_.busy() ? given_ : snapshot_);
        return;
    }
    setPath(request_.busy() ? target_ : path_, [this, failed](const RuntimeError& error) {
        if (snapshot_)
            setPath(path_, snapshot_);
        if (!failed)
            throw error;
        failed(error);
    });
}

void FileList::display(const QString& path, const Listing& listing)
{
    path_ = path;
    const bool newRead = listing.snapshot != snapshot_;
    snapshot_ = listing.snapshot;
    model_->reset(snapshot_, listing.rows);
    if (newRead && snapshot_->answered)
        followLinks();
}

void FileList::followLinks()
{
    // Links that answer late may be files: matched on the worker that
    // brings their answers.
    given_ = snapshot_;
    wanted_ = snapshot_->serial;
    target_ = path_;
    request_.ask(
        {},
        [answered = snapshot_->answered, pattern = nativeFromText(pattern_)](const StopFlag&) {
            auto listing = std::make_shared<Pending<Listing>>();
            answered->then([listing, pattern](const Outcome<FolderReads::Snapshot>& whole) {
                auto match = [&] { return Listing{whole.get(), matchingFiles(*whole.get(), pattern)}; };
                listing->settle(Outcome<Listing>::of(match));
            });
            return listing;
        },
        [this, path = path_](const Listing& listing) { display(path, listing); }, {}, std::chrono::milliseconds(0),
        LatestRequest<Listing>::Waiting::Quiet);
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
