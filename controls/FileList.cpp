#include "controls/FileList.h"

#include <QAbstractListModel>
#include <QDir>
#include <QKeyEvent>

#include "controls/FormRuntime.h"
#include "core/DirectoryListing.h"

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
        const std::string& name = snapshot_->files[rows_[std::size_t(index.row())]];
        return QString::fromUtf8(name.data(), qsizetype(name.size()));
    }

private:
    std::shared_ptr<const DirectorySnapshot> snapshot_;
    std::vector<std::uint32_t> rows_;
};

FileList::FileList(FormRuntime& runtime, QWidget* parent)
    : QListView(parent), runtime_(runtime), model_(new FileNameModel(this))
{
    setModel(model_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListView::clicked, this, [this](const QModelIndex&) { runtime_.guard([this] { click.raise(); }); });
    try {
        list(QDir::toNativeSeparators(QDir::currentPath()), pattern_);
    } catch (const RuntimeError&) {
        // An unreadable start-up directory leaves the list empty.
        path_ = QDir::toNativeSeparators(QDir::currentPath());
    }
}

void FileList::setPath(const QString& path) { list(path, pattern_); }

void FileList::setPattern(const QString& pattern) { list(path_, pattern); }

void FileList::list(const QString& path, const QString& pattern)
{
    auto snapshot = runtime_.directories().read(toUtf8(path));
    std::vector<std::uint32_t> rows = matchingFiles(*snapshot, toUtf8(pattern));
    path_ = path;
    pattern_ = pattern;
    model_->reset(std::move(snapshot), std::move(rows));
}

int FileList::listCount() const { return model_->rowCount(); }

QString FileList::entry(int row) const { return model_->index(row).data().toString(); }

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

void FileList::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    const QModelIndex after = currentIndex();
    if (after.isValid() && after != before)
        runtime_.guard([this] { click.raise(); });
}

} // namespace lumora
