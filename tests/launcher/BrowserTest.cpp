#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "controls/ComboBox.h"
#include "controls/DirectoryList.h"
#include "controls/DriveList.h"
#include "controls/FileList.h"
#include "controls/NativeText.h"
#include "controls/PictureBox.h"
#include "controls/StatusBar.h"
#include "launcher/frmMain.h"
#include "settings/frmSettings.h"
#include "support/TestSupport.h"
#include "support/WindowSupport.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lumora {
namespace {

using test::clickFile;
using test::shownEntries;

const QString scratchDrive = QStringLiteral("scratch [test]");
const QString goneDrive = QStringLiteral("/nonexistent-lumora-drive [gone]");

class Browser : public ::testing::Test {
protected:
    Browser()
    {
        // The drive list reads its drives when it is made.
        world.drives = {{scratchDrive, world.path()}, {goneDrive, QStringLiteral("/nonexistent-lumora-drive")}};
        for (const char* name : {"games/a.zip", "games/B.ZIP", "games/noext", "games/c.txt", "games/.hidden.zip",
                                 "games/sub.zip/inner.zip", "other/d.zip"})
            world.makeFile(QString::fromLatin1(name));
        games = world.path("games");
        w = std::make_unique<frmMain>(world.runtime());
        test::startUp(*w);
        w->dirDirectory->setPath(games);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    QString textPanel() const { return w->StatusBar1->panel("text").text(); }
    void chooseDrive(const QString& text)
    {
        const int index = w->drvDrive->findText(text);
        ASSERT_GE(index, 0);
        w->drvDrive->setCurrentIndex(index);
        emit w->drvDrive->activated(index);
    }

    test::World world;
    QString games;
    std::unique_ptr<frmMain> w;
};

TEST_F(Browser, FileTypeChoosesWhatTheFileListShows)
{
    struct Case {
        int listIndex;
        QStringList expected;
    };
    const Case cases[] = {
        {1, {"B.ZIP", "a.zip", "c.txt", "noext"}},
        {-1, {"B.ZIP", "a.zip", "c.txt", "noext"}}, // no entry: the pattern stays
        {0, {"B.ZIP", "a.zip"}},
        {-1, {"B.ZIP", "a.zip"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listIndex);
        w->cboFileType->setListIndex(c.listIndex);
        QStringList listed = shownEntries(*w->filFiles);
        listed.sort(Qt::CaseSensitive);
        EXPECT_EQ(listed, c.expected);
    }
}

TEST_F(Browser, ClickingAFilePicksItsPath)
{
    clickFile(*w->filFiles, "a.zip");
    EXPECT_EQ(w->selectedPath(), world.path("games/a.zip"));
    EXPECT_EQ(textPanel(), world.path("games/a.zip"));
    EXPECT_EQ(w->fileNamePart(), "a.zip");

    // A second click on the same file runs the whole pick again.
    w->StatusBar1->panel("text").setText(QString());
    clickFile(*w->filFiles, "a.zip");
    EXPECT_EQ(textPanel(), world.path("games/a.zip"));
}

TEST_F(Browser, ArrowKeyPicksTheNextFile)
{
    clickFile(*w->filFiles, shownEntries(*w->filFiles)[0]);
    const int row = w->filFiles->listIndex();
    ASSERT_EQ(row, 0);
    QTest::keyClick(w->filFiles, Qt::Key_Down);
    const QString next = shownEntries(*w->filFiles).value(row + 1);
    ASSERT_FALSE(next.isEmpty());
    EXPECT_EQ(w->selectedPath(), world.path("games/" + next));
    EXPECT_EQ(textPanel(), world.path("games/" + next));
    EXPECT_EQ(w->fileNamePart(), next);
}

TEST_F(Browser, PickAtADriveRootKeepsBothSeparators)
{
    world.makeFile("top.zip");
    w->dirDirectory->setPath(world.path());
    ASSERT_TRUE(w->dirDirectory->path().endsWith(QDir::separator()));
    clickFile(*w->filFiles, "top.zip");
    EXPECT_EQ(w->selectedPath(), world.path() + QDir::separator() + QDir::separator() + "top.zip");
    EXPECT_EQ(w->fileNamePart(), "top.zip");
}

TEST_F(Browser, BrowsingAfterAPickKeepsThePick)
{
    const std::pair<const char*, std::function<void()>> moves[] = {
        {"directory", [this] { w->dirDirectory->setPath(world.path("other")); }},
        {"drive", [this] { chooseDrive(scratchDrive); }},
        {"file type", [this] { w->cboFileType->setListIndex(1); }},
    };
    clickFile(*w->filFiles, "a.zip");
    for (const auto& [what, move] : moves) {
        SCOPED_TRACE(what);
        move();
        EXPECT_EQ(w->selectedPath(), world.path("games/a.zip"));
        EXPECT_EQ(textPanel(), world.path("games/a.zip"));
        EXPECT_EQ(w->fileNamePart(), "a.zip");
    }
}

TEST_F(Browser, NamesThatAreNoValidTextAreKeptAsTheirBytes)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows names files in UTF-16: every name is valid text";
#else
    // Latin-1, as old archives name their files.
    const QByteArray folder = QFile::encodeName(games) + "/Caf\xE9";
    ASSERT_EQ(::mkdir(folder.constData(), 0777), 0);
    const int file = ::open((folder + "/Caf\xE9.zip").constData(), O_CREAT | O_WRONLY, 0666);
    ASSERT_GE(file, 0);
    ::close(file);

    w->dirDirectory->setPath(games);
    const int row = int(shownEntries(*w->dirDirectory).indexOf(QStringLiteral("Caf\uFFFD")));
    ASSERT_GE(row, 0) << "shown readably";
    w->dirDirectory->openEntry(row);
    EXPECT_EQ(nativeFromText(w->dirDirectory->path()), folder.toStdString());
    EXPECT_TRUE(world.messages.empty());

    // Its screenshot is looked for under the same bytes.
    QImage shot(8, 6, QImage::Format_RGB32);
    shot.fill(Qt::red);
    ASSERT_TRUE(shot.save(world.path("shot.bmp"), "BMP"));
    ASSERT_EQ(
        ::rename(QFile::encodeName(world.path("shot.bmp")).constData(), (folder + "/Caf\xE9.zip1.bmp").constData()), 0);
    w->settingsWindow().txtScreen->setText(textFromNative(folder.toStdString()));

    clickFile(*w->filFiles, QStringLiteral("Caf\uFFFD.zip"));
    EXPECT_EQ(nativeFromText(w->selectedPath()), (folder + "/Caf\xE9.zip").toStdString());
    EXPECT_EQ(nativeFromText(w->fileNamePart()), "Caf\xE9.zip");
    ASSERT_TRUE(test::previewsSettle(*w));
    EXPECT_EQ(w->Picture1->picture().size(), QSize(8, 6));
#endif
}

// A medium swapped at the same mount point: choosing the file type reads
// the folder again, and the list waits for that read as for any other.
TEST_F(Browser, AFileTypeReadsTheFolderAgain)
{
    ASSERT_TRUE(QFile::remove(world.path("games/a.zip")));
    world.makeFile("games/e.zip");
    world.gate->hold(games);
    w->cboFileType->setCurrentIndex(1);
    emit w->cboFileType->activated(1); // as the user chooses it
    EXPECT_TRUE(w->filFiles->reading());
    EXPECT_EQ(shownEntries(*w->filFiles), (QStringList{"a.zip", "B.ZIP"}));

    world.gate->release();
    ASSERT_TRUE(test::listsSettle(*w));
    EXPECT_EQ(shownEntries(*w->filFiles), (QStringList{"B.ZIP", "c.txt", "e.zip", "noext"}));
    EXPECT_EQ(w->filFiles->pattern(), "*.*");
    EXPECT_TRUE(world.messages.empty());
}

// A stick pulled or swapped where it was mounted: choosing its drive again
// reads the folder again, and the file list shows that read, not its own
// older one.
TEST_F(Browser, AFolderReadAgainReachesTheFileList)
{
    clickFile(*w->filFiles, "a.zip");
    ASSERT_TRUE(QFile::remove(world.path("games/a.zip")));
    world.makeFile("games/e.zip");
    chooseDrive(scratchDrive);
    EXPECT_EQ(w->dirDirectory->path(), games);
    EXPECT_EQ(shownEntries(*w->filFiles), (QStringList{"B.ZIP", "e.zip"}));
    EXPECT_EQ(w->selectedPath(), world.path("games/a.zip")); // a pick stays what it was
}

TEST_F(Browser, MissingDriveIsReportedAndTheListsStay)
{
    ASSERT_EQ(w->drvDrive->drive(), scratchDrive);
    chooseDrive(goneDrive);

    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].prompt, "Drive Error!");
    EXPECT_EQ(world.messages[0].title, "Error");
    EXPECT_EQ(world.messages[0].style, style::Exclamation);
    EXPECT_EQ(w->drvDrive->drive(), scratchDrive);
    EXPECT_EQ(w->drvDrive->currentText(), scratchDrive);
    EXPECT_EQ(w->dirDirectory->path(), games);
    EXPECT_EQ(w->filFiles->path(), games);
    EXPECT_TRUE(world.endCodes.empty());
}

