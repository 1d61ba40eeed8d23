#include <QTest>
#include <gtest/gtest.h>

#include "controls/DriveList.h"
#include "controls/DriveTable.h"
#include "core/RuntimeError.h"
#include "support/TestSupport.h"
#include <mutex>
#include <thread>

namespace lumora {
namespace {

using test::World;

struct DriveListFixture : ::testing::Test {
    World world;
    int changes = 0;

    std::unique_ptr<DriveList> makeList()
    {
        world.drives = {{QStringLiteral("/ [test]"), test::rootPath()},
                        {QStringLiteral("mnt [test]"), world.makeDir(QStringLiteral("mnt"))}};
        auto list =
            std::make_unique<DriveList>(world.runtime().errors, world.runtime().drives, world.runtime().startDirectory);
        list->change.setHandler([this] { ++changes; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return list->count() == 2; }));
        return list;
    }
};

TEST_F(DriveListFixture, StartsOnTheDriveOfTheCurrentDirectory)
{
    auto list = makeList();
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->drive(), QStringLiteral("/ [test]")); // the scratch folder is not under mnt
    EXPECT_EQ(changes, 0);
}

TEST_F(DriveListFixture, FullPathSelectsTheDriveWithTheLongestMatchingRoot)
{
    auto list = makeList();
    const struct {
        QString path;
        QString drive;
    } cases[] = {
        {world.path(QStringLiteral("mnt/x/y")), QStringLiteral("mnt [test]")},
        {world.path(QStringLiteral("mnt")), QStringLiteral("mnt [test]")},
        {world.path(QStringLiteral("mntx")), QStringLiteral("/ [test]")}, // a prefix, but not at a separator
        {world.path(), QStringLiteral("/ [test]")},
    };
    for (const auto& c : cases) {
        list->setDrive(c.path);
        EXPECT_EQ(list->drive(), c.drive) << c.path.toStdString();
        EXPECT_EQ(list->currentText(), c.drive) << c.path.toStdString();
    }
}

TEST_F(DriveListFixture, ChangeIsRaisedOncePerChangeAndNotForTheCurrentDrive)
{
    auto list = makeList();
    list->setDrive(QStringLiteral("/ [test]"));
    EXPECT_EQ(changes, 0);
    list->setDrive(QStringLiteral("mnt [test]"));
    EXPECT_EQ(changes, 1);
    list->setDrive(world.path(QStringLiteral("mnt/deeper")));
    EXPECT_EQ(changes, 1);
    list->setDrive(test::rootPath());
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(list->driveRoot(), test::rootPath());
}

TEST_F(DriveListFixture, UserChoiceRaisesChangeOnlyForAnotherDrive)
{
    auto list = makeList();
    emit list->activated(0);
    EXPECT_EQ(changes, 0);
    emit list->activated(1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list->drive(), QStringLiteral("mnt [test]"));
}

// A stick plugged in while the program runs is offered in the very opening
// of the list that follows.
TEST_F(DriveListFixture, AnOpeningOffersTheDrivesThereNow)
{
    auto drives = std::make_shared<QList<Drive>>(QList<Drive>{{QStringLiteral("/ [test]"), test::rootPath()}});
    auto guard = std::make_shared<std::mutex>();
    DriveTable table(
        world.runtime().errors,
        [drives, guard] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the system's table takes a moment
            const std::lock_guard lock(*guard);
            return *drives;
        },
        [](const QString&) { return DriveAnswer{}; });
    DriveList list(world.runtime().errors, table, world.runtime().startDirectory);
    list.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.count() == 1; }));
    {
        const std::lock_guard lock(*guard);
        drives->append({QStringLiteral("stick [test]"), world.makeDir(QStringLiteral("stick"))});
    }
    list.showPopup();
    EXPECT_EQ(list.count(), 2);
    EXPECT_GE(list.findText(QStringLiteral("stick [test]")), 0);
    list.hidePopup();
}

TEST_F(DriveListFixture, TextOnNoDriveRaisesDeviceUnavailableAndKeepsTheDrive)
{
    world.drives = {{QStringLiteral("mnt [test]"), world.makeDir(QStringLiteral("mnt"))}};
    DriveList list(world.runtime().errors, world.runtime().drives, world.runtime().startDirectory);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.count() == 1; }));
    list.setDrive(QStringLiteral("mnt [test]"));
    try {
        list.setDrive(QStringLiteral("/elsewhere"));
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::DeviceUnavailable);
    }
    EXPECT_EQ(list.drive(), QStringLiteral("mnt [test]"));
}

} // namespace
} // namespace lumora
