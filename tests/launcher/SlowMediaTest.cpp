// Folders, drives and programs on media that answer late or never: the
// windows go on, and whatever comes late lands as a set would have landed.

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

#include "controls/DirectoryList.h"
#include "controls/DriveList.h"
#include "controls/FileList.h"
#include "controls/FormRuntime.h"
#include "controls/NativeText.h"
#include "controls/PictureBox.h"
#include "core/SettingsRecords.h"
#include "core/Worker.h"
#include "launcher/frmMain.h"
#include "settings/frmSettings.h"
#include "support/TestSupport.h"
#include "support/WindowSupport.h"

namespace lumora {
namespace {

using test::shownEntries;

class SlowMedia : public ::testing::Test {
protected:
    SlowMedia()
    {
        for (const char* name : {"games/a.zip", "games/b.zip", "other/c.zip", "far/d.zip"})
            world.makeFile(QString::fromLatin1(name));
        games = world.path("games");
        other = world.path("other");
        far = world.path("far");
    }

    void open()
    {
        w = std::make_unique<frmMain>(world.runtime());
        test::startUp(*w);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    test::World world;
    QString games, other, far;
    std::unique_ptr<frmMain> w;
};

TEST_F(SlowMedia, AStoredFolderThatDoesNotAnswerHoldsUpNoStartUp)
{
    {
        frmMain first(world.runtime());
        first.Form_Load();
        first.dirDirectory->setPath(games);
        ASSERT_TRUE(test::save(first));
    }
    world.gate->hold(games);
    frmMain w(world.runtime());
    w.Form_Load();
    EXPECT_EQ(w.sparkleFlag(), 1); // the start-up is over
    EXPECT_TRUE(w.dirDirectory->reading());
    EXPECT_EQ(w.dirDirectory->path(), world.path());

    world.gate->release();
    ASSERT_TRUE(test::listsSettle(w));
    EXPECT_EQ(w.dirDirectory->path(), games);
    EXPECT_EQ(w.filFiles->path(), games);
    EXPECT_EQ(shownEntries(*w.filFiles), (QStringList{"a.zip", "b.zip"}));
}

// What the user chose is what is saved: a stored folder whose read is still
// on its way, never ends or failed stays the stored folder; the reload after
// "Close and Save" takes over the read on its way instead of beginning anew.
TEST(SlowMediaStart, TheStoredFolderStaysStoredWhateverItsReadDoes)
{
    enum class Read { OnItsWay, Failed };
    enum class Then { Exit, CloseAndSave };
    const struct {
        const char* what;
        Read read;
        Then then;
    } cases[] = {{"on its way, Exit", Read::OnItsWay, Then::Exit},
                 {"failed, Exit", Read::Failed, Then::Exit},
                 {"on its way, Close and Save", Read::OnItsWay, Then::CloseAndSave},
                 {"failed, Close and Save", Read::Failed, Then::CloseAndSave}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::World world;
        const QString games = world.makeDir("games");
        const auto storedFolder = [&] {
            const QByteArray slot = world.settingsBytes().mid(256, 128);
            return QString::fromUtf8(slot.mid(2, quint8(slot[0]) | quint8(slot[1]) << 8));
        };
        {
            QFile ini(world.path(settingsFileName));
            ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
            ini.write(QByteArray(256, '\0') + char(games.size()) + '\0' + games.toUtf8());
        }
        world.gate->hold(games);
        if (c.read == Read::Failed)
            world.gate->fail(games);
        frmMain w(world.runtime());
        w.Form_Load();
        if (c.read == Read::Failed) {
            world.gate->release();
            ASSERT_TRUE(test::listsSettle(w));
        }
        EXPECT_EQ(w.dirDirectory->path(), world.path());
        if (c.then == Then::Exit) {
            w.cmdExit_Click();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !world.endCodes.empty(); }));
        } else {
            w.settingsWindow().cmdClose_Click();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !w.settingsWindow().isVisible(); }));
            ASSERT_TRUE(test::save(w)); // the reload's read is on its way or has failed: still stored
        }
        EXPECT_EQ(storedFolder(), games);
        if (c.then == Then::CloseAndSave && c.read == Read::OnItsWay) {
            world.gate->release();
            ASSERT_TRUE(test::listsSettle(w));
            EXPECT_EQ(w.dirDirectory->path(), games);
            EXPECT_EQ(world.gate->passes(games), 1); // one read, taken over by the reload
        }
        EXPECT_TRUE(world.messages.empty());
    }
}