// A folder on a drive that is in no table (a stick pulled while its folder is
// shown, a share from the settings): its chain begins at its own root, a
// drive that fails then leaves the lists where they are with a word of why,
// and choosing a drive goes to that drive.
TEST_F(Browser, AFolderWhoseDriveLeftTheTable)
{
#ifdef _WIN32
    QTemporaryDir elsewhere(QStringLiteral("Z:/tmp/lumora-elsewhere-XXXXXX")); // Wine's drive for "/"
    const QString ownRoot = QStringLiteral("Z:\\");
#else
    QTemporaryDir elsewhere;
    const QString ownRoot = QStringLiteral("/");
#endif
    if (!elsewhere.isValid())
        GTEST_SKIP() << "no second drive to make a folder on";
    const QString away = QDir::toNativeSeparators(elsewhere.path() + "/games");
    ASSERT_TRUE(QDir().mkpath(away));
    w->dirDirectory->setPath(away);
    EXPECT_EQ(shownEntries(*w->dirDirectory).value(0), ownRoot);

    chooseDrive(goneDrive);
    ASSERT_EQ(world.messages.size(), 2u);
    EXPECT_EQ(world.messages[0].prompt, "Drive Error!");
    EXPECT_TRUE(world.messages[1].prompt.contains(away)) << world.messages[1].prompt.toStdString();
    EXPECT_TRUE(world.endCodes.empty());
    EXPECT_EQ(w->dirDirectory->path(), away);
    EXPECT_EQ(w->filFiles->path(), away);
    EXPECT_EQ(w->drvDrive->currentIndex(), 0);

    // The last folder shown on the scratch drive has gone, far down: the
    // climb to what is left of it takes a few reads, not one a level.
    QString deep = games;
    for (int level = 0; level < 24; ++level)
        deep += QDir::separator() + QStringLiteral("l%1").arg(level);
    ASSERT_TRUE(QDir().mkpath(deep));
    chooseDrive(scratchDrive);
    w->dirDirectory->setPath(deep);
    w->dirDirectory->setPath(away);
    ASSERT_TRUE(QDir(games + QDir::separator() + "l0").removeRecursively());
    world.messages.clear();
    chooseDrive(scratchDrive);
    ASSERT_TRUE(test::listsSettle(*w));
    EXPECT_TRUE(world.messages.empty());
    EXPECT_EQ(w->drvDrive->drive(), scratchDrive);
    EXPECT_EQ(w->dirDirectory->path(), world.path() + QDir::separator()); // the drive's root
    int reads = 0;
    for (QString level = deep; level.size() > games.size(); level = QDir::toNativeSeparators(QFileInfo(level).path()))
        reads += world.gate->passes(level);
    EXPECT_LE(reads, 2 + 8) << "a read for each level climbed";
}

TEST_F(Browser, VanishedDirectoryIsReportedAndTheListsStay)
{
    const int row = int(shownEntries(*w->dirDirectory).indexOf("sub.zip"));
    ASSERT_GE(row, 0);
    ASSERT_TRUE(QDir(world.path("games/sub.zip")).removeRecursively());

    const QRect cell = w->dirDirectory->visualRect(w->dirDirectory->model()->index(row, 0));
    // A user's double click: the first click, then the second as a double.
    QSignalSpy opened(w->dirDirectory, &QAbstractItemView::doubleClicked);
    QTest::mouseClick(w->dirDirectory->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(w->dirDirectory->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(opened.size(), 1);

    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].style, style::Exclamation);
    EXPECT_TRUE(world.messages[0].prompt.contains("sub.zip")) << world.messages[0].prompt.toStdString();
    EXPECT_EQ(w->dirDirectory->path(), games);
    EXPECT_EQ(w->filFiles->path(), games);
    EXPECT_TRUE(world.endCodes.empty());
}

} // namespace
} // namespace lumora
