// The settings window as the user meets it: its layout, focus, the option
// groups and check boxes, its life from creation to closing, and "Close and
// Save".

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "controls/ComboBox.h"
#include "controls/SparkleCanvas.h"
#include "controls/Twips.h"
#include "settings/SettingsTestSupport.h"

namespace lumora {
namespace {

using test::FileBytes;
using test::liveSettingsWindows;
using test::SettingsTest;
using test::World;

struct Placed {
    const char* name;
    const char* type;
    const char* container; // "client" is the window's canvas
    const char* caption;
    int left, top, width, height;
};

// In the design's tab-index order, 0 to 16.
const Placed layout[] = {
    {"Label3", "QLabel", "client", "Screen Shot Directory", 0, 2160, 5415, 255},
    {"txtScreen", "QLineEdit", "client", "", 120, 2400, 5415, 375},
    {"cmdClose", "QPushButton", "client", "Close and Save", 3960, 2880, 1575, 375},
    {"chkVsync", "lumora::CheckBox", "client", "Enable Vsync", 120, 1680, 1455, 195},
    {"Frame2", "QGroupBox", "client", "Video Options", 1920, 120, 2535, 1935},
    {"optVga", "lumora::OptionButton", "Frame2", "VGA Resolution", 120, 1320, 1575, 195},
    {"optScan", "lumora::OptionButton", "Frame2", "Scanlines", 120, 360, 1575, 195},
    {"optScan25", "lumora::OptionButton", "Frame2", "25% Thinner Scanlines", 120, 600, 2175, 195},
    {"optScan50", "lumora::OptionButton", "Frame2", "50% Thinner Scanlines", 120, 840, 2055, 195},
    {"optScanNo", "lumora::OptionButton", "Frame2", "No Scanlines", 120, 1080, 1815, 195},
    {"optModex", "lumora::OptionButton", "Frame2", "Mode x", 120, 1560, 1455, 195},
    {"chkNoAnalyse", "lumora::CheckBox", "client", "Skip Code Analyse", 120, 1920, 1695, 195},
    {"Frame1", "QGroupBox", "client", "Frame Skip", 120, 120, 1695, 1455},
    {"optSkip1", "lumora::OptionButton", "Frame1", "1 Frame", 120, 360, 1095, 195},
    {"optSkip2", "lumora::OptionButton", "Frame1", "2 Frames", 120, 600, 1095, 195},
    {"optSkip3", "lumora::OptionButton", "Frame1", "3 Frames", 120, 840, 1095, 195},
    {"optSkip4", "lumora::OptionButton", "Frame1", "4 Frames", 120, 1080, 975, 195},
};

QString captionOf(const QWidget* widget)
{
    return widget->property(qobject_cast<const QGroupBox*>(widget) ? "title" : "text").toString();
}

class SettingsWindowTest : public SettingsTest {
protected:
    void SetUp() override { start(); }
    QWidget* child(const char* name) { return s().findChild<QWidget*>(QLatin1String(name)); }
    QStringList selectedOptions()
    {
        QStringList names;
        for (const OptionButton* option : test::optionButtons(s())) {
            if (option->value())
                names << option->objectName();
        }
        return names;
    }
};

TEST_F(SettingsWindowTest, LayoutFollowsTheDesign)
{
    EXPECT_EQ(s().windowTitle(), "Settings");
    EXPECT_EQ(s().size(), QSize(377, 226));
    EXPECT_EQ(s().canvas->size(), QSize(377, 226));
    for (const Placed& p : layout) {
        SCOPED_TRACE(p.name);
        QWidget* widget = child(p.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), p.type);
        EXPECT_EQ(widget->parentWidget()->objectName(), p.container);
        EXPECT_EQ(captionOf(widget), p.caption);
        EXPECT_EQ(widget->geometry(), twipsRect(p.left, p.top, p.width, p.height));
    }
    // Frame captions in the classic bold face; it must not spread to the
    // buttons inside.
    for (const QGroupBox* frame : {s().Frame1, s().Frame2}) {
        EXPECT_TRUE(frame->font().bold());
        EXPECT_EQ(frame->font().pointSize(), 12);
        ASSERT_FALSE(frame->font().families().isEmpty());
        EXPECT_EQ(frame->font().families().first(), "MS Sans Serif");
    }
    for (const OptionButton* option : test::optionButtons(s())) {
        EXPECT_FALSE(option->font().bold()) << option->objectName().toStdString();
        EXPECT_FALSE(QFontInfo(option->font()).bold()) << option->objectName().toStdString();
    }
}

TEST_F(SettingsWindowTest, FocusStartsInTheTextBoxAndFollowsTheDesignOrder)
{
    QStringList expected;
    for (const Placed& p : layout) {
        if (child(p.name)->focusPolicy() & Qt::TabFocus)
            expected << p.name;
    }
    ASSERT_EQ(expected.size(), 14); // all but the label and the two frames

    QStringList visited;
    QWidget* start = s().txtScreen;
    QWidget* at = start;
    do {
        if ((at->focusPolicy() & Qt::TabFocus) && at->window() == &s())
            visited << at->objectName();
        at = at->nextInFocusChain();
    } while (at != start && visited.size() <= expected.size());
    EXPECT_EQ(visited, expected);

    // The first of them holds the focus when the window is first shown.
    w.cmdSettings->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&s()));
    EXPECT_EQ(s().focusWidget(), s().txtScreen);
    EXPECT_EQ(QApplication::focusWidget(), s().txtScreen);
}

