// The two screenshot previews as a pick in the main window's file list shows
// them.

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "controls/DirectoryList.h"
#include "controls/FileList.h"
#include "controls/PictureBox.h"
#include "controls/SparkleCanvas.h"
#include "core/Worker.h"
#include "launcher/frmMain.h"
#include "settings/frmSettings.h"
#include "support/TestSupport.h"
#include "support/WindowSupport.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace lumora {
namespace {

using test::previewsSettle;
using test::shownEntries;

// A picture Qt's reader accepts that takes seconds to decode, in a file of a
// few dozen kilobytes: a large flat picture written progressively, whose last
// refinement scan then comes a thousand times over.
QByteArray costlyJpeg()
{
    QImage flat(2000, 2000, QImage::Format_RGB32);
    flat.fill(qRgb(90, 120, 200));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    if (!writer.write(flat))
        return {};
    const auto byte = [&](qsizetype at) { return quint8(jpeg[at]); };
    qsizetype scan = -1, end = 2; // the last scan's segment, with its data
    while (end + 4 <= jpeg.size() && byte(end) == 0xFF && byte(end + 1) != 0xD9) {
        const qsizetype start = end;
        end += 2 + (byte(end + 2) << 8 | byte(end + 3));
        if (byte(start + 1) != 0xDA)
            continue;
        scan = start; // entropy-coded data runs to the next marker that is no stuffing or restart
        while (end + 1 < jpeg.size() && !(byte(end) == 0xFF && byte(end + 1) != 0 && (byte(end + 1) & 0xF8) != 0xD0))
            ++end;
    }
    if (scan < 0)
        return {};
    return jpeg.left(end) + jpeg.mid(scan, end - scan).repeated(1000) + jpeg.mid(end);
}

class Previews : public ::testing::Test {
protected:
    Previews()
    {
        for (const char* name : {"games/PUZZLE.ZIP", "games/RACER.ZIP", "games/BARE.ZIP"})
            world.makeFile(QString::fromLatin1(name), "PK");
        shots = world.makeDir(QStringLiteral("shots"));
        w = std::make_unique<frmMain>(world.runtime());
        w->Form_Load();
        w->settingsWindow().txtScreen->setText(shots); // not saved: the box's text is what counts
        w->dirDirectory->setPath(world.path(QStringLiteral("games")));
    }

    void pick(const QString& name) { test::pickGame(*w, world.path(QStringLiteral("games")), name); }

    // A screenshot of `size` filled with `colour`, under the preview name.
    void shoot(const QString& name, QSize size, QRgb colour = qRgb(200, 100, 50))
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(shots + QDir::separator() + name, "BMP"));
    }

    QSize shown(const PictureBox* box) const { return box->picture().size(); }

    test::World world;
    QString shots;
    std::unique_ptr<frmMain> w;
};

TEST_F(Previews, BothScreenshotsAreShownUnderTheFileNameWithItsExtension)
{
    shoot(QStringLiteral("PUZZLE.ZIP1.bmp"), {320, 200});
    shoot(QStringLiteral("PUZZLE.ZIP2.bmp"), {256, 224});
    shoot(QStringLiteral("PUZZLE1.bmp"), {10, 10}); // the name without its extension is not used
    pick(QStringLiteral("PUZZLE.ZIP"));
    EXPECT_EQ(shown(w->Picture1), QSize(320, 200));
    EXPECT_EQ(shown(w->Picture2), QSize(256, 224));
    EXPECT_TRUE(world.messages.empty());
}

TEST_F(Previews, EachBoxFollowsItsOwnFile)
{
    const struct {
        const char* name;
        QByteArray first;  // empty: no such file
        QByteArray second; // "bmp": a good bitmap
    } cases[] = {
        {"only the second", {}, "bmp"},
        {"not a picture", "PK\x03\x04 not a picture", "bmp"},
        {"truncated", "truncated", "bmp"},
        {"only the first", "bmp", {}},
    };
    QImage good(64, 48, QImage::Format_RGB32);
    good.fill(Qt::darkGreen);
    QByteArray goodBytes;
    {
        QBuffer buffer(&goodBytes);
        buffer.open(QIODevice::WriteOnly);
        good.save(&buffer, "BMP");
    }
    const auto content = [&](const QByteArray& kind) {
        return kind == "bmp" ? goodBytes : kind == "truncated" ? goodBytes.left(goodBytes.size() / 2) : kind;
    };
    for (const auto& c : cases) {
        for (const char* n : {"RACER.ZIP1.bmp", "RACER.ZIP2.bmp"})
            QFile::remove(shots + QDir::separator() + QLatin1String(n));
        if (!c.first.isEmpty())
            world.makeFile(QStringLiteral("shots/RACER.ZIP1.bmp"), content(c.first));
        if (!c.second.isEmpty())
            world.makeFile(QStringLiteral("shots/RACER.ZIP2.bmp"), content(c.second));
        pick(QStringLiteral("RACER.ZIP"));
        EXPECT_EQ(w->Picture1->picture().isNull(), c.first != "bmp") << c.name;
        EXPECT_EQ(w->Picture2->picture().isNull(), c.second != "bmp") << c.name;
    }
    EXPECT_TRUE(world.messages.empty()); // a missing or broken screenshot is no error
    EXPECT_TRUE(world.endCodes.empty());
}

