// Folders, drives and programs on media that answer late or never: the
// windows go on, and whatever comes late lands as a set would have landed.

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "controls/DirectoryList.h"
#include "controls/DriveList.h"
#include "controls/FileList.h"
#include "controls/FormRuntime.h"
#include "core/Worker.h"
#include "launcher/frmMain.h"
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
    EXPECT_EQ(world.launches()[0].arguments, QStringList{games + "/b.zip"});
    EXPECT_EQ(shownEntries(*w->dirDirectory), waiting);
    EXPECT_EQ(w->dirDirectory->path(), games);

    world.gate->release();
    ASSERT_TRUE(test::listsSettle(*w));
    EXPECT_EQ(w->dirDirectory->path(), other);
    EXPECT_EQ(shownEntries(*w->filFiles), QStringList{"c.zip"});
    EXPECT_EQ(w->selectedPath(), games + "/b.zip");
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
    world.gate->hold(far + "/");
    world.gate->fail(far + "/");
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
