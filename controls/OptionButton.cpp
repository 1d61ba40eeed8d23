#include "controls/OptionButton.h"

namespace lumora {

OptionButton::OptionButton(const QString& caption, QWidget* parent) : QRadioButton(caption, parent)
{
    setAutoExclusive(true);
}

void OptionButton::setValue(bool selected)
{
    if (selected || !isChecked()) {
        setChecked(selected);
        return;
    }
    // Qt refuses to clear the selected button of an exclusive group.
    setAutoExclusive(false);
    setChecked(false);
    setAutoExclusive(true);
}

} // namespace lumora