TEST_F(SlowMedia, AGreyedListTakesNoClicksWhileRunStartsTheGamePickedBefore)
{
    open();
    w->dirDirectory->setPath(games);
    test::clickFile(*w->filFiles, "a.zip");
    world.gate->hold(other);
    w->dirDirectory->setPath(other); // as opening it does
    ASSERT_TRUE(w->dirDirectory->reading());
    const QStringList waiting = shownEntries(*w->dirDirectory);

    const QRect top = w->dirDirectory->visualRect(w->dirDirectory->model()->index(0, 0));
    QTest::mouseDClick(w->dirDirectory->viewport(), Qt::LeftButton, {}, top.center()); // greyed: opens nothing
    test::clickFile(*w->filFiles, "b.zip");                                            // a pick of what is on screen
    QTest::mouseClick(w->cmdRun2, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return world.launches().size() == 1; }));
    EXPECT_EQ(test::argumentsOf(world.launches()[0]), QStringList{world.path("games/b.zip")});
    EXPECT_EQ(shownEntries(*w->dirDirectory), waiting);
    EXPECT_EQ(w->dirDirectory->path(), games);

    world.gate->release();
    ASSERT_TRUE(test::listsSettle(*w));
    EXPECT_EQ(w->dirDirectory->path(), other);
    EXPECT_EQ(shownEntries(*w->filFiles), QStringList{"c.zip"});
    EXPECT_EQ(w->selectedPath(), world.path("games/b.zip"));
}

TEST_F(SlowMedia, ChoosingTheDriveShownAgainLeavesAFolderThatDoesNotAnswer)
{
    open();
    w->dirDirectory->setPath(games);
    world.gate->hold(other);
    w->dirDirectory->setPath(other);
    ASSERT_TRUE(w->dirDirectory->reading());
    emit w->drvDrive->activated(w->drvDrive->currentIndex());
    EXPECT_FALSE(w->dirDirectory->reading());
    EXPECT_EQ(w->dirDirectory->path(), games);
}

TEST_F(SlowMedia, ANewerSetDropsAReadStillOnItsWay)
{
    open();
    int changes = 0;
    w->dirDirectory->change.setHandler([&] {
        ++changes;
        w->dirDirectory_Change();
    });
    world.gate->hold(other);
    w->dirDirectory->setPath(other);
    w->dirDirectory->setPath(far);
    EXPECT_FALSE(w->dirDirectory->reading());
    world.gate->release();
    ASSERT_TRUE(QTest::qWaitFor([] { return workersRunning() == 0; }));
    QCoreApplication::processEvents(); // what the dropped read sent back
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(w->dirDirectory->path(), far);
    EXPECT_EQ(shownEntries(*w->filFiles), QStringList{"d.zip"});
}

TEST_F(SlowMedia, ADriveThatFailsLateGetsItsErrorThen)
{
    world.drives.append({QStringLiteral("late [test]"), far});
    open();
    w->dirDirectory->setPath(games);
    world.gate->hold(far + QDir::separator());
    world.gate->fail(far + QDir::separator());
    const int late = w->drvDrive->findText("late [test]");
    w->drvDrive->setCurrentIndex(late);
    emit w->drvDrive->activated(late);
    EXPECT_TRUE(world.messages.empty());

    world.gate->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !world.messages.empty(); }));
    EXPECT_EQ(world.messages[0].prompt, "Drive Error!");
    ASSERT_TRUE(test::listsSettle(*w));
    EXPECT_EQ(w->drvDrive->currentText(), world.drives[0].text);
    EXPECT_EQ(w->dirDirectory->path(), games);
    EXPECT_TRUE(world.endCodes.empty());
}

