#pragma once

#include <QRadioButton>

namespace lumora {

// An option button, exclusive among the buttons of its container. Code may
// clear a selected button and so leave its group with none selected; a user
// cannot.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(const QString& caption, QWidget* parent = nullptr);
    bool value() const { return isChecked(); }
    void setValue(bool selected);
};

} // namespace lumora
