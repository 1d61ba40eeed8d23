#include "controls/ComboBox.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include "controls/Cursors.h"
#include "controls/ErrorGuard.h"

namespace lumora {

ComboBox::ComboBox(ErrorGuard& errors, QWidget* parent) : QComboBox(parent), errors_(errors)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    lineEdit()->setCursor(textCursor());
    connect(this, &QComboBox::activated, this, [this](int) { errors_.guard([this] { click.raise(); }); });
}

void ComboBox::addEntry(const QString& text)
{
    // QComboBox chooses the first entry added to an empty list by itself.
    const QSignalBlocker blocker(this);
    const int chosen = currentIndex();
    const QString shown = currentText();
    addItem(text);
    if (chosen < 0) {
        setCurrentIndex(-1);
        setEditText(shown);
    }
}

void ComboBox::setListIndex(int index)
{
    setCurrentIndex(index);
    click.raise();
}

} // namespace lumora
