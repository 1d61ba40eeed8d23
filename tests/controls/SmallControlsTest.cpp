// The small controls and the trap for errors that no handler catches.

#include <gtest/gtest.h>

#include <QLocale>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Cursors.h"
#include "controls/FormRuntime.h"
#include "controls/InputHold.h"
#include "controls/NativeText.h"
#include "controls/OptionButton.h"
#include "controls/SparkleCanvas.h"
#include "controls/StatusBar.h"
#include "controls/Twips.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

// Keeps the region of every paint event its object gets.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QList<QRegion>& regions) : regions_(regions) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            regions_.append(static_cast<QPaintEvent*>(event)->region());
        return false;
    }

private:
    QList<QRegion>& regions_;
};

using test::World;

TEST(ComboBox, AddedEntriesLeaveTheEditTextUntilAnIndexIsSet)
{
    World world;
    ComboBox combo(world.runtime().errors);
    int clicks = 0;
    combo.click.setHandler([&] { ++clicks; });
    combo.setEditText(QStringLiteral("Combo1"));
    combo.addEntry(QStringLiteral("Zip Files (*.zip)"));
    combo.addEntry(QStringLiteral("All Files (*.*)"));
    EXPECT_EQ(combo.currentText(), QStringLiteral("Combo1"));
    EXPECT_EQ(combo.listIndex(), -1);
    EXPECT_EQ(clicks, 0);

    combo.setListIndex(1);
    EXPECT_EQ(combo.listIndex(), 1);
    EXPECT_EQ(combo.currentText(), QStringLiteral("All Files (*.*)"));
    EXPECT_EQ(clicks, 1);
    combo.setListIndex(1); // the current index again
    EXPECT_EQ(clicks, 2);
    emit combo.activated(0); // the user's choice
    EXPECT_EQ(clicks, 3);
}

struct StatusBarFixture : ::testing::Test {
    World world;
    StatusBar bar{[this] { return world.now; }};
    StatusBarFixture()
    {
        bar.addPanel(QStringLiteral("text"), StatusBar::PanelKind::Text, 0, true);
        bar.addPanel(QString(), StatusBar::PanelKind::Date, 96, false);
    }
    static QString shortDate(const QDate& d) { return QLocale::system().toString(d, QLocale::ShortFormat); }
    const QTimer& midnightTimer() const { return *bar.findChild<QTimer*>(QStringLiteral("midnight")); }
};

TEST_F(StatusBarFixture, PanelsAreFoundByKey)
{
    bar.panel(QStringLiteral("text")).setText(QStringLiteral("/games/PUZZLE.ZIP"));
    EXPECT_EQ(bar.panelAt(0).text(), QStringLiteral("/games/PUZZLE.ZIP"));
    for (const QString& key : {QStringLiteral("Text"), QStringLiteral("date"), QStringLiteral("x")}) {
        try {
            bar.panel(key);
            ADD_FAILURE() << key.toStdString();
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::ElementNotFound);
        }
    }
}

TEST_F(StatusBarFixture, DatePanelShowsTheClocksDateAndTurnsOverAtMidnight)
{
    EXPECT_EQ(bar.panelAt(1).text(), shortDate(world.now.date()));
    ASSERT_NE(bar.findChild<QTimer*>(QStringLiteral("midnight")), nullptr);
    const QDateTime midnight(world.now.date().addDays(1), QTime(0, 0));
    const qint64 toMidnight = world.now.msecsTo(midnight);
    EXPECT_TRUE(midnightTimer().isActive());
    EXPECT_TRUE(midnightTimer().isSingleShot());
    EXPECT_GE(midnightTimer().interval(), toMidnight);
    EXPECT_LE(midnightTimer().interval(), toMidnight + 2000);

    world.now = QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59));
    bar.refreshDate();
    EXPECT_EQ(bar.panelAt(1).text(), shortDate(QDate(2026, 12, 7)));
    EXPECT_GE(midnightTimer().interval(), 1000);
    EXPECT_LE(midnightTimer().interval(), 3000);
    world.now = QDateTime(QDate(2026, 12, 8), QTime(0, 0, 1));
    bar.refreshDate();
    EXPECT_EQ(bar.panelAt(1).text(), shortDate(QDate(2026, 12, 8)));
    EXPECT_EQ(bar.panelAt(0).text(), QString()); // text panels are left alone
}

TEST(CheckBox, ClicksToggleBetweenZeroAndOneAndOnlyCodeMakesItGrey)
{
    CheckBox box(QStringLiteral("Enable Vsync"));
    EXPECT_EQ(box.value(), 0);
    const int afterClicks[] = {1, 0, 1};
    for (int expected : afterClicks) {
        box.click();
        EXPECT_EQ(box.value(), expected);
    }
    box.setValue(2);
    EXPECT_EQ(box.value(), 2);
    for (int i = 0; i < 4; ++i) {
        box.click();
        EXPECT_NE(box.value(), 2);
    }
    box.setValue(2);
    box.click();
    EXPECT_EQ(box.value(), 0);
    box.setValue(7);
    EXPECT_EQ(box.value(), 0);
}

