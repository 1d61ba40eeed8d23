// The settings file as the two windows read and write it: its bytes, what a
// start-up makes of them, texts the file cannot hold, and saves that fail.

#include <QDir>
#include <QPushButton>

#include "settings/SettingsTestSupport.h"

namespace lumora {
namespace {

using test::FileBytes;
using test::liveSettingsWindows;
using test::SettingsTest;
using test::World;

const QByteArray puzzle = "C:\\ROMS\\PUZZLE.ZIP";

// The string a record holds, read by hand.
QByteArray storedText(const QByteArray& file, int record)
{
    const QByteArray slot = file.mid(qsizetype(record - 1) * 128, 128);
    const int count = quint8(slot[0]) | quint8(slot[1]) << 8;
    return slot.mid(2, count);
}

using SettingsFileTest = SettingsTest;

TEST_F(SettingsFileTest, SaveWritesEveryRecordInItsSlot)
{
    start(FileBytes().text(1, puzzle).bytes());
    click(s().optSkip2);
    click(s().optModex);
    click(s().chkVsync);
    ASSERT_TRUE(test::save(w));

    const QByteArray file = fileBytes();
    EXPECT_GE(file.size(), 1794);
    EXPECT_EQ(slot(file, 1, 20), QByteArray::fromHex("12") + '\0' + puzzle);
    EXPECT_EQ(storedText(file, 2), "");
    EXPECT_EQ(storedText(file, 3), w.dirDirectory->path().toLatin1());
    for (int record = 4; record <= 13; ++record) {
        const bool on = record == 5 || record == 13; // optSkip2, optModex
        EXPECT_EQ(slot(file, record, 4), QByteArray::fromHex(on ? "0B00FFFF" : "0B000000")) << "record " << record;
    }
    EXPECT_EQ(slot(file, 14, 2), QByteArray::fromHex("0000"));
    EXPECT_EQ(slot(file, 15, 2), QByteArray::fromHex("0100"));
    EXPECT_TRUE(world.messages.empty());
}

TEST_F(SettingsFileTest, FirstStartCreatesAnEmptyFileAndExitFillsIt)
{
    start();
    EXPECT_TRUE(QFile::exists(world.path(settingsFileName)));
    EXPECT_EQ(fileBytes().size(), 0);
    EXPECT_EQ(s().txtScreen->text(), "");
    for (const OptionButton* option : test::optionButtons(s()))
        EXPECT_FALSE(option->value()) << option->objectName().toStdString();
    EXPECT_EQ(s().chkVsync->value(), 0);
    EXPECT_EQ(s().chkNoAnalyse->value(), 0);
    EXPECT_EQ(w.StatusBar1->panel("text").text(), "");

    click(w.cmdExit);
    EXPECT_EQ(world.endCodes, std::vector<int>{0});
    EXPECT_GE(fileBytes().size(), 1794);
}

TEST_F(SettingsFileTest, SaveThenLoadKeepsEveryControl)
{
    world.makeFile("roms/game.zip");
    start(FileBytes().text(2, "shots").flag(6, true).integer(14, 2).bytes());
    pick(world.path("roms"), "game.zip");
    click(s().optScanNo);
    click(s().chkVsync);
    s().txtScreen->setText(QString::fromUtf8("caf\xC3\xA9 shots"));
    const QStringList before = shown();

    ASSERT_TRUE(test::save(w));
    EXPECT_EQ(storedText(fileBytes(), 2), "caf\xE9 shots");
    w.Reload();
    EXPECT_EQ(shown(), before);
}

TEST_F(SettingsFileTest, TheStoredFolderComesAfterTheScreenshotFolderAndBeforeTheOptions)
{
    start();
    s().txtScreen->setText("shots");
    click(s().optSkip3);
    w.dirDirectory->setPath(world.makeDir("games"));
    ASSERT_TRUE(test::save(w));
    s().txtScreen->setText("typed");
    click(s().optSkip1);
    w.dirDirectory->setPath(world.path());

    QStringList seen;
    w.dirDirectory->change.setHandler([&] {
        seen << s().txtScreen->text() << QString::number(s().optSkip3->value());
        w.dirDirectory_Change();
    });
    w.Reload();
    EXPECT_EQ(seen, (QStringList{"shots", "0"}));
    EXPECT_TRUE(s().optSkip3->value());
}

TEST_F(SettingsFileTest, GreyCheckBoxAddsNoSwitch)
{
    struct Case {
        int record;
        const char* switchText;
    };
    for (const Case& c : {Case{15, "-v"}, Case{14, "-noanalyse"}}) {
        SCOPED_TRACE(c.switchText);
        World here;
        frmMain main(here.runtime());
        here.makeFile(settingsFileName, FileBytes().text(1, puzzle).integer(c.record, 2).bytes());
        main.Form_Load();
        CheckBox* box = c.record == 15 ? main.settingsWindow().chkVsync : main.settingsWindow().chkNoAnalyse;
        EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
        click(main.cmdRun2);
        const std::vector<LaunchRequest> launches = here.launches();
        ASSERT_EQ(launches.size(), 1u);
        EXPECT_EQ(test::argumentsOf(launches.back()), QStringList{QString::fromLatin1(puzzle)}) << c.switchText;
    }
}

TEST_F(SettingsFileTest, MissingStoredDirectoryLeavesTheListAtTheCurrentDirectory)
{
    start(FileBytes().text(3, world.path("gone").toLatin1()).bytes());
    EXPECT_TRUE(world.messages.empty());
    EXPECT_TRUE(world.endCodes.empty());
    EXPECT_EQ(w.dirDirectory->path(), world.path());
}

// The run goes on with what the user chose, the reload after "Close and
// Save" included: only the file lacks it.
TEST_F(SettingsFileTest, TextTheFileCannotHoldIsStoredEmptyWithAWarning)
{
    start(FileBytes().text(1, puzzle).bytes());
    for (const QString& text : {QString(127, 'x'), QString::fromUtf8("\xCE\xA9")}) {
        SCOPED_TRACE(text.toStdString());
        world.messages.clear();
        w.cmdSettings->trigger();
        s().txtScreen->setText(text);
        click(s().chkVsync);
        const int vsync = s().chkVsync->value();
        click(s().cmdClose);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !s().isVisible(); }, 20000));
        EXPECT_EQ(s().txtScreen->text(), text);

