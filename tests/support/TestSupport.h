#pragma once
// Recording seams and a scratch folder for the GUI tests: nothing blocks on a
// modal box, no program is started, and no test sees the machine's own
// drives, home folder or current directory.

#include <QDateTime>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <ostream>
#include <vector>

#include "controls/FormRuntime.h"
#include "controls/Seams.h"
#include "support/ErrorNumber.h"

class QAbstractItemView;
class QWidget;

// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace lumora::test {

struct Message {
    QString prompt;
    QString title;
    int style = 0;
};

// A scratch folder that is the process's current directory while it lives,
// with seams that record instead of acting.
class World {
public:
    World();
    ~World();

    QString path(const QString& relative = {}) const; // inside the scratch folder
    QString makeDir(const QString& relative) const;
    QString makeFile(const QString& relative, const QByteArray& content = {}) const;

    Seams seams();
    FormRuntime& runtime(); // created on first use from seams()

    std::vector<Message> messages;
    std::vector<LaunchRequest> launches;
    std::vector<int> endCodes;
    QList<Drive> drives; // what the drive list sees; by default one drive at the scratch root
    bool launchSucceeds = true;
    QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(12, 0));

private:
    QTemporaryDir dir_;
    QString previousCurrent_;
    std::unique_ptr<FormRuntime> runtime_;
};

// What a list view shows, row by row.
QStringList shownEntries(const QAbstractItemView& view);

} // namespace lumora::test
