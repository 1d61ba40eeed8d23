// The sparkle effect as both windows draw it.

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "controls/FormRuntime.h"
#include "controls/SparkleCanvas.h"
#include "core/SparklePoint.h"
#include "launcher/frmMain.h"
#include "settings/frmSettings.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

class Sparkle : public ::testing::Test {
protected:
    Sparkle()
    {
        w = std::make_unique<frmMain>(world.runtime());
        // Ticks come from the test alone, so that the generator's state is known.
        w->tmrTimer->stop();
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    void load()
    {
        w->Form_Load();
        w->settingsWindow().tmrTimer1->stop();
    }

    // Pixels of `after` that differ from `before` inside `area`.
    static int changed(const QImage& before, const QImage& after, const QRect& area)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += before.pixel(x, y) != after.pixel(x, y);
        return n;
    }

    test::World world;
    std::unique_ptr<frmMain> w;
};

TEST_F(Sparkle, NothingIsDrawnUntilTheStartUpHasEnded)
{
    const QImage before = w->canvas->surface();
    ASSERT_FALSE(before.isNull());
    const std::uint32_t state = world.runtime().random.state();
    w->tmrTimer_Timer();
    EXPECT_EQ(w->canvas->surface(), before);
    EXPECT_EQ(world.runtime().random.state(), state);

    load();
    w->tmrTimer_Timer();
    EXPECT_GT(changed(before, w->canvas->surface(), before.rect()), 0);
}

TEST_F(Sparkle, BothWindowsDrawFromTheOneGenerator)
{
    load();
    frmSettings& settings = w->settingsWindow();
    ASSERT_FALSE(settings.isVisible());
    RandomSource expected = world.runtime().random;
    const auto advance = [&expected] {
        for (int i = 0; i < 5 * sparklePointsPerTick; ++i)
            expected.next();
    };

    w->tmrTimer_Timer();
    advance();
    EXPECT_EQ(world.runtime().random.state(), expected.state());

    // Drawn even while the window is hidden: its surface is made on the first
    // tick and takes the points of every tick after it.
    settings.tmrTimer1_Timer();
    advance();
    EXPECT_EQ(world.runtime().random.state(), expected.state());
    const QImage before = settings.canvas->surface();
    ASSERT_EQ(before.size(), settings.canvas->size());
    settings.tmrTimer1_Timer();
    advance();
    EXPECT_EQ(world.runtime().random.state(), expected.state());
    EXPECT_GT(changed(before, settings.canvas->surface(), before.rect()), 0);
    EXPECT_FALSE(settings.isVisible());
}

TEST_F(Sparkle, ControlsStayAboveThePointsAndThePointsSurviveRepaints)
{
    load();
    const QRect button = w->cmdExit->geometry().adjusted(4, 4, -4, -4); // inside its border
    const QImage surfaceBefore = w->canvas->surface();
    const QImage shotBefore = w->canvas->grab().toImage();
    for (int i = 0; i < 200; ++i)
        w->tmrTimer_Timer();
    const QImage surface = w->canvas->surface();
    ASSERT_GT(changed(surfaceBefore, surface, button), 0); // points did land under the button
    EXPECT_EQ(changed(shotBefore, w->canvas->grab().toImage(), button), 0);

    w->hide();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->canvas->repaint();
    EXPECT_EQ(w->canvas->surface(), surface);

    // Where no control covers the surface, the window shows the points.
    const QImage shot = w->canvas->grab().toImage();
    int seen = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (surface.pixel(x, y) != surfaceBefore.pixel(x, y) && !w->canvas->childAt(x, y)) {
                EXPECT_EQ(shot.pixel(x, y), surface.pixel(x, y)) << x << "," << y;
                ++seen;
            }
    EXPECT_GT(seen, 0);
}

TEST_F(Sparkle, ACanvasWithoutWidthTakesTicksSafely)
{
    load();
    frmSettings& settings = w->settingsWindow();
    settings.canvas->resize(0, 100);
    // As the timer delivers it: through the trap, which an error would end.
    QMetaObject::invokeMethod(settings.tmrTimer1, "timeout", Qt::DirectConnection);
    EXPECT_FALSE(world.runtime().errors.ended());
    EXPECT_TRUE(world.messages.empty());
    SparkleCanvas empty;
    empty.resize(0, 0);
    EXPECT_NO_THROW(empty.sparkle(world.runtime().random));
}

} // namespace
} // namespace lumora
