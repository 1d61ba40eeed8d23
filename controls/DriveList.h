#pragma once

#include <QComboBox>
#include <functional>

#include "controls/Event.h"
#include "controls/Seams.h"

namespace lumora {

class ErrorGuard;

// The machine's drives, one of them current. Its change event follows every
// change of the current drive, by the user or by code; a set to the drive it
// already shows changes nothing and raises nothing.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    DriveList(ErrorGuard& errors, DriveSource drives, QWidget* parent = nullptr);

    // Reads the drives again; the current drive stays when it is still there.
    void refreshDrives();

    QString drive() const;
    QString driveRoot() const;
    // A drive's text selects that drive; any other text is taken as a full
    // path and selects the drive that the path lies on.
    void setDrive(const QString& textOrPath);

    Event change;

protected:
    // Drives come and go (a stick plugged in): the list is read again each
    // time it opens.
    void showPopup() override;

private:
    void makeCurrent(int index);
    ErrorGuard& errors_;
    DriveSource source_;
    QList<Drive> drives_;
    int current_ = -1;
};

// The drive that `path` lies on among `drives`: the one with the longest
// root that contains it. -1 when none does.
int driveIndexOfPath(const QList<Drive>& drives, const QString& path);

} // namespace lumora
