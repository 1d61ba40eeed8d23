#include "controls/DriveList.h"

#include <QDir>
#include <QSignalBlocker>

#include "controls/ErrorGuard.h"
#include "controls/NativeText.h"
#include "core/PathRules.h"

namespace lumora {

int driveIndexOfPath(const QList<Drive>& drives, const QString& path)
{
    std::vector<std::string> roots;
    roots.reserve(std::size_t(drives.size()));
    for (const Drive& d : drives)
        roots.push_back(nativeFromText(QDir::toNativeSeparators(d.root)));
    const std::string root = longestMatchingRoot(nativeFromText(QDir::toNativeSeparators(path)), roots);
    if (root.empty())
        return -1;
    for (int i = 0; i < drives.size(); ++i)
        if (roots[std::size_t(i)] == root)
            return i;
    return -1;
}

DriveList::DriveList(ErrorGuard& errors, DriveSource drives, QWidget* parent)
    : QComboBox(parent), errors_(errors), source_(std::move(drives))
{
    refreshDrives();
    // The runtime starts the list on the drive of the current directory.
    const int start = driveIndexOfPath(drives_, currentDirectoryText());
    current_ = start >= 0 ? start : (drives_.isEmpty() ? -1 : 0);
    setCurrentIndex(current_);
    connect(this, &QComboBox::activated, this,
            [this](int index) { errors_.guard([this, index] { makeCurrent(index); }); });
}

void DriveList::refreshDrives()
{
    const QString was = drive();
    drives_ = source_();
    const QSignalBlocker blocker(this);
    clear();
    for (const Drive& d : drives_)
        addItem(d.text);
    current_ = -1;
    for (int i = 0; i < drives_.size(); ++i)
        if (drives_[i].text == was)
            current_ = i;
    setCurrentIndex(current_);
}

QString DriveList::drive() const
{
    return current_ >= 0 && current_ < drives_.size() ? drives_[current_].text : QString();
}

QString DriveList::driveRoot() const
{
    return current_ >= 0 && current_ < drives_.size() ? drives_[current_].root : QString();
}

void DriveList::setDrive(const QString& textOrPath)
{
    int index = -1;
    for (int i = 0; i < drives_.size() && index < 0; ++i)
        if (drives_[i].text == textOrPath)
            index = i;
    if (index < 0)
        index = driveIndexOfPath(drives_, textOrPath);
    if (index < 0)
        throw RuntimeError(err::DeviceUnavailable, textOrPath.toStdString());
    makeCurrent(index);
}

void DriveList::showPopup()
{
    refreshDrives();
    QComboBox::showPopup();
}

void DriveList::makeCurrent(int index)
{
    if (index == current_) {
        setCurrentIndex(current_);
        return;
    }
    current_ = index;
    setCurrentIndex(index);
    change.raise();
}

} // namespace lumora
