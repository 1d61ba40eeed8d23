#include "controls/DriveList.h"

#include <QSignalBlocker>
#include <QTimer>

#include "controls/DriveTable.h"
#include "controls/ErrorGuard.h"
#include "controls/NativeText.h"

namespace lumora {

DriveList::DriveList(ErrorGuard& errors, DriveTable& drives, const QString& startDirectory, QWidget* parent)
    : QComboBox(parent), errors_(errors), drives_(drives), startDirectory_(startDirectory)
{
    connect(&drives_, &DriveTable::changed, this, &DriveList::follow);
    connect(this, &QComboBox::activated, this, [this](int index) {
        errors_.guard([this, index] {
            if (index >= 0 && index < drives_.drives().size() && drives_.drives()[index].root == currentRoot_)
                reselect.raise();
            else
                makeCurrent(index);
        });
    });
    follow();
    // Asked once the window is up: nothing of it stands in the way of the
    // first frame.
    QTimer::singleShot(0, this, [this] { errors_.guard([this] { drives_.refresh(); }); });
}

void DriveList::follow()
{
    const QList<Drive>& drives = drives_.drives();
    if (!started_ && !drives.isEmpty()) {
        // The runtime starts the list on the drive of the current directory.
        started_ = true;
        const int start = drives_.indexOfPath(startDirectory_);
        currentRoot_ = drives[start >= 0 ? start : 0].root;
    }
    const QSignalBlocker blocker(this);
    clear();
    int current = -1;
    for (int i = 0; i < drives.size(); ++i) {
        addItem(displayText(drives[i].text));
        if (drives[i].root == currentRoot_)
            current = i;
    }
    setCurrentIndex(current);
}

QString DriveList::drive() const
{
    for (const Drive& d : drives_.drives())
        if (d.root == currentRoot_)
            return d.text;
    return QString();
}

void DriveList::setDrive(const QString& textOrPath)
{
    int index = drives_.indexOfText(textOrPath);
    if (index < 0)
        index = drives_.indexOfPath(textOrPath);
    if (index < 0)
        throw RuntimeError(err::DeviceUnavailable, nativeFromText(textOrPath));
    makeCurrent(index);
}

void DriveList::showFirstDrive()
{
    const QList<Drive>& drives = drives_.drives();
    if (drives.isEmpty())
        return;
    const QSignalBlocker blocker(this);
    setCurrentIndex(0);
    currentRoot_ = drives[0].root;
}

void DriveList::showPopup()
{
    errors_.guard([this] { drives_.refresh(DriveTable::tableWithin); });
    QComboBox::showPopup();
}

void DriveList::makeCurrent(int index)
{
    const QList<Drive>& drives = drives_.drives();
    if (index < 0 || index >= drives.size())
        return;
    setCurrentIndex(index);
    if (drives[index].root == currentRoot_)
        return;
    currentRoot_ = drives[index].root;
    change.raise();
}

} // namespace lumora
