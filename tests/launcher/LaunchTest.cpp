#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

#include "controls/CheckBox.h"
#include "controls/DirectoryList.h"
#include "controls/FormRuntime.h"
#include "controls/NativeText.h"
#include "controls/OptionButton.h"
#include "launcher/frmMain.h"
#include "settings/frmSettings.h"
#include "support/TestSupport.h"
#include "support/WindowSupport.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace lumora {
namespace {

// Restores the process's PATH however the test ends.
class PathOverride {
public:
    explicit PathOverride(const QString& path) : saved_(qgetenv("PATH")) { qputenv("PATH", path.toLocal8Bit()); }
    ~PathOverride() { qputenv("PATH", saved_); }

private:
    QByteArray saved_;
};

class Launching : public ::testing::Test {
protected:
    // With `realStart`, the process start is the system's own.
    void open(bool realStart)
    {
        Seams seams = world.seams();
        if (realStart)
            seams.startProcess = Seams::system().startProcess;
        runtime = std::make_unique<FormRuntime>(seams);
        w = std::make_unique<frmMain>(*runtime);
        w->Form_Load();
        w->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !runtime->folders.startingUp(); })); // over with the first frame
    }

    // A stand-in emulator on the PATH that writes down each argument it gets,
    // one file per start, complete once it has its final name.
    void installRecordingEmulator()
    {
        const QString bin = world.makeDir("bin");
        const QString out = world.makeDir("started");
        QFile script(bin + "/gravlok.exe");
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        // The count first, so that no arguments and one empty one differ.
        script.write(
            QStringLiteral("#!/bin/sh\n{ echo $#; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '%1/'$$.part\n"
                           "mv '%1/'$$.part '%1/'$$.args\n")
                .arg(out)
                .toLocal8Bit());
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
        path = std::make_unique<PathOverride>(bin + ":" + qEnvironmentVariable("PATH"));
    }

    // The argument lists the emulator was started with, once `count` starts
    // have written theirs (or the wait has given up).
    QList<QStringList> startedWith(int count)
    {
        const QDir out(world.path("started"));
        for (int waited = 0; waited < 10000 && out.entryList({"*.args"}, QDir::Files).size() < count; waited += 20) {
            QCoreApplication::processEvents();
            QThread::msleep(20);
        }
        QList<QStringList> records;
        for (const QString& name : out.entryList({"*.args"}, QDir::Files)) {
            QFile file(out.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            // Bytes that are no valid text stay themselves, as the program keeps names.
            QStringList lines = textFromNative(file.readAll().toStdString()).split('\n');
            lines.removeLast(); // after the final line break
            const qsizetype told = lines.takeFirst().toInt();
            EXPECT_EQ(told, lines.size()) << "an argument holds a line break";
            records.append(lines);
        }
        return records;
    }

    void pick(const QString& folder, const QString& file)
    {
        world.makeFile(folder + "/" + file);
        test::pickGame(*w, world.path(folder), file);
    }

    void pressRun() { QTest::mouseClick(w->cmdRun2, Qt::LeftButton); }

    test::World world;
    std::unique_ptr<PathOverride> path;
    std::unique_ptr<FormRuntime> runtime;
    std::unique_ptr<frmMain> w;
};

struct Case {
    const char* name;
    const char* folder;
    const char* file; // nothing picked when empty
    bool changeOptions;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const QStringList changedSwitches = {"-f1", "-s25", "-v"};

class LaunchCases : public Launching, public ::testing::WithParamInterface<Case> {
protected:
    // Picks and sets up as the case says; returns the selected path.
    QString prepare()
    {
        const Case& c = GetParam();
        QString selected;
        if (*c.file) {
            pick(QString::fromUtf8(c.folder), QString::fromUtf8(c.file));
            selected = world.path(QString::fromUtf8(c.folder) + "/" + QString::fromUtf8(c.file)); // native
        }
        if (c.changeOptions) {
            // Changed on screen, not saved.
            auto& settings = w->settingsWindow();
            settings.optSkip2->setValue(true);
            settings.optScan25->setValue(true);
            settings.chkVsync->setValue(1);
        }
        EXPECT_EQ(w->selectedPath(), selected);
        return selected;
    }

