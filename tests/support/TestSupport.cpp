#include "support/TestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include "settings/frmSettings.h"
#include "support/WindowSupport.h"

namespace lumora::test {

World::World() : previousCurrent_(QDir::currentPath())
{
    dir_.setAutoRemove(true);
    QDir::setCurrent(dir_.path());
    drives = {{QStringLiteral("/ [test]"), QStringLiteral("/")}};
}

World::~World()
{
    runtime_.reset();
    QDir::setCurrent(previousCurrent_);
}

QString World::path(const QString& relative) const
{
    return relative.isEmpty() ? QDir::toNativeSeparators(dir_.path())
                              : QDir::toNativeSeparators(dir_.filePath(relative));
}

QString World::makeDir(const QString& relative) const
{
    QDir(dir_.path()).mkpath(relative);
    return path(relative);
}

QString World::makeFile(const QString& relative, const QByteArray& content) const
{
    QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return full;
}

Seams World::seams()
{
    Seams s;
    s.messageBox = [this](QWidget*, const QString& prompt, const QString& title, int style) {
        messages.push_back({prompt, title, style});
        return 1;
    };
    s.startProcess = [this](const LaunchRequest& request, QString* error) {
        launches.push_back(request);
        if (!launchSucceeds && error)
            *error = QStringLiteral("it was not found on the PATH");
        return launchSucceeds;
    };
    s.drives = [this] { return drives; };
    s.now = [this] { return now; };
    s.endProgram = [this](int code) { endCodes.push_back(code); };
    return s;
}

FormRuntime& World::runtime()
{
    if (!runtime_)
        runtime_ = std::make_unique<FormRuntime>(seams());
    return *runtime_;
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
