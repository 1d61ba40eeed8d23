#include <gtest/gtest.h>

#include <QDir>
#include <QIcon>
#include <QSignalSpy>
#include <QTest>

#include "controls/DirectoryList.h"
#include "core/RuntimeError.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::errorNumber;
using test::shownEntries;
using test::World;

struct DirectoryListFixture : ::testing::Test {
    World world;
    int changes = 0;

    DirectoryListFixture()
    {
        for (const char* dir :
             {"games/b", "games/Zeta", "games/alpha", "games/.hidden", "games/alpha/inner", "A/x/y", "B"})
            world.makeDir(QString::fromLatin1(dir));
        world.makeFile(QStringLiteral("games/file.zip"), "x");
        world.drives = {{QStringLiteral("/ [test]"), test::rootPath()},
                        {QStringLiteral("A [test]"), world.path(QStringLiteral("A"))},
                        {QStringLiteral("B [test]"), world.path(QStringLiteral("B"))},
                        {QStringLiteral("gone [test]"), world.path(QStringLiteral("gone"))}};
    }

    std::unique_ptr<DirectoryList> makeList()
    {
        test::knowDrives(world.runtime());
        auto list = std::make_unique<DirectoryList>(world.runtime().errors, world.runtime().drives,
                                                    world.runtime().folders, world.runtime().startDirectory);
        list->change.setHandler([this] { ++changes; });
        return list;
    }
};

// The depth of entry `row`, by which the list indents it.
int level(const DirectoryList& list, int row) { return list.model()->index(row, 0).data(Qt::UserRole).toInt(); }

// Whether entry `row` shows the open folder, as the drive's root at the top
// of the chain always does.
bool shownOpen(const DirectoryList& list, int row)
{
    const auto icon = [&](int r) { return qvariant_cast<QIcon>(list.model()->index(r, 0).data(Qt::DecorationRole)); };
    return icon(row).cacheKey() == icon(0).cacheKey();
}

TEST_F(DirectoryListFixture, ShowsTheChainFromTheRootThenTheSortedVisibleSubdirectories)
{
    auto list = makeList();
    const QString games = world.path(QStringLiteral("games"));
    list->setPath(games);
    EXPECT_EQ(list->path(), games);
    EXPECT_EQ(changes, 1);

    QStringList chain = games.mid(test::rootPath().size()).split(QDir::separator(), Qt::SkipEmptyParts);
    chain.prepend(test::rootPath());
    const int n = int(chain.size());
    ASSERT_EQ(shownEntries(*list).size(), n + 3);
    EXPECT_EQ(shownEntries(*list).mid(0, n), chain);
    EXPECT_EQ(shownEntries(*list).mid(n), (QStringList{"alpha", "b", "Zeta"}));
    for (int i = 0; i < n + 3; ++i) {
        EXPECT_EQ(shownOpen(*list, i), i < n) << i;
        EXPECT_EQ(level(*list, i), std::min(i, n)) << i;
    }
    EXPECT_EQ(list->currentIndex().row(), n - 1); // the current directory is the selected one
}

TEST_F(DirectoryListFixture, PathHasATrailingSeparatorOnlyAtADrivesRoot)
{
    auto list = makeList();
    const struct {
        QString set;
        QString path;
    } cases[] = {
        {world.path(QStringLiteral("games/")), world.path(QStringLiteral("games"))},
        {world.path(QStringLiteral("games/alpha/../b")), world.path(QStringLiteral("games/b"))},
        {QStringLiteral("games/alpha"), world.path(QStringLiteral("games/alpha"))}, // relative to the current dir
        {world.path(QStringLiteral("A")), world.path(QStringLiteral("A")) + QDir::separator()},
        {world.path(QStringLiteral("A/")), world.path(QStringLiteral("A")) + QDir::separator()},
    };
    for (const auto& c : cases) {
        list->setPath(c.set);
        EXPECT_EQ(list->path(), c.path) << c.set.toStdString();
    }
    list->setPath(world.path(QStringLiteral("A")));
    ASSERT_GE(shownEntries(*list).size(), 2);
    EXPECT_EQ(shownEntries(*list)[0], world.path(QStringLiteral("A"))); // the drive's root heads the chain
    EXPECT_EQ(shownEntries(*list)[1], QStringLiteral("x"));
    EXPECT_EQ(level(*list, 1), 1);
}

