#include "controls/DirectoryList.h"

#include <QAbstractListModel>
#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "controls/DriveList.h"
#include "controls/ErrorGuard.h"
#include "controls/NativeText.h"
#include "core/DirectoryListing.h"

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

} // namespace

DirectoryList::DirectoryList(ErrorGuard& errors, DriveSource drives, DirectoryCache& directories, QWidget* parent)
    : QListView(parent), errors_(errors), source_(std::move(drives)), directories_(directories),
      model_(new DirectoryModel(this))
{
    model_->openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    model_->closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    setModel(model_);
    setItemDelegate(new IndentDelegate(this));
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { errors_.guard([this, index] { openEntry(index.row()); }); });
    // The runtime starts the list on the process's current directory.
    readDrives();
    try {
        moveTo(normalised(currentDirectoryText()));
    } catch (const RuntimeError&) {
        moveTo(normalised(QDir::rootPath()));
    }
}

void DirectoryList::readDrives() { drives_ = source_(); }

QString DirectoryList::driveRootOf(const QString& path) const
{
    const int index = driveIndexOfPath(drives_, path);
    return index >= 0 ? QDir::toNativeSeparators(QDir::cleanPath(drives_[index].root))
                      : QDir::toNativeSeparators(QDir(path).rootPath());
}

QString DirectoryList::normalised(const QString& path) const
{
    const QString absolute = QDir::isAbsolutePath(path) ? path : withSeparator(currentDirectoryText()) + path;
    const QString clean = QDir::toNativeSeparators(QDir::cleanPath(absolute));
    // At a drive's root the path keeps its separator, as C:\ does.
    return clean == driveRootOf(clean) ? withSeparator(clean) : clean;
}

void DirectoryList::setPath(const QString& textOrPath)
{
    readDrives();
    for (const Drive& d : drives_) {
        if (d.text != textOrPath)
            continue;
        const QString root = QDir::toNativeSeparators(QDir::cleanPath(d.root));
        const QString target = driveDirectories_.value(root, withSeparator(root));
        try {
            moveTo(target);
        } catch (const RuntimeError& e) {
            // A drive whose root cannot be read is a drive that is not there.
            if (target == withSeparator(root) && e.number() == err::PathNotFound)
                throw RuntimeError(err::DeviceUnavailable, e.detail());
            throw;
        }
        return;
    }
    if (textOrPath.isEmpty())
        throw RuntimeError(err::PathNotFound);
    moveTo(normalised(textOrPath));
}

void DirectoryList::moveTo(const QString& directory)
{
    // Read first: a directory that cannot be read leaves the list unchanged.
    const auto snapshot = directories_.read(nativeFromText(directory));
    const std::vector<std::string>& names = snapshot->subdirectories;

    const QString root = driveRootOf(directory);
    std::vector<DirectoryModel::Entry> entries;
    entries.reserve(names.size() + 8);
    entries.push_back({displayText(root), withSeparator(root), 0, true});
    const QString below = directory.mid(withSeparator(root).size());
    QString walked = withSeparator(root);
    for (const QString& part : below.split(QDir::separator(), Qt::SkipEmptyParts)) {
        walked = withSeparator(walked) + part;
        entries.push_back({displayText(part), walked, int(entries.size()), true});
    }
    const int level = int(entries.size());
    const QString here = withSeparator(directory);
    for (const std::string& name : names)
        entries.push_back({displayText(name), here + textFromNative(name), level, false});

    const bool changed = directory != path_;
    path_ = directory;
    driveDirectories_.insert(root, directory);
    model_->reset(std::move(entries));
    setCurrentIndex(model_->index(level - 1));
    if (changed)
        change.raise();
}

void DirectoryList::openEntry(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    const QString target = model_->entry(row).path;
    readDrives();
    try {
        moveTo(normalised(target));
    } catch (const RuntimeError& error) {
        if (!openFailed)
            throw;
        openFailed(error, target);
    }
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
