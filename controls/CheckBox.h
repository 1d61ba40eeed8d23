#pragma once

#include <QCheckBox>

namespace lumora {

// A check box whose Value is 0 (unchecked), 1 (checked) or 2 (grey). A click
// only switches between 0 and 1, and a grey box clicked becomes unchecked;
// only code makes it grey.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(const QString& caption, QWidget* parent = nullptr);
    int value() const;
    // Values other than 0, 1 and 2 count as 0.
    void setValue(int value);

protected:
    void nextCheckState() override;
};

} // namespace lumora