TEST_F(DirectoryListFixture, DriveTextReturnsToThatDrivesLastDirectory)
{
    auto list = makeList();
    list->setPath(QStringLiteral("B [test]"));
    EXPECT_EQ(list->path(), world.path(QStringLiteral("B")) + QDir::separator()); // never shown: its root
    list->setPath(world.path(QStringLiteral("A/x/y")));
    list->setPath(QStringLiteral("B [test]"));
    EXPECT_EQ(list->path(), world.path(QStringLiteral("B")) + QDir::separator());
    list->setPath(QStringLiteral("A [test]"));
    EXPECT_EQ(list->path(), world.path(QStringLiteral("A/x/y")));

    // Gone since: the nearest folder above it that is still there.
    list->setPath(QStringLiteral("B [test]"));
    ASSERT_TRUE(QDir(world.path(QStringLiteral("A/x"))).removeRecursively());
    list->setPath(QStringLiteral("A [test]"));
    EXPECT_EQ(list->path(), world.path(QStringLiteral("A")) + QDir::separator());
    EXPECT_TRUE(world.messages.empty());
}

TEST_F(DirectoryListFixture, UnreadableTargetsRaiseAndLeaveTheListAsItWas)
{
    auto list = makeList();
    const QString games = world.path(QStringLiteral("games"));
    list->setPath(games);
    const QStringList before = shownEntries(*list);
    changes = 0;
    const struct {
        QString target;
        int error;
    } cases[] = {
        {world.path(QStringLiteral("missing")), err::PathNotFound},
        {world.path(QStringLiteral("missing/deeper")), err::PathNotFound},
        {world.path(QStringLiteral("games/file.zip")), err::PathNotFound},
        {QString(), err::PathNotFound},
        {QStringLiteral("gone [test]"), err::DeviceUnavailable},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorNumber([&] { list->setPath(c.target); }), c.error) << c.target.toStdString();
        EXPECT_EQ(list->path(), games);
        EXPECT_EQ(shownEntries(*list), before);
    }
    EXPECT_EQ(changes, 0);
}

TEST_F(DirectoryListFixture, DoubleClickAndEnterOpenAnEntry)
{
    auto list = makeList();
    list->resize(300, 400);
    list->show();
    list->setPath(world.path(QStringLiteral("games")));
    const int alpha = int(shownEntries(*list).indexOf(QStringLiteral("alpha")));
    ASSERT_GE(alpha, 0);
    changes = 0;

    const QRect rect = list->visualRect(list->model()->index(alpha, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center()); // a double click starts as a click
    EXPECT_EQ(changes, 0);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(list->path(), world.path(QStringLiteral("games/alpha")));
    EXPECT_EQ(changes, 1);

    // Enter on an entry of the chain goes back up.
    const int games = int(shownEntries(*list).indexOf(QStringLiteral("games")));
    list->setCurrentIndex(list->model()->index(games, 0));
    QTest::keyClick(list.get(), Qt::Key_Return);
    EXPECT_EQ(list->path(), world.path(QStringLiteral("games")));
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(world.messages.empty());
}

TEST_F(DirectoryListFixture, OpeningAVanishedDirectoryIsReportedAndTheListStays)
{
    auto list = makeList();
    const QString games = world.path(QStringLiteral("games"));
    list->setPath(games);
    const int b = int(shownEntries(*list).indexOf(QStringLiteral("b")));
    ASSERT_GE(b, 0);
    ASSERT_TRUE(QDir(world.path(QStringLiteral("games/b"))).removeRecursively());
    changes = 0;

    EXPECT_EQ(errorNumber([&] { list->openEntry(b); }), err::PathNotFound); // untrapped without a handler

    std::vector<std::pair<int, QString>> failures;
    list->openFailed = [&](const RuntimeError& e, const QString& path) { failures.emplace_back(e.number(), path); };
    list->openEntry(b);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].first, err::PathNotFound);
    EXPECT_EQ(failures[0].second, world.path(QStringLiteral("games/b")));
    EXPECT_EQ(list->path(), games);
    EXPECT_EQ(shownEntries(*list)[b], QStringLiteral("b"));
    EXPECT_EQ(changes, 0);
}

} // namespace
} // namespace lumora
