#include "controls/FileList.h"

#include <QDir>
#include <QKeyEvent>
#include <QStringListModel>

#include "controls/FormRuntime.h"
#include "core/DirectoryListing.h"

namespace lumora {

FileList::FileList(FormRuntime& runtime, QWidget* parent)
    : QListView(parent), runtime_(runtime), model_(new QStringListModel(this))
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
    const std::vector<std::string> names = listFiles(toUtf8(path), toUtf8(pattern));
    QStringList entries;
    entries.reserve(qsizetype(names.size()));
    for (const std::string& name : names)
        entries.append(QString::fromUtf8(name.data(), qsizetype(name.size())));
    path_ = path;
    pattern_ = pattern;
    model_->setStringList(entries);
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
