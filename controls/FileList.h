#pragma once

#include <QListView>

#include "controls/Event.h"

namespace lumora {

class DirectoryCache;
class ErrorGuard;
class FileNameModel;

// The files of one directory whose names match a wildcard pattern, sorted,
// hidden ones left out. A model/view list, so that folders of a hundred
// thousand files stay quick. Its click event comes with a mouse selection and
// with the arrow keys, also for the entry already selected; it always names a
// real entry, and what is highlighted is what it last named.
class FileList : public QListView {
    Q_OBJECT
public:
    FileList(ErrorGuard& errors, DirectoryCache& directories, QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Both refresh the listing. Raise RuntimeError 76, 75 or 68 when the
    // directory cannot be read; the list then keeps its path, pattern and
    // entries.
    void setPath(const QString& path);
    QString pattern() const { return pattern_; }
    void setPattern(const QString& pattern);

    // The selected entry, empty when none is selected.
    QString fileName() const;
    int listIndex() const;
    // Selects entry `index` (-1: none) without raising the click event.
    void setListIndex(int index);

    Event click;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void list(const QString& path, const QString& pattern);
    int listCount() const;
    QString entry(int row) const;
    bool pressedOnEntry_ = false;

    ErrorGuard& errors_;
    DirectoryCache& directories_;
    FileNameModel* model_;
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

} // namespace lumora