TEST_F(SettingsWindowTest, OptionGroupsAreExclusiveEachOnItsOwn)
{
    w.cmdSettings->trigger();
    EXPECT_TRUE(selectedOptions().isEmpty()); // a fresh start selects none
    struct Step {
        const char* click;
        QStringList selected; // in record order
    };
    const Step steps[] = {
        {"optScan", {"optScan"}},
        {"optVga", {"optVga"}},
        {"optSkip2", {"optSkip2", "optVga"}},
        {"optModex", {"optSkip2", "optModex"}},
        {"optModex", {"optSkip2", "optModex"}}, // a selected option stays selected
        {"optSkip4", {"optSkip4", "optModex"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.click);
        click(child(step.click));
        EXPECT_EQ(selectedOptions(), step.selected);
    }
    s().optModex->setValue(false); // code may leave a group with none
    EXPECT_EQ(selectedOptions(), QStringList{"optSkip4"});
    click(s().optScan25);
    EXPECT_EQ(selectedOptions(), (QStringList{"optSkip4", "optScan25"}));
}

// Stored values, so that a second load from the file can be told apart from
// changes made on screen.
class SettingsLifecycleTest : public SettingsWindowTest {
protected:
    void SetUp() override
    {
        world.makeFile("other/game.zip");
        start(FileBytes()
                  .text(1, "C:\\ROMS\\PUZZLE.ZIP")
                  .text(2, "shots")
                  .text(3, world.makeDir("roms").toLatin1())
                  .flag(8, true)
                  .integer(15, 1)
                  .bytes());
    }
};

TEST_F(SettingsLifecycleTest, LivesFromFirstUseUntilClosedThroughItsFrame)
{
    const QStringList stored = shown();
    ASSERT_EQ(stored.first(), "shots");

    QPointer<frmSettings> first = &s();
    EXPECT_EQ(liveSettingsWindows(), 1);
    EXPECT_FALSE(first->isVisible()); // made at start-up, not shown

    w.cmdSettings->trigger();
    w.cmdSettings->trigger();
    EXPECT_EQ(liveSettingsWindows(), 1);
    EXPECT_EQ(&s(), first.data());
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->sparkleFlag(), 1);

    click(first->optVga);
    click(first->chkVsync);
    first->txtScreen->setText("typed");
    pick(world.path("other"), "game.zip");
    ASSERT_NE(shown(), stored);

    first->close();
    EXPECT_EQ(liveSettingsWindows(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());

    const QStringList mainWindowAsLeft = shown().mid(3, 3);
    w.cmdSettings->trigger();
    EXPECT_EQ(liveSettingsWindows(), 1);
    EXPECT_TRUE(s().isVisible());
    EXPECT_EQ(s().sparkleFlag(), 1);
    // Refilled from the file; the main window keeps the pick and the folder.
    QStringList expected = stored;
    for (int i = 0; i < 3; ++i)
        expected[3 + i] = mainWindowAsLeft[i];
    EXPECT_EQ(shown(), expected);
}

TEST_F(SettingsWindowTest, CloseAndSaveHidesWritesAndReloadsTheMainWindow)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        w.cboFileType->setListIndex(1);
        ASSERT_EQ(w.filFiles->pattern(), "*.*");
        w.cmdSettings->trigger();
        click(s().optScan50);
        click(s().cmdClose);

        EXPECT_FALSE(s().isVisible());
        EXPECT_EQ(liveSettingsWindows(), 1);
        EXPECT_EQ(slot(fileBytes(), 10, 4), QByteArray::fromHex("0B00FFFF"));
        EXPECT_EQ(w.cboFileType->listIndex(), 0);
        EXPECT_EQ(w.cboFileType->currentText(), "Zip Files (*.zip)");
        EXPECT_EQ(w.cboFileType->count(), 2);
        EXPECT_EQ(w.filFiles->pattern(), "*.zip");
        EXPECT_EQ(world.runtime().files.openCount(), 1u);
        EXPECT_TRUE(world.messages.empty());
    }
}

} // namespace
} // namespace lumora
