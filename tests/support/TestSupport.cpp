#include "support/TestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <optional>
#ifdef _WIN32
#include <windows.h>
#endif
#ifdef __linux__
#include <sys/fsuid.h>
#include <unistd.h>
#endif

#include "controls/DriveList.h"
#include "controls/NativeText.h"
#include "controls/PictureBox.h"
#include "core/Launch.h"
#include "core/SettingsRecords.h"
#include "core/platform/Mounts.h"
#include "settings/frmSettings.h"
#include "support/WindowSupport.h"

namespace lumora::test {

World::World() : previousCurrent_(QDir::currentPath())
{
    dir_.setAutoRemove(true);
    QDir::setCurrent(dir_.path());
    drives = {{QStringLiteral("/ [test]"), rootPath()}};
}

World::~World()
{
    gate->release(); // workers it holds keep it alive, and would wait for ever
    runtime_.reset();
    QDir::setCurrent(previousCurrent_);
}

QString World::path(const QString& relative) const
{
    return relative.isEmpty() ? QDir::toNativeSeparators(dir_.path())
                              : QDir::toNativeSeparators(dir_.filePath(relative));
}

namespace {

void hideWhereDotted(const QString& full)
{
#ifdef _WIN32
    if (QFileInfo(full).fileName().startsWith(QLatin1Char('.')))
        SetFileAttributesW(reinterpret_cast<const wchar_t*>(full.utf16()), FILE_ATTRIBUTE_HIDDEN);
#else
    (void)full;
#endif
}

} // namespace

QString rootPath() { return QDir::toNativeSeparators(QDir::rootPath()); }

QString World::makeDir(const QString& relative) const
{
    QDir(dir_.path()).mkpath(relative);
    hideWhereDotted(path(relative));
    return path(relative);
}

QString World::makeFile(const QString& relative, const QByteArray& content) const
{
    QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    file.close();
    hideWhereDotted(full);
    return full;
}

void Gate::hold(const QString& path)
{
    const std::lock_guard lock(mutex_);
    held_.insert(nativeFromText(path));
}

void Gate::fail(const QString& path)
{
    const std::lock_guard lock(mutex_);
    failed_.insert(nativeFromText(path));
}

void Gate::release()
{
    {
        const std::lock_guard lock(mutex_);
        held_.clear();
    }
    released_.notify_all();
}

int Gate::waiting() const
{
    const std::lock_guard lock(mutex_);
    return waiting_;
}

int Gate::passes(const QString& path) const
{
    const std::lock_guard lock(mutex_);
    const auto found = passes_.find(nativeFromText(path));
    return found == passes_.end() ? 0 : found->second;
}

void Gate::pass(const std::string& path)
{
    std::unique_lock lock(mutex_);
    ++passes_[path];
    ++waiting_;
    released_.wait(lock, [&] { return held_.count(path) == 0; });
    --waiting_;
    if (failed_.count(path) != 0)
        throw RuntimeError(err::DeviceUnavailable, path);
}

Seams World::seams()
{
    Seams s;
    s.messageBox = [this](QWidget*, const QString& prompt, const QString& title, int style) {
        messages.push_back({prompt, title, style});
        return 1;
    };
    // These run on workers, which may outlive the world: they keep what they
    // use.
    s.startProcess = [starts = starts_, gate = gate](const LaunchRequest& request, QString* error) {
        gate->pass(nativeFromText(request.program));
        const std::lock_guard lock(starts->mutex);
        starts->requests.push_back(request);
        if (!starts->succeed && error)
            *error = QStringLiteral("it was not found on the PATH");
        return starts->succeed;
    };
    s.drives = [drives = drives] { return drives; };
    s.askDrive = [gate = gate](const QString& root) {
        gate->pass(nativeFromText(root));
        return DriveAnswer{};
    };
    // A link's target is a look-up of its own, held where its path is.
    s.readFolder = [gate = gate](const std::string& directory) {
        gate->pass(directory);
        return readDirectory(directory, [gate](const std::string& target) {
            gate->pass(target);
            return platform::isFolder(target);
        });
    };
    s.loadPicture = [gate = gate, looked = lookedUp_](const std::string& path, const StopFlag& stop) {
        {
            const std::lock_guard lock(looked->mutex);
            looked->paths.push_back(path);
        }
        gate->pass(path);
        return loadPicture(path, &stop);
    };
    s.now = [this] { return now; };
    s.endProgram = [this](int code) { endCodes.push_back(code); };
    return s;
}

QByteArray World::settingsBytes() const
{
    QFile file(path(QString::fromLatin1(settingsFileName)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

#ifdef __linux__
OrdinaryUserFiles::OrdinaryUserFiles(const World& world) : root_(::geteuid() == 0)
{
    QFile::setPermissions(world.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                            QFile::WriteOther | QFile::ExeOther);
    if (root_) {
        ::setfsgid(65534);
        ::setfsuid(65534);
    }
}

OrdinaryUserFiles::~OrdinaryUserFiles()
{
    if (root_) {
        ::setfsuid(0);
        ::setfsgid(0);
    }
}
#else
// Elsewhere the suite runs with an ordinary user's rights already.
OrdinaryUserFiles::OrdinaryUserFiles(const World&) : root_(false) {}
OrdinaryUserFiles::~OrdinaryUserFiles() = default;
#endif

std::vector<std::string> World::picturesLookedUp() const
{
    const std::lock_guard lock(lookedUp_->mutex);
    return lookedUp_->paths;
}

std::vector<LaunchRequest> World::launches() const
{
    const std::lock_guard lock(starts_->mutex);
    return starts_->requests;
}

void World::setLaunchSucceeds(bool succeeds)
{
    const std::lock_guard lock(starts_->mutex);
    starts_->succeed = succeeds;
}

FormRuntime& World::runtime()
{
    if (!runtime_) {
        runtime_ = std::make_unique<FormRuntime>(seams());
        // As the program once its start-up is over: each read may take a
        // moment before a list shows that it waits.
        runtime_->folders.startUpOver();
    }
    return *runtime_;
}

void knowDrives(FormRuntime& runtime)
{
    runtime.drives.refresh();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !runtime.drives.drives().isEmpty(); }, 20000));
}

bool listsSettle(const frmMain& window)
{
    return QTest::qWaitFor([&] { return !window.dirDirectory->reading() && !window.filFiles->reading(); }, 20000);
}

void startUp(frmMain& window)
{
    window.Form_Load();
    EXPECT_TRUE(listsSettle(window));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.drvDrive->count() > 0; }, 20000));
}

bool save(frmMain& window)
{
    std::optional<bool> saved;
    window.SaveRecord([&](bool done) { saved = done; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return saved.has_value(); }, 20000));
    return saved.value_or(false);
}

QStringList argumentsOf(const LaunchRequest& request)
{
    QStringList words;
    if (!request.path.isEmpty())
        words.append(request.path);
    return words + request.switches.split(u' ', Qt::SkipEmptyParts);
}

QStringList shownEntries(const QAbstractItemView& view)
{
    QStringList shown;
    for (int row = 0; row < view.model()->rowCount(); ++row)
        shown.append(view.model()->index(row, 0).data().toString());
    return shown;
}

int liveSettingsWindows()
{
    int count = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        const auto* window = qobject_cast<frmSettings*>(top);
        count += window && top->objectName() == QLatin1String("frmSettings") && !window->unloaded();
    }
    return count;
}

} // namespace lumora::test