TEST(OptionButton, CodeCanClearTheSelectedButtonOfAGroup)
{
    QWidget frame;
    OptionButton a(QStringLiteral("a"), &frame);
    OptionButton b(QStringLiteral("b"), &frame);
    a.setValue(true);
    b.setValue(true);
    EXPECT_FALSE(a.value());
    EXPECT_TRUE(b.value());
    b.setValue(false);
    EXPECT_FALSE(a.value());
    EXPECT_FALSE(b.value());
    a.setValue(true); // still exclusive afterwards
    b.setValue(true);
    EXPECT_FALSE(a.value());
}

TEST(Twips, ConvertToTheNearestPixelSymmetrically)
{
    const std::pair<int, int> cases[] = {{0, 0}, {15, 1}, {7, 0}, {8, 1}, {9945, 663}, {8500, 567}, {1440, 96}};
    for (const auto& [twips, pixels] : cases) {
        EXPECT_EQ(twipsToPixels(twips), pixels) << twips;
        EXPECT_EQ(twipsToPixels(-twips), -pixels) << twips;
    }
    EXPECT_EQ(twipsRect(120, 0, 4815, 3375), QRect(8, 0, 321, 225));
}

TEST(SparkleCanvas, ATickRepaintsOnceJustThePixelsItSetThatCanBeSeen)
{
    SparkleCanvas canvas;
    canvas.resize(663, 413);
    QWidget control(&canvas); // paints its own background over the points
    control.setAutoFillBackground(true);
    control.setGeometry(0, 0, 300, 413);
    canvas.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas));
    QList<QRegion> painted, controlPainted;
    PaintRecorder recorder(painted), controlRecorder(controlPainted);
    canvas.installEventFilter(&recorder);
    control.installEventFilter(&controlRecorder);

    RandomSource random;
    const QImage before = canvas.surface();
    canvas.sparkle(random);
    QTest::qWait(50);
    QRegion set;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (canvas.surface().pixel(x, y) != before.pixel(x, y))
                set += QRect(x, y, 1, 1);
    ASSERT_EQ(painted.size(), 1);
    ASSERT_FALSE(set.intersected(control.geometry()).isEmpty()); // drawn under the control too
    EXPECT_EQ(painted[0], set - control.geometry());             // the pixels seen, not the box around them
    EXPECT_TRUE(controlPainted.isEmpty());
}

TEST(ErrorGuard, AnUntrappedErrorIsReportedAndEndsTheProgram)
{
    const struct {
        std::function<void()> fault;
        QString report;
    } cases[] = {
        {[] { throw RuntimeError(err::PathNotFound); }, QStringLiteral("Run-time error '76':\n\nPath not found")},
        {[] { throw std::bad_alloc(); }, QStringLiteral("Run-time error '7':\n\nOut of memory")},
    };
    for (const auto& c : cases) {
        World world;
        FormRuntime& runtime = world.runtime();
        runtime.errors.guard(c.fault);
        ASSERT_EQ(world.messages.size(), 1u);
        EXPECT_EQ(world.messages[0].prompt, c.report);
        EXPECT_EQ(world.messages[0].style, style::Critical);
        EXPECT_EQ(world.endCodes, std::vector<int>{1});
        EXPECT_TRUE(runtime.errors.ended());

        bool ran = false;
        runtime.errors.guard([&] { ran = true; });
        runtime.errors.guard([] { throw RuntimeError(err::FileNotFound); });
        EXPECT_FALSE(ran);
        EXPECT_EQ(world.messages.size(), 1u);
        EXPECT_EQ(world.endCodes.size(), 1u);
    }
}

TEST(ErrorGuard, ALongPathIsShortenedInItsMiddleSoThatTheBoxFitsTheScreen)
{
    EXPECT_EQ(shownPath(QStringLiteral("/games/PUZZLE.ZIP")), "/games/PUZZLE.ZIP");
    const QString deep = QStringLiteral("/games/") + QStringLiteral("nested folder/").repeated(400) + "PUZZLE.ZIP";
    World world;
    world.runtime().errors.guard([&] { throw RuntimeError(err::PathNotFound, nativeFromText(deep)); });
    ASSERT_EQ(world.messages.size(), 1u);
    const QString shown = world.messages[0].prompt.section(QStringLiteral("\n\n"), 2);
    EXPECT_LE(shown.size(), 80);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/games/\u2026/"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/nested folder/PUZZLE.ZIP"))) << shown.toStdString();
}

TEST(InputHold, WhileItLastsTheWindowsTakeNoInputAndOnlyTheOneKeptClosesThroughItsFrame)
{
    QWidget kept;
    QWidget other;
    QPushButton button(QStringLiteral("Exit"), &other);
    for (QWidget* window : {&kept, &other})
        window->show();
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    {
        const InputHold hold(&kept);
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::keyClick(&button, Qt::Key_Space);
        EXPECT_EQ(QGuiApplication::overrideCursor()->pixmap().toImage(), waitCursor().pixmap().toImage());
        EXPECT_FALSE(other.close());
        EXPECT_TRUE(kept.close());
    }
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST(ErrorGuard, NothingRunsAfterAnOrderlyEnd)
{
    World world;
    FormRuntime& runtime = world.runtime();
    bool ran = false;
    runtime.errors.guard([&] { ran = true; });
    EXPECT_TRUE(ran);
    runtime.errors.end(0);
    runtime.errors.end(3);
    EXPECT_EQ(world.endCodes, std::vector<int>{0});
    ran = false;
    runtime.errors.guard([&] { ran = true; });
    EXPECT_FALSE(ran);
    EXPECT_TRUE(world.messages.empty());
}

} // namespace
} // namespace lumora
