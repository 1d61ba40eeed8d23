#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "controls/DirectoryList.h"
#include "controls/FormRuntime.h"
#include "controls/SparkleCanvas.h"
#include "launcher/frmMain.h"
#include "support/TestSupport.h"
#include "support/WindowSupport.h"

namespace lumora {
namespace {

// One timer tick, now, as the event loop would deliver it.
void tick(QTimer& timer) { QMetaObject::invokeMethod(&timer, "timeout", Qt::DirectConnection); }

class Lifecycle : public ::testing::Test {
protected:
    void start()
    {
        w.Form_Load();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }

    test::World world;
    frmMain w{world.runtime()};
};

TEST_F(Lifecycle, ExitEndsWithStatusZeroAndClosesTheSettingsFile)
{
    start();
    ASSERT_EQ(world.runtime().files.openCount(), 1u);
    QTest::mouseClick(w.cmdExit, Qt::LeftButton);
    EXPECT_EQ(world.endCodes, std::vector<int>{0});
    EXPECT_EQ(world.runtime().files.openCount(), 0u);
    EXPECT_TRUE(world.messages.empty());
}

TEST_F(Lifecycle, ClosingThroughTheFrameEndsWithoutSaving)
{
    start();
    world.makeFile("games/a.zip");
    w.dirDirectory->setPath(world.path("games"));
    ASSERT_TRUE(test::save(w));
    const QByteArray saved = world.settingsBytes();
    test::pickGame(w, world.path("games"), "a.zip");
    ASSERT_FALSE(w.selectedPath().isEmpty());

    w.close();
    EXPECT_EQ(world.endCodes, std::vector<int>{0});
    EXPECT_EQ(world.settingsBytes(), saved);
}

TEST(LifecycleStart, ASettingsFileThatIsNoRegularFileStopsTheStartUp)
{
    const std::pair<const char*, std::function<bool()>> kinds[] = {
        {"folder", [] { return QDir().mkdir("Lumora.INI"); }},
#ifndef _WIN32
        {"link to an endless device", [] { return QFile::link("/dev/zero", "Lumora.INI"); }},
#endif
    };
    for (const auto& [kind, make] : kinds) {
        SCOPED_TRACE(kind);
        test::World world;
        ASSERT_TRUE(make());
        frmMain w(world.runtime());
        world.runtime().errors.guard([&] { w.Form_Load(); });
        ASSERT_EQ(world.messages.size(), 1u);
        EXPECT_TRUE(world.messages[0].prompt.startsWith("Run-time error '75':"))
            << world.messages[0].prompt.toStdString();
        EXPECT_EQ(world.messages[0].style, style::Critical);
        EXPECT_EQ(world.endCodes, std::vector<int>{1});
    }
}

// A portable copy unpacked where the user may not write.
TEST(LifecycleStart, AStartFolderThatCannotBeWrittenIsNamedWithWhatToDo)
{
    test::World world;
    const QString folder = world.makeDir("Program Files");
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    const test::OrdinaryUserFiles ordinary(world);
    ASSERT_TRUE(QDir::setCurrent(folder));
    if (QFile("probe").open(QIODevice::WriteOnly))
        GTEST_SKIP() << "the folder's protection does not bind here";
    frmMain w(world.runtime());
    world.runtime().errors.guard([&] { w.Form_Load(); });
    ASSERT_EQ(world.messages.size(), 1u);
    const QString prompt = world.messages[0].prompt;
    EXPECT_TRUE(prompt.contains("\"" + folder + "\"") && prompt.contains("a folder you can write to"))
        << prompt.toStdString();
    EXPECT_EQ(world.endCodes, std::vector<int>{1});
}

TEST_F(Lifecycle, AReadOnlySettingsFileStartsAndOnlyItsSavesFail)
{
    world.makeFile("Lumora.INI", QByteArray::fromHex("0500") + "a.zip");
    ASSERT_TRUE(QFile::setPermissions("Lumora.INI", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const test::OrdinaryUserFiles ordinary(world);
    if (QFile("Lumora.INI").open(QIODevice::ReadWrite))
        GTEST_SKIP() << "the read-only attribute does not bind here (Wine run by the superuser)";
    start();
    EXPECT_EQ(w.selectedPath(), "a.zip");
    QTest::mouseClick(w.cmdExit, Qt::LeftButton);
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_TRUE(world.messages[0].prompt.startsWith("Run-time error '70':"));
    EXPECT_TRUE(world.endCodes.empty());
}

TEST_F(Lifecycle, SparklesBeginOnlyOnceTheStartUpIsOver)
{
    // A stored directory makes the start-up raise the directory list's change
    // half-way through; a tick is let in there, as a modal box's event loop
    // would.
    w.Form_Load();
    w.dirDirectory->setPath(world.makeDir("games"));
    ASSERT_TRUE(test::save(w));

    FormRuntime runtime(world.seams());
    runtime.folders.startUpOver(); // the read ends within its moment: during the start-up
    frmMain fresh(runtime);
    fresh.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh));
    const QImage untouched = fresh.canvas->surface();
    tick(*fresh.tmrTimer);
    EXPECT_EQ(fresh.sparkleFlag(), std::nullopt);
    EXPECT_EQ(fresh.canvas->surface(), untouched);

    std::optional<int> flagMidway = -1;
    QImage drawnMidway;
    fresh.dirDirectory->change.setHandler([&] {
        tick(*fresh.tmrTimer);
        flagMidway = fresh.sparkleFlag();
        drawnMidway = fresh.canvas->surface();
        fresh.dirDirectory_Change();
    });
    fresh.Form_Load();
    ASSERT_TRUE(test::listsSettle(fresh));
    EXPECT_EQ(flagMidway, std::nullopt);
    EXPECT_EQ(drawnMidway, untouched);
    EXPECT_EQ(fresh.sparkleFlag(), 1);
    tick(*fresh.tmrTimer);
    EXPECT_NE(fresh.canvas->surface(), untouched);
}

} // namespace
} // namespace lumora