        const QByteArray file = fileBytes();
        EXPECT_EQ(slot(file, 2, 2), QByteArray::fromHex("0000"));
        EXPECT_EQ(storedText(file, 1), puzzle);
        EXPECT_EQ(storedText(file, 3), w.dirDirectory->path().toLatin1());
        EXPECT_EQ(slot(file, 15, 2), FileBytes::word(vsync));
        ASSERT_EQ(world.messages.size(), 1u);
        EXPECT_EQ(world.messages[0].style, style::Exclamation);
        EXPECT_TRUE(world.messages[0].prompt.contains("screen shot directory", Qt::CaseInsensitive));
    }
}

TEST_F(SettingsFileTest, WindowClosedThroughItsFrameLosesItsOwnChangesButNotThePick)
{
    // Every record present, with filler after each value.
    world.makeFile("roms/game.zip");
    world.makeFile("other/next.zip");
    FileBytes stored(15 * 128, '~');
    stored.text(1, puzzle).text(2, "shots").text(3, world.makeDir("roms").toLatin1()).integer(14, 1).integer(15, 2);
    for (int record = 4; record <= 13; ++record)
        stored.flag(record, record == 4 || record == 9);
    start(stored.bytes());

    w.cmdSettings->trigger();
    click(s().optSkip4);
    click(s().chkNoAnalyse);
    s().txtScreen->setText("typed");
    s().close();
    pick(world.path("roms"), "game.zip");
    EXPECT_EQ(w.selectedPath(), world.path("roms/game.zip"));
    pick(world.path("other"), "next.zip");
    const QString picked = world.path("other/next.zip");
    EXPECT_EQ(w.selectedPath(), picked);
    EXPECT_EQ(w.StatusBar1->panel("text").text(), picked);
    click(w.cmdRun2);
    ASSERT_EQ(world.launches().size(), 1u);
    EXPECT_EQ(test::argumentsOf(world.launches()[0]), (QStringList{picked, "-f0", "-s25", "-noanalyse"}));
    click(w.cmdExit);

    EXPECT_EQ(world.endCodes, std::vector<int>{0});
    stored.text(1, picked.toLatin1()).text(3, world.path("other").toLatin1());
    EXPECT_EQ(fileBytes(), stored.bytes());
}

TEST_F(SettingsFileTest, FailedWriteIsReportedAndNothingEnds)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows removes no folder that is a program's current one";
#endif
    start(FileBytes().text(1, puzzle).bytes());
    w.cmdSettings->trigger();
    // The folder itself goes: no new file can be made there, even by root.
    ASSERT_TRUE(QFile::remove(world.path(settingsFileName)));
    ASSERT_TRUE(QDir().rmdir(world.path()));

    click(s().cmdClose);
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].style, style::Critical);
    EXPECT_TRUE(world.messages[0].prompt.startsWith("Run-time error"));
    EXPECT_TRUE(s().isVisible());
    EXPECT_TRUE(world.endCodes.empty());

    click(w.cmdExit);
    EXPECT_EQ(messagesOfStyle(style::Critical), 2);
    EXPECT_TRUE(world.messages.back().prompt.contains("Closing the window leaves without saving"));
    EXPECT_TRUE(world.endCodes.empty());
}

TEST_F(SettingsFileTest, StartUpLoadsOnceIntoOneWindowDespiteTheNestedLoad)
{
    // Two frame skips stored true: the later one wins, as it would on screen.
    start(FileBytes()
              .text(1, puzzle)
              .text(2, "shots")
              .text(3, world.makeDir("roms").toLatin1())
              .flag(4, true)
              .flag(6, true)
              .flag(12, true)
              .integer(14, 1)
              .integer(15, 1)
              .bytes());
    EXPECT_EQ(liveSettingsWindows(), 1);
    EXPECT_EQ(s().sparkleFlag(), 1);
    const QString path = QString::fromLatin1(puzzle);
    EXPECT_EQ(shown(), (QStringList{"shots", "1", "1", path, path, world.path("roms"), "optSkip1=off", "optSkip2=off",
                                    "optSkip3=on", "optSkip4=off", "optScan=off", "optScan25=off", "optScan50=off",
                                    "optScanNo=off", "optVga=on", "optModex=off"}));
}

} // namespace
} // namespace lumora
