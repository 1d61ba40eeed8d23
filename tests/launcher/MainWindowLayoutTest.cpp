#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

#include "controls/ComboBox.h"
#include "controls/DirectoryList.h"
#include "controls/DriveList.h"
#include "controls/FileList.h"
#include "controls/PictureBox.h"
#include "controls/SparkleCanvas.h"
#include "controls/StatusBar.h"
#include "launcher/frmMain.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

struct Placed {
    const char* name;
    const char* className;
    int left, top, width, height; // twips, each a whole number of pixels
    int tabIndex;
    QRect pixels() const { return {left / 15, top / 15, width / 15, height / 15}; }
};

const Placed designControls[] = {
    {"Picture1", "lumora::PictureBox", 120, 0, 4815, 3375, 7},
    {"Picture2", "lumora::PictureBox", 5040, 0, 4815, 3375, 0},
    {"cboFileType", "lumora::ComboBox", 120, 3480, 3135, 315, 2},
    {"drvDrive", "lumora::DriveList", 3360, 3480, 3135, 315, 5},
    {"dirDirectory", "lumora::DirectoryList", 120, 3840, 3135, 1890, 4},
    {"filFiles", "lumora::FileList", 3360, 3840, 3135, 1845, 3},
    {"cmdRun2", "QPushButton", 6600, 5160, 1335, 495, 8},
    {"cmdExit", "QPushButton", 8040, 5160, 1335, 495, 1},
    {"StatusBar1", "lumora::StatusBar", 0, 5820, 9945, 375, 6},
};

class MainWindowLayout : public ::testing::Test {
protected:
    QWidget* control(const char* name) { return w.centralWidget()->findChild<QWidget*>(QString::fromLatin1(name)); }

    test::World world;
    frmMain w{world.runtime()};
};

// A status bar panel's widget: named after its key, or "panelN" when it has none.
QWidget* panelWidget(const frmMain& w, const char* name)
{
    return w.StatusBar1->findChild<QWidget*>(QString::fromLatin1(name));
}

TEST_F(MainWindowLayout, EveryControlSitsWhereTheDesignPutsIt)
{
    for (const Placed& p : designControls) {
        SCOPED_TRACE(p.name);
        QWidget* c = control(p.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->parentWidget(), w.centralWidget());
        EXPECT_TRUE(c->inherits(p.className)) << c->metaObject()->className();
        EXPECT_EQ(c->geometry(), p.pixels());
    }
    EXPECT_EQ(w.cmdRun2->text(), "Run Gravlok");
    EXPECT_EQ(w.cmdExit->text(), "Exit");
    EXPECT_TRUE(w.cboFileType->isEditable());
}

TEST_F(MainWindowLayout, ClientAreaLiesBelowTheMenuBarAtItsScreenPlace)
{
    EXPECT_EQ(w.windowTitle(), "Lumora");
    ASSERT_EQ(w.centralWidget()->objectName(), "client");
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.centralWidget()->size(), QSize(9945 / 15, 6195 / 15));
    EXPECT_EQ(w.centralWidget()->mapToGlobal(QPoint(0, 0)), QPoint(62, 86));
    EXPECT_GE(w.centralWidget()->y(), w.menuBar()->geometry().bottom() + 1);
}

TEST_F(MainWindowLayout, TabOrderFollowsTheTabIndexes)
{
    std::vector<Placed> byTab(std::begin(designControls), std::end(designControls));
    std::sort(byTab.begin(), byTab.end(), [](const Placed& a, const Placed& b) { return a.tabIndex < b.tabIndex; });
    QList<QWidget*> expected;
    for (const Placed& p : byTab)
        if (control(p.name)->focusPolicy() & Qt::TabFocus)
            expected.append(control(p.name));
    EXPECT_FALSE(expected.contains(w.StatusBar1)) << "the status bar takes no focus";
    ASSERT_EQ(expected.size(), 8);

    // Inner widgets (the combo's text field, the menu bar) may sit in the
    // chain too; only the design's own controls are compared.
    QList<QWidget*> walked;
    QWidget* step = w.Picture2;
    do {
        if (expected.contains(step) && !walked.contains(step))
            walked.append(step);
        step = step->nextInFocusChain();
    } while (step != w.Picture2 && walked.size() < expected.size());
    EXPECT_EQ(walked, expected);
}

TEST_F(MainWindowLayout, FileTypeBoxShowsItsDesignTextUntilTheStartUpChoosesZip)
{
    EXPECT_EQ(w.cboFileType->currentText(), "Combo1");
    w.Form_Load();
    EXPECT_EQ(w.cboFileType->currentText(), "Zip Files (*.zip)");
    EXPECT_EQ(w.cboFileType->listIndex(), 0);
}

TEST_F(MainWindowLayout, MenuBarHoldsOnlyTheSettingsCommand)
{
    const QList<QAction*> items = w.menuBar()->actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0], w.cmdSettings);
    EXPECT_EQ(items[0]->objectName(), "cmdSettings");
    EXPECT_EQ(items[0]->text(), "Settings");
    EXPECT_EQ(items[0]->menu(), nullptr);
}

TEST_F(MainWindowLayout, StatusBarHasAnEmptyTextPanelAndTodaysDate)
{
    EXPECT_EQ(w.StatusBar1->focusPolicy(), Qt::NoFocus);
    ASSERT_EQ(w.StatusBar1->panelCount(), 2);
    EXPECT_TRUE(w.StatusBar1->panel("text").text().isEmpty());
    EXPECT_EQ(panelWidget(w, "text")->width(), 567); // 8500 twips, rounded
    const auto& date = w.StatusBar1->panelAt(1);
    EXPECT_EQ(panelWidget(w, "panel2")->width(), 1440 / 15);
    EXPECT_EQ(date.text(), QLocale::system().toString(world.now.date(), QLocale::ShortFormat));
}

TEST_F(MainWindowLayout, WideningMovesOnlyTheStatusBar)
{
    w.Form_Load();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.resize(w.width() + 300, w.height() + 120);
    QWidget* client = w.centralWidget();
    QTRY_COMPARE(client->width(), 663 + 300);

    EXPECT_EQ(w.StatusBar1->geometry(), QRect(0, client->height() - 25, client->width(), 25));
    EXPECT_EQ(panelWidget(w, "panel2")->width(), 96);
    EXPECT_EQ(panelWidget(w, "text")->width(), client->width() - 96);
    for (const Placed& p : designControls) {
        if (control(p.name) != w.StatusBar1) {
            EXPECT_EQ(control(p.name)->geometry(), p.pixels()) << p.name;
        }
    }
}

} // namespace
} // namespace lumora
