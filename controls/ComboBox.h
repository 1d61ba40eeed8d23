#pragma once

#include <QComboBox>

#include "controls/Event.h"

namespace lumora {

class FormRuntime;

// A drop-down with an editable text field whose click event comes both with
// the user's choice and with every set of the list index by code, the
// current one included.
class ComboBox : public QComboBox {
    Q_OBJECT
public:
    ComboBox(FormRuntime& runtime, QWidget* parent = nullptr);

    // Appends an entry without choosing it: the text field keeps its text
    // until an entry is chosen.
    void addEntry(const QString& text);
    int listIndex() const { return currentIndex(); }
    void setListIndex(int index);

    Event click;

private:
    FormRuntime& runtime_;
};

} // namespace lumora
