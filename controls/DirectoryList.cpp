#include "controls/DirectoryList.h"

#include <QAbstractListModel>
#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QStyledItemDelegate>

#include "controls/DriveTable.h"
#include "controls/ErrorGuard.h"
#include "controls/NativeText.h"
#include "core/PathRules.h"
#include "core/RuntimeError.h"
#include "core/platform/Mounts.h"

namespace lumora {

class DirectoryModel : public QAbstractListModel {
public:
    struct Entry {
        QString text; // as drawn
        QString path; // as the system names it
        int level = 0;
        bool open = false;
    };

    explicit DirectoryModel(QObject* parent) : QAbstractListModel(parent) {}

    void reset(std::vector<Entry> entries)
    {
        beginResetModel();
        entries_ = std::move(entries);
        endResetModel();
    }
    const Entry& entry(int row) const { return entries_.at(std::size_t(row)); }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(entries_.size()); }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(entries_.size()))
            return {};
        const Entry& e = entries_[std::size_t(index.row())];
        switch (role) {
        case Qt::DisplayRole: return e.text;
        case Qt::DecorationRole: return e.open ? openIcon : closedIcon;
        case Qt::UserRole: return e.level;
        default: return {};
        }
    }

    QIcon openIcon;
    QIcon closedIcon;

private:
    std::vector<Entry> entries_;
};

namespace {

// Indents each entry by its depth in the chain.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int step = 8;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.adjust(step * index.data(Qt::UserRole).toInt(), 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }
};

QString withSeparator(const QString& dir) { return dir.endsWith(QDir::separator()) ? dir : dir + QDir::separator(); }

// Whether `path` lies on the drive at `root`, as the system compares names.
bool isOn(const QString& path, const QString& root)
{
    return !longestMatchingRoot(nativeFromText(path), {nativeFromText(withSeparator(root))}).empty();
}

// The classic list's folders, open and closed, drawn here: the style's own
// come from the desktop's icon theme, whose look-up reads dozens of folders
// and took a quarter of the start-up's work before the first frame.
QIcon folderIcon(bool open)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const QColor edge(128, 96, 0), body(255, 216, 72), flap(255, 240, 160);
    painter.setPen(edge);
    painter.setBrush(body);
    painter.drawPolygon(
        QPolygon({QPoint(1, 3), QPoint(6, 3), QPoint(7, 5), QPoint(14, 5), QPoint(14, 13), QPoint(1, 13)}));
    painter.setBrush(open ? flap : body);
    if (open)
        painter.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
    else
        painter.drawLine(1, 6, 14, 6);
    return QIcon(pixmap);
}

} // namespace

DirectoryList::DirectoryList(ErrorGuard& errors, DriveTable& drives, FolderReads& folders,
                             const QString& startDirectory, QWidget* parent)
    : QListView(parent), errors_(errors), drives_(drives), folders_(folders), startDirectory_(startDirectory),
      model_(new DirectoryModel(this))
{
    model_->openIcon = folderIcon(true);
    model_->closedIcon = folderIcon(false);
    setModel(model_);
    setItemDelegate(new IndentDelegate(this));
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { errors_.guard([this, index] { openEntry(index.row()); }); });
    // Which drive a folder lies on decides where its chain begins: as the
    // drives become known, the chain is drawn again from what was read.
    connect(&drives_, &DriveTable::changed, this, [this] {
        if (snapshot_)
            display(path_, snapshot_, false);
    });
    // The runtime starts the list on the process's current directory, with
    // no change event; on the root where that cannot be read.
    path_ = startDirectory_.isEmpty() ? normalised(QDir::rootPath()) : normalised(startDirectory_);
    startAt(path_);
}

void DirectoryList::startAt(const QString& directory)
{
    opening_.ask(
        {}, [this, native = nativeFromText(directory)](const StopFlag&) { return folders_.start(native); },
        [this, directory](const FolderReads::Snapshot& snapshot) {
            // What the user can go on from while a set that came meanwhile
            // is still on its way.
            if (!snapshot_)
                display(directory, snapshot, false);
        },
        [this, directory](const RuntimeError&) {
            if (const QString root = normalised(QDir::rootPath()); directory != root && !snapshot_)
                startAt(root);
        },
        folders_.patience(), LatestRequest<FolderReads::Snapshot>::Waiting::Quiet);
}

QString DirectoryList::driveRootOf(const QString& path) const
{
    const int index = drives_.indexOfPath(path);
    if (index >= 0)
        return QDir::toNativeSeparators(QDir::cleanPath(drives_.drives()[index].root));
    // A drive that has left the table (a stick pulled, a share from the
    // settings) is still the folder's own: its letter or share, never
    // another drive's.
    const QString own = textFromNative(pathRoot(nativeFromText(path)));
    return own.isEmpty() ? path : QDir::toNativeSeparators(QDir::cleanPath(own));
}

QString DirectoryList::normalised(const QString& path) const
{
    const QString absolute = QDir::isAbsolutePath(path) ? path : withSeparator(startDirectory_) + path;
    const QString clean = QDir::toNativeSeparators(QDir::cleanPath(absolute));
    // At a drive's root the path keeps its separator, as C:\ does.
    return clean == driveRootOf(clean) ? withSeparator(clean) : clean;
}

QString DirectoryList::destination() const
{
    if (request_.waiting())
        return move_.target;
    return remembered_.isEmpty() ? path_ : remembered_;
}