TEST_F(Previews, WhatIsNoRegularFileBlanksItsBoxWithoutWaitingAtAPickAndAtStartUp)
{
#ifdef _WIN32
    GTEST_SKIP() << "a FIFO is POSIX's; the core's WindowsFiles tries a device";
#else
    // A blocking open of a FIFO without a writer would never return.
    ASSERT_EQ(::mkfifo(QFile::encodeName(shots + "/PUZZLE.ZIP1.bmp").constData(), 0666), 0);
    shoot(QStringLiteral("PUZZLE.ZIP2.bmp"), {20, 20});
    pick(QStringLiteral("PUZZLE.ZIP"));
    EXPECT_TRUE(w->Picture1->picture().isNull());
    EXPECT_EQ(shown(w->Picture2), QSize(20, 20));

    // The stored game's screenshot, at the next start.
    ASSERT_TRUE(test::save(*w));
    frmMain again(world.runtime());
    again.Form_Load();
    ASSERT_TRUE(previewsSettle(again));
    EXPECT_TRUE(again.Picture1->picture().isNull());
    EXPECT_EQ(shown(again.Picture2), QSize(20, 20));
    EXPECT_TRUE(world.messages.empty());
#endif
}

TEST_F(Previews, ACostlyPictureDecodesAwayFromTheWindowsAndALaterPickSupersedesIt)
{
    QByteArray costly = costlyJpeg();
    QBuffer header(&costly);
    ASSERT_EQ(QImageReader(&header).size(), QSize(2000, 2000));
    world.makeFile(QStringLiteral("shots/RACER.ZIP1.bmp"), costly);
    shoot(QStringLiteral("PUZZLE.ZIP1.bmp"), {30, 30});
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));

    w->filFiles->setListIndex(int(shownEntries(*w->filFiles).indexOf(QStringLiteral("RACER.ZIP"))));
    w->filFiles_Click();
    EXPECT_TRUE(w->Picture1->loading()); // the pick is over; the picture is still on its way
    const QImage before = w->canvas->surface();
    QTest::qWait(200);
    EXPECT_NE(w->canvas->surface(), before); // and the window went on sparkling

    pick(QStringLiteral("PUZZLE.ZIP"));
    EXPECT_EQ(shown(w->Picture1), QSize(30, 30));
    // However late the costly one ends, it does not replace the later pick.
    ASSERT_TRUE(QTest::qWaitFor([] { return workersRunning() == 0; }, 20000));
    QCoreApplication::processEvents();
    EXPECT_EQ(shown(w->Picture1), QSize(30, 30));
}

TEST_F(Previews, APickWithoutScreenshotsBlanksTheBoxesOfThePreviousOne)
{
    shoot(QStringLiteral("PUZZLE.ZIP1.bmp"), {32, 32});
    shoot(QStringLiteral("PUZZLE.ZIP2.bmp"), {32, 32});
    pick(QStringLiteral("PUZZLE.ZIP"));
    ASSERT_FALSE(w->Picture1->picture().isNull());
    pick(QStringLiteral("BARE.ZIP"));
    EXPECT_TRUE(w->Picture1->picture().isNull());
    EXPECT_TRUE(w->Picture2->picture().isNull());
}

TEST_F(Previews, AScreenshotChangedOnDiskIsReadAgain)
{
    shoot(QStringLiteral("PUZZLE.ZIP1.bmp"), {40, 30}, qRgb(255, 0, 0));
    pick(QStringLiteral("PUZZLE.ZIP"));
    ASSERT_EQ(shown(w->Picture1), QSize(40, 30));
    EXPECT_EQ(w->Picture1->picture().pixel(0, 0), qRgb(255, 0, 0));

    shoot(QStringLiteral("PUZZLE.ZIP1.bmp"), {40, 30}, qRgb(0, 0, 255)); // same name, size and nearly same time
    pick(QStringLiteral("PUZZLE.ZIP"));
    EXPECT_EQ(w->Picture1->picture().pixel(0, 0), qRgb(0, 0, 255));
    shoot(QStringLiteral("PUZZLE.ZIP1.bmp"), {50, 20});
    pick(QStringLiteral("PUZZLE.ZIP"));
    EXPECT_EQ(shown(w->Picture1), QSize(50, 20));
}

TEST_F(Previews, ASettingsWindowClosedThroughItsFrameComesBackWithTheStoredDirectory)
{
    shoot(QStringLiteral("PUZZLE.ZIP1.bmp"), {24, 24});
    shoot(QStringLiteral("PUZZLE.ZIP2.bmp"), {24, 24});
    ASSERT_TRUE(test::save(*w)); // stores the screenshot folder
    // Typed afterwards and never saved: lost with the window.
    w->settingsWindow().txtScreen->setText(world.path(QStringLiteral("elsewhere")));

    w->settingsWindow().close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(test::liveSettingsWindows(), 0);

    pick(QStringLiteral("PUZZLE.ZIP"));
    ASSERT_EQ(test::liveSettingsWindows(), 1);
    EXPECT_EQ(w->settingsWindow().txtScreen->text(), shots);
    EXPECT_EQ(shown(w->Picture1), QSize(24, 24));
    EXPECT_EQ(shown(w->Picture2), QSize(24, 24));
    EXPECT_TRUE(world.messages.empty());
}

} // namespace
} // namespace lumora
