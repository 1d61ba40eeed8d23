#pragma once
// Recording seams and a scratch folder for the GUI tests: nothing blocks on a
// modal box, no program is started, and no test sees the machine's own
// drives, home folder or current directory.

#include <QDateTime>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "controls/FormRuntime.h"
#include "controls/Seams.h"
#include "support/ErrorNumber.h"

class QAbstractItemView;
class QWidget;

namespace lumora {
class frmMain;
}

// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace lumora::test {

struct Message {
    QString prompt;
    QString title;
    int style = 0;
};

// Holds the work on chosen paths until released, as a mount that does not
// answer holds whoever asks it; or fails it, as a dead one does. Workers keep
// it alive, and its end lets them all go.
class Gate {
public:
    ~Gate() { release(); }
    void hold(const QString& path);
    void fail(const QString& path);
    void release();
    // How many are held now.
    int waiting() const;
    // How many have passed for `path`, held or not.
    int passes(const QString& path) const;

    // Run by a worker about to work on `path`: returns once it may go on,
    // raising RuntimeError 68 for a failed path.
    void pass(const std::string& path);

private:
    mutable std::mutex mutex_;
    std::condition_variable released_;
    std::set<std::string> held_;
    std::set<std::string> failed_;
    std::map<std::string, int> passes_;
    int waiting_ = 0;
};

// A scratch folder that is the process's current directory while it lives,
// with seams that record instead of acting.
class World {
public:
    World();
    ~World();

    QString path(const QString& relative = {}) const; // inside the scratch folder, native
    // A name that begins with a dot is made hidden as the system hides
    // files: by the dot itself on POSIX systems, by an attribute on Windows.
    QString makeDir(const QString& relative) const;
    QString makeFile(const QString& relative, const QByteArray& content = {}) const;

    Seams seams();
    FormRuntime& runtime(); // created on first use from seams()
    // The settings file as it is on disk now.
    QByteArray settingsBytes() const;

    std::vector<Message> messages;
    std::vector<int> endCodes;
    // What the drive list sees, as the runtime is made; by default one drive
    // at the scratch root.
    QList<Drive> drives;
    QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(12, 0));
    // Folder reads (and each link's target), drive questions, picture
    // look-ups and program starts pass it first.
    std::shared_ptr<Gate> gate = std::make_shared<Gate>();

    // The program starts asked for so far, which the workers record.
    std::vector<LaunchRequest> launches() const;
    // The picture files looked up so far, in the order their look-ups began.
    std::vector<std::string> picturesLookedUp() const;
    void setLaunchSucceeds(bool succeeds);

private:
    struct Starts {
        std::mutex mutex;
        std::vector<LaunchRequest> requests;
        bool succeed = true;
    };
    QTemporaryDir dir_;
    QString previousCurrent_;
    struct LookedUp {
        std::mutex mutex;
        std::vector<std::string> paths;
    };
    std::shared_ptr<Starts> starts_ = std::make_shared<Starts>();
    std::shared_ptr<LookedUp> lookedUp_ = std::make_shared<LookedUp>();
    std::unique_ptr<FormRuntime> runtime_;
};

// While one lives, this thread and the workers it starts reach files with the
// rights of an ordinary user ("nobody"), so that permissions bind even when
// the suite runs as root; the world's folder is opened to all meanwhile.
class OrdinaryUserFiles {
public:
    explicit OrdinaryUserFiles(const World& world);
    ~OrdinaryUserFiles();
    OrdinaryUserFiles(const OrdinaryUserFiles&) = delete;
    OrdinaryUserFiles& operator=(const OrdinaryUserFiles&) = delete;

private:
    bool root_;
};

// The root of the drive the scratch folders lie on, native ("/", "C:\\").
QString rootPath();

// Reads the drives table and waits for it.
void knowDrives(FormRuntime& runtime);
// Runs the start-up and waits until its lists hold their folders and the
// drives are known.
void startUp(frmMain& window);
// Until the lists hold what they were last set to.
bool listsSettle(const frmMain& window);
// Saves as "Exit" and "Close and Save" do, and waits for the outcome.
bool save(frmMain& window);

// The arguments a POSIX system hands the emulator for `request`: the path as
// one argument (none when empty), then each switch.
QStringList argumentsOf(const LaunchRequest& request);

// What a list view shows, row by row.
QStringList shownEntries(const QAbstractItemView& view);

} // namespace lumora::test
