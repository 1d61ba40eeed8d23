#include "controls/SystemDrives.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>

namespace lumora {

QString driveText(const QString& root, const QString& label)
{
    // Always bracketed, so that a drive's text never reads as a plain path:
    // setting the directory list to "/" means the root, setting it to the
    // drive's text means the drive's current directory.
    return QStringLiteral("%1 [%2]").arg(root, label.isEmpty() ? QStringLiteral("disk") : label);
}

namespace {

// File systems that never hold a user's games: kernel views, memory-backed
// scratch space, container layers and packaged read-only images.
bool isSystemFileSystem(const QByteArray& type)
{
    static const QSet<QByteArray> skipped = {
        "proc",     "sysfs",      "devtmpfs",   "devpts",    "tmpfs",       "overlay",         "squashfs",
        "cgroup",   "cgroup2",    "securityfs", "pstore",    "bpf",         "debugfs",         "tracefs",
        "configfs", "fusectl",    "mqueue",     "hugetlbfs", "autofs",      "binfmt_misc",     "efivarfs",
        "ramfs",    "rpc_pipefs", "nsfs",       "selinuxfs", "fuse.portal", "fuse.gvfsd-fuse", "nfsd"};
    return skipped.contains(type);
}

} // namespace

QList<Drive> systemDrives()
{
    QList<Drive> drives;
#ifdef Q_OS_WIN
    for (const QFileInfo& info : QDir::drives()) {
        const QString root = QDir::toNativeSeparators(info.absoluteFilePath());
        const QStorageInfo storage(root);
        drives.append({driveText(root, storage.name()), root});
    }
#else
    QList<Drive> others;
    QString rootLabel;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const QString root = storage.rootPath();
        if (root == QLatin1String("/")) {
            rootLabel = storage.name().isEmpty() ? QString::fromLatin1(storage.fileSystemType()) : storage.name();
            continue;
        }
        if (!storage.isValid() || isSystemFileSystem(storage.fileSystemType()))
            continue;
        // Bind mounts of single files (containers mount /etc/hosts so) are
        // not places to browse.
        if (!QFileInfo(root).isDir())
            continue;
        const QString label = storage.name().isEmpty() ? QString::fromLatin1(storage.fileSystemType()) : storage.name();
        others.append({driveText(root, label), root});
    }
    std::sort(others.begin(), others.end(), [](const Drive& a, const Drive& b) { return a.root < b.root; });
    // "/" always comes first, whatever it is mounted as.
    drives.append({driveText(QStringLiteral("/"), rootLabel), QStringLiteral("/")});
    for (const Drive& d : others)
        if (std::none_of(drives.begin(), drives.end(), [&](const Drive& x) { return x.root == d.root; }))
            drives.append(d);
#endif
    return drives;
}

} // namespace lumora