TEST_F(SlowMedia, AMountThatNeverAnswersHoldsNothingUpAndSaysSo)
{
    const QString hung = world.makeDir("nas");
    world.drives.append({QStringLiteral("nas [cifs]"), hung});
    world.gate->hold(hung);
    open();
    w->dirDirectory->setPath(other);
    EXPECT_EQ(shownEntries(*w->filFiles), QStringList{"c.zip"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->drvDrive->findText(hung + " [not responding]") >= 0; }));
    EXPECT_EQ(w->drvDrive->currentText(), world.drives[0].text);
}

// A link whose target does not answer is listed as not responding, and the
// rest of its folder at once; it takes its place when it answers.
TEST_F(SlowMedia, ALinkThatDoesNotAnswerHoldsUpNothing)
{
    const QString share = world.makeDir("share/sub");
    std::error_code made;
    std::filesystem::create_directory_symlink(std::filesystem::path(world.path("share").toStdWString()),
                                              std::filesystem::path(world.path("games/nas").toStdWString()), made);
    if (made)
        GTEST_SKIP() << "no symbolic link can be made here: " << made.message();
    world.gate->hold(world.path("games/nas"));
    open();
    w->dirDirectory->setPath(games);
    ASSERT_TRUE(test::listsSettle(*w));
    EXPECT_EQ(shownEntries(*w->filFiles), (QStringList{"a.zip", "b.zip"}));
    EXPECT_TRUE(shownEntries(*w->dirDirectory).contains("nas [not responding]"));

    world.gate->release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownEntries(*w->dirDirectory).contains("nas"); }));
    EXPECT_EQ(shownEntries(*w->filFiles), (QStringList{"a.zip", "b.zip"}));
}

// One look-up at a time per box: picks made while one is stuck replace each
// other, and only the latest is looked up once it ends.
TEST_F(SlowMedia, APreviewSupersededBeforeItsLookUpLooksNothingUp)
{
    world.makeFile("games/c.zip");
    const QString shots = world.makeDir("shots");
    QImage shot(12, 9, QImage::Format_RGB32);
    shot.fill(Qt::blue);
    ASSERT_TRUE(shot.save(shots + "/c.zip1.bmp", "BMP"));
    open();
    w->dirDirectory->setPath(games);
    w->settingsWindow().txtScreen->setText(shots);
    world.gate->hold(world.path("shots/a.zip1.bmp"));
    for (const char* game : {"a.zip", "b.zip", "c.zip"})
        test::clickFile(*w->filFiles, game);
    ASSERT_TRUE(w->Picture1->loading());
    world.gate->release();
    ASSERT_TRUE(test::previewsSettle(*w));
    EXPECT_EQ(w->Picture1->picture().size(), QSize(12, 9));
    std::vector<std::string> first;
    for (const std::string& path : world.picturesLookedUp())
        if (path.rfind(nativeFromText(shots), 0) == 0 && path.compare(path.size() - 5, 5, "1.bmp") == 0)
            first.push_back(path);
    EXPECT_EQ(first, (std::vector<std::string>{nativeFromText(world.path("shots/a.zip1.bmp")),
                                               nativeFromText(world.path("shots/c.zip1.bmp"))}));
}

TEST_F(SlowMedia, ExitAndTheWindowsEndPromptlyWhateverIsStuck)
{
    open();
    world.gate->hold(other);
    w->dirDirectory->setPath(other);
    world.gate->hold("gravlok.exe");
    QTest::mouseClick(w->cmdRun2, Qt::LeftButton);
    QTest::mouseClick(w->cmdExit, Qt::LeftButton);
    EXPECT_EQ(world.endCodes, std::vector<int>{0});
    w.reset(); // waits for none of them
    EXPECT_EQ(world.gate->waiting(), 2);
}

} // namespace
} // namespace lumora