void DirectoryList::setPath(const QString& textOrPath, const Failure& failed, OnFailure onFailure)
{
    const int drive = drives_.indexOfText(textOrPath);
    if (drive >= 0) {
        const QString root = QDir::toNativeSeparators(QDir::cleanPath(drives_.drives()[drive].root));
        // The last folder shown there in this run, else the one the system
        // keeps for the drive, else its root.
        QString kept = driveDirectories_.value(
            root, normalised(textFromNative(platform::driveCurrentDirectory(nativeFromText(withSeparator(root))))));
        // Choosing a drive goes to that drive, whatever was kept for it.
        if (!isOn(kept, root))
            kept = withSeparator(root);
        moveToDrive(withSeparator(root), kept, failed);
        return;
    }
    if (textOrPath.isEmpty()) {
        request_.drop(); // as any set, it drops a read on its way
        const RuntimeError error(err::PathNotFound);
        if (!failed)
            throw error;
        failed(error);
        return;
    }
    moveTo(normalised(textOrPath), failed, false, onFailure == OnFailure::Remember);
}

void DirectoryList::moveToDrive(const QString& root, const QString& directory, const Failure& failed, int climbed)
{
    if (directory == root) {
        moveTo(directory, failed, true);
        return;
    }
    // The folder last shown on the drive may have gone since: the nearest
    // one above it that is still there, and at last the root. A few steps
    // up, then the root itself: a deep folder gone with its drive costs a
    // few reads, not one for each level.
    moveTo(directory, [this, root, directory, failed, climbed](const RuntimeError& error) {
        const QString above = normalised(directory + QDir::separator() + QStringLiteral(".."));
        const bool onDrive = isOn(above, root);
        if (error.number() == err::PathNotFound)
            moveToDrive(root, climbed < maxClimb && onDrive && above != directory ? above : root, failed, climbed + 1);
        else if (failed)
            failed(error);
        else
            throw error;
    });
}

void DirectoryList::moveTo(const QString& directory, Failure failed, bool driveRoot, bool remember)
{
    if (request_.waiting() && directory == move_.target) {
        // Set again while on its way there, as by the reload after a save:
        // the read goes on, and a failure still goes where the first set
        // said, so that a drive change on its way still recovers.
        if (!move_.failed)
            move_.failed = std::move(failed);
        move_.remember = move_.remember || remember;
        return;
    }
    move_ = Move{directory, std::move(failed), driveRoot, remember};
    const std::string native = nativeFromText(directory);
    request_.ask(
        native, [this, native](const StopFlag&) { return folders_.start(native); },
        [this, directory](const FolderReads::Snapshot& snapshot) {
            remembered_.clear();
            display(directory, snapshot, true);
        },
        [this](const RuntimeError& error) { failMove(error); }, folders_.patience());
}

void DirectoryList::failMove(const RuntimeError& error)
{
    const Move move = move_; // its handler may begin the next move
    if (move.remember)
        remembered_ = move.target;
    // A drive whose root cannot be read is a drive that is not there.
    const RuntimeError failure = move.driveRoot && error.number() == err::PathNotFound
                                     ? RuntimeError(err::DeviceUnavailable, error.detail())
                                     : error;
    if (!move.failed)
        throw failure;
    move.failed(failure);
}

void DirectoryList::display(const QString& directory, const FolderReads::Snapshot& snapshot, bool moved)
{
    const QString root = driveRootOf(directory);
    std::vector<DirectoryModel::Entry> entries;
    entries.reserve(snapshot->subdirectories.size() + snapshot->unanswered.size() + 8);
    entries.push_back({displayText(root), withSeparator(root), 0, true});
    const QString below = directory.mid(withSeparator(root).size());
    QString walked = withSeparator(root);
    for (const QString& part : below.split(QDir::separator(), Qt::SkipEmptyParts)) {
        walked = withSeparator(walked) + part;
        entries.push_back({displayText(part), walked, int(entries.size()), true});
    }
    const int level = int(entries.size());
    const QString here = withSeparator(directory);
    for (const std::string& name : snapshot->subdirectories)
        entries.push_back({displayText(name), here + textFromNative(name), level, false});
    // A link whose target has not answered, as a drive that has not.
    for (const std::string& name : snapshot->unanswered)
        entries.push_back(
            {displayText(name) + QStringLiteral(" [not responding]"), here + textFromNative(name), level, false});

    const bool changed = directory != path_;
    const bool newRead = snapshot != snapshot_;
    path_ = directory;
    snapshot_ = snapshot;
    driveDirectories_.insert(root, directory);
    model_->reset(std::move(entries));
    setCurrentIndex(model_->index(level - 1));
    if (newRead && snapshot->answered && !request_.busy())
        followLinks();
    if (moved && changed)
        change.raise();
    else if (newRead)
        listed.raise();
}

void DirectoryList::followLinks()
{
    request_.ask(
        {}, [answered = snapshot_->answered](const StopFlag&) { return answered; },
        [this, directory = path_](const FolderReads::Snapshot& whole) {
            if (directory == path_)
                display(directory, whole, false);
        },
        {}, std::chrono::milliseconds(0), LatestRequest<FolderReads::Snapshot>::Waiting::Quiet);
}

void DirectoryList::openEntry(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    const QString target = model_->entry(row).path;
    Failure failed;
    if (openFailed)
        failed = [this, target](const RuntimeError& error) { openFailed(error, target); };
    moveTo(normalised(target), std::move(failed));
}

void DirectoryList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        const int row = currentIndex().row();
        errors_.guard([this, row] { openEntry(row); });
        return;
    }
    QListView::keyPressEvent(event);
}

} // namespace lumora
