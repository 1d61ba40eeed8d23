#pragma once

#include <QComboBox>

#include "controls/Event.h"

namespace lumora {

class DriveTable;
class ErrorGuard;

// The machine's drives, one of them current. Its change event follows every
// change of the current drive, by the user or by code; a set to the drive it
// already shows changes nothing and raises nothing. The drives come from the
// shared table as it learns them; until then the list is empty.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    // Starts on the drive that `startDirectory` lies on, once it is known.
    DriveList(ErrorGuard& errors, DriveTable& drives, const QString& startDirectory, QWidget* parent = nullptr);

    QString drive() const;
    QString driveRoot() const { return currentRoot_; }
    // A drive's text selects that drive; any other text is taken as a full
    // path and selects the drive that the path lies on. Raises RuntimeError
    // 68 when no drive is meant.
    void setDrive(const QString& textOrPath);
    // Shows the first drive it can, and raises nothing: where the folder
    // shown lies on no drive there is now.
    void showFirstDrive();

    Event change;
    // The user chose the drive the list already shows, which changes nothing
    // of the drive list itself.
    Event reselect;

    // Drives come and go (a stick plugged in): the table is read again each
    // time the list opens, and this opening shows it.
    void showPopup() override;

private:
    void follow();
    void makeCurrent(int index);

    ErrorGuard& errors_;
    DriveTable& drives_;
    QString startDirectory_;
    QString currentRoot_;
    bool started_ = false;
};

} // namespace lumora