    QStringList expectedArguments(const QString& selected) const
    {
        QStringList arguments;
        if (!selected.isEmpty())
            arguments.append(selected);
        if (GetParam().changeOptions)
            arguments += changedSwitches;
        return arguments;
    }
};

TEST_P(LaunchCases, RequestCarriesPathThenSwitches)
{
    open(false);
    const QString selected = prepare();
    pressRun();

    const std::vector<LaunchRequest> launches = world.launches();
    ASSERT_EQ(launches.size(), 1u);
    const auto& request = launches[0];
    EXPECT_EQ(request.program, "gravlok.exe");
    EXPECT_EQ(test::argumentsOf(request), expectedArguments(selected));
    EXPECT_TRUE(world.messages.empty());
}

TEST_P(LaunchCases, EmulatorReceivesExactlyTheseArguments)
{
#ifdef _WIN32
    GTEST_SKIP() << "a POSIX start through a shell script on the PATH; the start on Windows is the core's WindowsStart "
                    "and the end-to-end test's";
#else
    installRecordingEmulator();
    open(true);
    const QString selected = prepare();
    pressRun();

    const QList<QStringList> started = startedWith(1);
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0], expectedArguments(selected));
    EXPECT_TRUE(world.messages.empty());
#endif
}

INSTANTIATE_TEST_SUITE_P(Main, LaunchCases,
                         ::testing::Values(Case{"plain", "games", "a.zip", false},
                                           Case{"blanks", "Game Dir", "My Game.zip", false},
                                           Case{"switchInName", "games", "x -v -noanalyse.zip", false},
                                           Case{"nothingPicked", "", "", false},
                                           Case{"unsavedOptions", "games", "a.zip", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Launching, EachPressStartsTheEmulatorAgain)
{
#ifdef _WIN32
    GTEST_SKIP() << "a POSIX start through a shell script on the PATH; the start on Windows is the core's WindowsStart "
                    "and the end-to-end test's";
#else
    installRecordingEmulator();
    open(true);
    pick("games", "a.zip");
    pressRun();
    pressRun();
    const QList<QStringList> started = startedWith(2);
    ASSERT_EQ(started.size(), 2);
    EXPECT_EQ(started[0], QStringList{world.path("games/a.zip")});
    EXPECT_EQ(started[1], started[0]);
#endif
}

TEST_F(Launching, OpeningThePickedGameInTheListRunsIt)
{
    open(false);
    pick("games", "a.zip");
    emit w->filFiles->doubleClicked(w->filFiles->currentIndex());
    QTest::keyClick(w->filFiles, Qt::Key_Return);
    const std::vector<LaunchRequest> launches = world.launches();
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(test::argumentsOf(launches[1]), QStringList{world.path("games/a.zip")});
}

TEST_F(Launching, AGameWhoseNameIsNoValidTextReachesTheEmulatorByteForByte)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows names files in UTF-16: every name is valid text";
#else
    installRecordingEmulator();
    open(true);
    const std::string file = QFile::encodeName(world.makeDir("games")).toStdString() + "/Caf\xE9.zip";
    const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY, 0666);
    ASSERT_GE(fd, 0);
    ::close(fd);
    test::pickGame(*w, world.path("games"), QStringLiteral("Caf\uFFFD.zip"));
    pressRun();

    const QList<QStringList> started = startedWith(1);
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0], QStringList{textFromNative(file)});
#endif
}

TEST_F(Launching, AnEmulatorNotThereOrNotRunnableIsReportedAsSuchAndTheProgramGoesOn)
{
#ifdef _WIN32
    GTEST_SKIP() << "a POSIX start through a shell script on the PATH; the start on Windows is the core's WindowsStart "
                    "and the end-to-end test's";
#else
    const QString bin = world.makeDir("bin");
    PathOverride onlyHere(bin);
    open(true);
    pick("games", "a.zip");
    const std::pair<const char*, const char*> cases[] = {
        {"missing", "it was not found on the PATH"},
        {"not executable", "cannot be run (Permission denied)"},
    };
    for (const auto& [what, reason] : cases) {
        SCOPED_TRACE(what);
        if (QString(what) == "not executable")
            world.makeFile("bin/gravlok.exe", "#!/bin/sh\n"); // made without any execute bit
        world.messages.clear();
        pressRun();
        ASSERT_EQ(world.messages.size(), 1u);
        EXPECT_TRUE(world.messages[0].prompt.contains("gravlok.exe")) << world.messages[0].prompt.toStdString();
        EXPECT_TRUE(world.messages[0].prompt.contains(reason)) << world.messages[0].prompt.toStdString();
        EXPECT_EQ(world.messages[0].style, style::Exclamation);
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(world.endCodes.empty());
        EXPECT_FALSE(runtime->errors.ended());
    }
#endif
}

} // namespace
} // namespace lumora
