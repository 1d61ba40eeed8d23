#pragma once

#include <QObject>

namespace lumora {

// While one lives, the program's windows take no input, so that what the
// user does meanwhile cannot come between the steps of work that ends on a
// worker; they go on painting, and the wait cursor says why. A close through
// the main window's frame still ends the program.
class InputHold : public QObject {
    Q_OBJECT
public:
    // `keepClosable` may still be closed through its frame.
    explicit InputHold(QObject* keepClosable);
    ~InputHold() override;
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QObject* keepClosable_;
};

} // namespace lumora
