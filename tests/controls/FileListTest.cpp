#include <gtest/gtest.h>

#include <QTest>
#include <functional>

#include "controls/FileList.h"
#include "core/RuntimeError.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::shownEntries;
using test::World;

struct FileListFixture : ::testing::Test {
    World world;
    QString games;
    int clicks = 0;

    FileListFixture()
    {
        for (const char* name : {"games/b.zip", "games/A.ZIP", "games/c.Zip", "games/README", "games/notes.txt",
                                 "games/x1.zip", "games/x22.zip", "games/.hidden.zip", "other/only.zip"})
            world.makeFile(QString::fromLatin1(name), "data");
        world.makeDir(QStringLiteral("games/dir.zip"));
        games = world.path(QStringLiteral("games"));
    }

    std::unique_ptr<FileList> makeList()
    {
        auto list =
            std::make_unique<FileList>(world.runtime().errors, world.runtime().folders, world.runtime().startDirectory);
        list->click.setHandler([this] { ++clicks; });
        list->setPath(games);
        return list;
    }
    // Shown, so that it takes the mouse and keys.
    std::unique_ptr<FileList> makeShownList()
    {
        auto list = makeList();
        list->resize(200, 300);
        list->show();
        return list;
    }
};

TEST_F(FileListFixture, ListsMatchingFilesSortedWithoutFoldersOrHiddenOnes)
{
    auto list = makeList();
    const struct {
        const char* pattern;
        QStringList expected;
    } cases[] = {
        {"*.zip", {"A.ZIP", "b.zip", "c.Zip", "x1.zip", "x22.zip"}},
        {"*.*", {"A.ZIP", "b.zip", "c.Zip", "notes.txt", "README", "x1.zip", "x22.zip"}},
        {"x?.zip", {"x1.zip"}},
        {"x??.ZIP", {"x22.zip"}},
        {"*.bmp", {}},
    };
    for (const auto& c : cases) {
        list->setPattern(QString::fromLatin1(c.pattern));
        EXPECT_EQ(list->pattern(), QString::fromLatin1(c.pattern));
        EXPECT_EQ(shownEntries(*list), c.expected) << c.pattern;
    }
}

TEST_F(FileListFixture, SetPathRefreshesWithTheCurrentPattern)
{
    auto list = makeList();
    list->setPattern(QStringLiteral("*.zip"));
    list->setPath(world.path(QStringLiteral("other")));
    EXPECT_EQ(shownEntries(*list), QStringList{"only.zip"});
    world.makeFile(QStringLiteral("other/new.zip"));
    list->setPath(list->path());
    EXPECT_EQ(shownEntries(*list), (QStringList{"new.zip", "only.zip"}));
    EXPECT_EQ(clicks, 0);
}

TEST_F(FileListFixture, FileNameFollowsTheSelection)
{
    auto list = makeList();
    EXPECT_EQ(list->listIndex(), -1);
    EXPECT_EQ(list->fileName(), QString());
    list->setListIndex(2);
    EXPECT_EQ(list->listIndex(), 2);
    EXPECT_EQ(list->fileName(), shownEntries(*list)[2]);
    list->setListIndex(-1);
    EXPECT_EQ(list->fileName(), QString());
    list->setListIndex(2);
    list->setPath(games); // a refresh leaves nothing selected
    EXPECT_EQ(list->fileName(), QString());
    EXPECT_EQ(clicks, 0);
}

TEST_F(FileListFixture, MouseAndArrowKeysRaiseClick)
{
    auto list = makeShownList();
    const auto click = [&](int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    };
    click(1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list->fileName(), shownEntries(*list)[1]);
    click(1); // the entry already selected
    EXPECT_EQ(clicks, 2);
    QTest::keyClick(list.get(), Qt::Key_Down);
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(list->fileName(), shownEntries(*list)[2]);
    QTest::keyClick(list.get(), Qt::Key_Up);
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(list->fileName(), shownEntries(*list)[1]);

    // Space on the highlight with nothing picked picks what it highlights.
    list->setListIndex(-1);
    list->setCurrentIndex(list->model()->index(0, 0));
    list->clearSelection();
    QTest::keyClick(list.get(), Qt::Key_Space);
    EXPECT_EQ(clicks, 5);
    EXPECT_EQ(list->fileName(), shownEntries(*list)[0]);
}

TEST_F(FileListFixture, ADoubleClickOrEnterOnThePickOpensIt)
{
    auto list = makeShownList();
    int opens = 0;
    list->open.setHandler([&] { ++opens; });
    QTest::keyClick(list.get(), Qt::Key_Return); // nothing picked yet
    EXPECT_EQ(opens, 0);
    const QPoint at = list->visualRect(list->model()->index(2, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at); // a double click starts as a click
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(clicks, 1);
    QTest::keyClick(list.get(), Qt::Key_Enter);
    EXPECT_EQ(opens, 2);
    EXPECT_EQ(list->fileName(), shownEntries(*list)[2]);
}

TEST_F(FileListFixture, APickIsAlwaysARealEntryAndTheHighlightFollowsIt)
{
    auto list = makeShownList();
    QStringList picks;
    list->click.setHandler([&] { picks.append(list->fileName()); });
    const auto at = [&](int row) { return list->visualRect(list->model()->index(row, 0)).center(); };
    const QPoint belowTheEntries(20, list->viewport()->height() - 4);
    ASSERT_FALSE(list->indexAt(belowTheEntries).isValid());

    const std::pair<const char*, std::function<void()>> moves[] = {
        {"click", [&] { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at(1)); }},
        {"ctrl+click on the selected entry",
         [&] { QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, at(1)); }},
        {"ctrl+space", [&] { QTest::keyClick(list.get(), Qt::Key_Space, Qt::ControlModifier); }},
        {"right click", [&] { QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at(3)); }},
        {"click below the entries", [&] { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, belowTheEntries); }},
        {"drag",
         [&] {
             QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at(2));
             QTest::mouseMove(list->viewport(), at(3));
             QTest::mouseMove(list->viewport(), at(4));
             QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at(4));
         }},
        {"ctrl+down", [&] { QTest::keyClick(list.get(), Qt::Key_Down, Qt::ControlModifier); }},
    };
    for (const auto& [what, move] : moves) {
        SCOPED_TRACE(what);
        move();
        ASSERT_FALSE(picks.isEmpty());
        EXPECT_FALSE(picks.contains(QString()));
        EXPECT_EQ(list->fileName(), picks.back());
    }
    EXPECT_EQ(picks, (QStringList{shownEntries(*list)[1], shownEntries(*list)[1], shownEntries(*list)[2],
                                  shownEntries(*list)[3]}));
    EXPECT_EQ(list->listIndex(), 3);
}

TEST_F(FileListFixture, UnreadablePathRaisesAndKeepsTheOldListing)
{
    auto list = makeList();
    list->setPattern(QStringLiteral("*.zip"));
    const QStringList before = shownEntries(*list);
    for (const QString& bad :
         {world.path(QStringLiteral("missing")), world.path(QStringLiteral("games/b.zip")), QString()}) {
        try {
            list->setPath(bad);
            ADD_FAILURE() << "no error for " << bad.toStdString();
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::PathNotFound) << bad.toStdString();
        }
        EXPECT_EQ(list->path(), games);
        EXPECT_EQ(list->pattern(), QStringLiteral("*.zip"));
        EXPECT_EQ(shownEntries(*list), before);
    }
}

} // namespace
} // namespace lumora
