#pragma once

#include <QComboBox>

#include "controls/Event.h"

namespace lumora {

class ErrorGuard;

// A drop-down with an editable text field whose click event comes both with
// the user's choice and with every set of the list index by code, the
// current one included.
class ComboBox : public QComboBox {
    Q_OBJECT
public:
    ComboBox(ErrorGuard& errors, QWidget* parent = nullptr);

    // Appends an entry without choosing it: the text field keeps its text
    // until an entry is chosen.
    void addEntry(const QString& text);
    int listIndex() const { return currentIndex(); }
    void setListIndex(int index);

    Event click;

private:
    ErrorGuard& errors_;
};

} // namespace lumora
