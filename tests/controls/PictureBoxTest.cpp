// Picture files of the formats a screenshot folder may hold, written byte by
// byte here so that each header variant is exercised, and the broken files a
// folder may also hold.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPixmap>

#include "controls/NativeText.h"
#include "controls/PictureBox.h"
#include "core/RuntimeError.h"
#include "support/TestSupport.h"

// Each variant names only the header fields it changes.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace lumora {
namespace {

using test::errorNumber;
using test::World;

QByteArray le(quint32 value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

// A minimal BMP writer: the caller gives the encoded pixel data.
struct Bmp {
    int width = 3;
    int height = 2; // negative: rows stored top-down
    int bpp = 24;
    int compression = 0;   // 0 BI_RGB, 1 BI_RLE8, 3 BI_BITFIELDS
    int headerSize = 40;   // 12 OS/2 core, 40 info, 124 V5
    QByteArray headerTail; // what follows the 40 bytes of an info header inside it
    QByteArray masks;      // bit fields after a 40-byte header
    QList<QRgb> palette;
    QByteArray pixels;

    QByteArray bytes() const
    {
        QByteArray dib;
        if (headerSize == 12) {
            dib = le(12, 4) + le(quint32(width), 2) + le(quint32(height), 2) + le(1, 2) + le(quint32(bpp), 2);
        } else {
            dib = le(quint32(headerSize), 4) + le(quint32(width), 4) + le(quint32(height), 4) + le(1, 2) +
                  le(quint32(bpp), 2) + le(quint32(compression), 4) + le(quint32(pixels.size()), 4) + le(2835, 4) +
                  le(2835, 4) + le(quint32(palette.size()), 4) + le(0, 4) + headerTail;
            dib.append(QByteArray(headerSize - dib.size(), '\0'));
            dib += masks;
        }
        QList<QRgb> colours = palette;
        if (headerSize == 12 && bpp <= 8) // a core header has no colour count: the table is full
            colours.resize(1 << bpp, 0);
        for (QRgb c : colours) {
            dib += char(qBlue(c));
            dib += char(qGreen(c));
            dib += char(qRed(c));
            if (headerSize != 12)
                dib += '\0';
        }
        const quint32 offset = quint32(14 + dib.size());
        return "BM" + le(offset + quint32(pixels.size()), 4) + le(0, 4) + le(offset, 4) + dib + pixels;
    }
};

// Rows given top first, each padded to four bytes, stored bottom-up unless
// `topDown`.
QByteArray rows(QList<QByteArray> topFirst, bool topDown = false)
{
    QByteArray out;
    if (!topDown)
        std::reverse(topFirst.begin(), topFirst.end());
    for (QByteArray row : topFirst) {
        row.append(QByteArray((4 - row.size() % 4) % 4, '\0'));
        out += row;
    }
    return out;
}

QByteArray bgr(QRgb c)
{
    const char bytes[] = {char(qBlue(c)), char(qGreen(c)), char(qRed(c))};
    return QByteArray(bytes, 3);
}

// Every picture below is 3 x 2 with `a` at the top-left corner and `b` elsewhere.
struct Variant {
    const char* name;
    QByteArray file;
    QRgb a;
    QRgb b;
};

const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), tan = qRgb(200, 100, 50), ink = qRgb(10, 20, 30);

std::vector<Variant> handWritten()
{
    std::vector<Variant> v;
    Bmp mono{.bpp = 1, .palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)}, .pixels = rows({"\x80", QByteArray(1, '\0')})};
    v.push_back({"1-bit", mono.bytes(), qRgb(255, 255, 255), qRgb(0, 0, 0)});

    Bmp four{.bpp = 4, .palette = {blue, tan}, .pixels = rows({QByteArray("\x10\x00", 2), QByteArray(2, '\0')})};
    v.push_back({"4-bit", four.bytes(), tan, blue});

    const QByteArray top8("\x01\x00\x00", 3), bottom8(3, '\0');
    Bmp eight{.bpp = 8, .palette = {ink, tan}, .pixels = rows({top8, bottom8})};
    v.push_back({"8-bit", eight.bytes(), tan, ink});

    Bmp os2{.bpp = 8, .headerSize = 12, .palette = {ink, tan}, .pixels = rows({top8, bottom8})};
    v.push_back({"OS/2 core header", os2.bytes(), tan, ink});

    // Runs bottom row first: three of index 0, end of line; one of 1, two of 0, end of line; end of bitmap.
    Bmp rle{.bpp = 8,
            .compression = 1,
            .palette = {ink, tan},
            .pixels = QByteArray("\x03\x00\x00\x00\x01\x01\x02\x00\x00\x00\x00\x01", 12)};
    v.push_back({"RLE8", rle.bytes(), tan, ink});

    const QByteArray redPixel("\x00\xF8", 2), bluePixel("\x1F\x00", 2);
    Bmp bits{.bpp = 16,
             .compression = 3,
             .masks = le(0xF800, 4) + le(0x07E0, 4) + le(0x001F, 4),
             .pixels = rows({redPixel + bluePixel + bluePixel, bluePixel + bluePixel + bluePixel})};
    v.push_back({"16-bit 565 bit fields", bits.bytes(), red, blue});

    const QByteArray top24 = bgr(tan) + bgr(ink) + bgr(ink), bottom24 = bgr(ink) + bgr(ink) + bgr(ink);
    Bmp v5{.headerSize = 124,
           .headerTail = le(0x00FF0000, 4) + le(0x0000FF00, 4) + le(0x000000FF, 4) + le(0, 4) + QByteArray("BGRs", 4),
           .pixels = rows({top24, bottom24})};
    v.push_back({"V5 header", v5.bytes(), tan, ink});

    const auto bgrx = [](QRgb c) { return bgr(c) + '\0'; };
    Bmp x32{.bpp = 32, .pixels = rows({bgrx(tan) + bgrx(ink) + bgrx(ink), bgrx(ink) + bgrx(ink) + bgrx(ink)})};
    v.push_back({"32-bit", x32.bytes(), tan, ink});

    Bmp topDown{.height = -2, .pixels = rows({top24, bottom24}, true)};
    v.push_back({"top-down", topDown.bytes(), tan, ink});
    return v;
}

QByteArray savedByQt(QImage::Format format)
{
    QImage image(3, 2, format); // Qt writes 24 bits per pixel
    image.fill(ink);
    image.setPixel(0, 0, tan);
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return out;
}

bool near(QRgb x, QRgb y) // 5- and 6-bit fields widen with small losses
{
    return std::abs(qRed(x) - qRed(y)) <= 8 && std::abs(qGreen(x) - qGreen(y)) <= 8 &&
           std::abs(qBlue(x) - qBlue(y)) <= 8;
}

TEST(LoadPicture, ReadsEveryBitmapVariant)
{
    World world;
    std::vector<Variant> variants = handWritten();
    variants.push_back({"24-bit by Qt", savedByQt(QImage::Format_RGB32), tan, ink});
    EXPECT_EQ(variants.back().file.at(28), 24);

    for (const Variant& v : variants) {
        const QString path = world.makeFile(QStringLiteral("shots/GAME.ZIP1.bmp"), v.file);
        QImage image;
        ASSERT_NO_THROW(image = loadPicture(nativeFromText(path))) << v.name;
        EXPECT_EQ(image.size(), QSize(3, 2)) << v.name;
        EXPECT_TRUE(near(image.pixel(0, 0), v.a)) << v.name << " " << std::hex << image.pixel(0, 0);
        EXPECT_TRUE(near(image.pixel(2, 1), v.b)) << v.name << " " << std::hex << image.pixel(2, 1);
        EXPECT_TRUE(near(image.pixel(1, 0), v.b)) << v.name << " " << std::hex << image.pixel(1, 0);
    }
}

TEST(LoadPicture, RefusesBrokenFilesWithInvalidPicture)
{
    World world;
    QImage big(64, 64, QImage::Format_RGB32);
    big.fill(tan);
    const QString whole = world.path(QStringLiteral("whole.bmp"));
    ASSERT_TRUE(big.save(whole, "BMP"));
    QFile file(whole);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    Bmp huge{.width = 100000, .height = 100000, .pixels = QByteArray(64, '\x7F')};
    const std::pair<const char*, QByteArray> cases[] = {
        {"truncated", bytes.left(bytes.size() / 2)},
        {"header only", bytes.left(54)},
        {"not a picture", "PK\x03\x04 this is a zip archive, not a picture"},
        {"empty", QByteArray()},
        {"100000 x 100000", huge.bytes()},
    };
    for (const auto& [name, content] : cases) {
        const QString path = world.makeFile(QStringLiteral("GAME.ZIP1.bmp"), content);
        EXPECT_EQ(errorNumber([&] { loadPicture(nativeFromText(path)); }), err::InvalidPicture) << name;
    }
}

TEST(LoadPicture, MissingFilesTheEmptyPathAndWhatIsNoFile)
{
    World world;
    world.makeDir(QStringLiteral("folder.bmp"));
    std::vector<std::pair<const char*, int>> cases = {
        {"none.bmp", err::FileNotFound},
        {"nodir/none.bmp", err::PathNotFound},
        {"folder.bmp", err::PathFileAccessError},
    };
#ifndef _WIN32
    // A device without end may not be read at all.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), world.path(QStringLiteral("zero.bmp"))));
    cases.emplace_back("zero.bmp", err::PathFileAccessError);
#endif
    for (const auto& [name, number] : cases) {
        const std::string path = nativeFromText(world.path(QString::fromLatin1(name)));
        EXPECT_EQ(errorNumber([&] { loadPicture(path); }), number) << name;
    }
    QImage image;
    EXPECT_NO_THROW(image = loadPicture(std::string()));
    EXPECT_TRUE(image.isNull());
}

TEST(PictureBox, PaintsItsPictureUnscaledAtTheInnerTopLeftAndBlankWhenEmpty)
{
    World world;
    PictureBox box(world.runtime().errors, world.runtime().seams.loadPicture);
    box.resize(100, 80);
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(red);
    box.setPicture(picture);
    const QPoint origin = box.contentsRect().topLeft();
    ASSERT_GT(origin.x(), 0); // the sunken frame is outside the picture

    QImage shot = box.grab().toImage();
    EXPECT_EQ(shot.pixel(origin), red);
    EXPECT_EQ(shot.pixel(origin + QPoint(9, 9)), red);
    EXPECT_NE(shot.pixel(origin + QPoint(10, 10)), red); // not stretched
    EXPECT_NE(shot.pixel(origin - QPoint(1, 1)), red);

    box.setPicture(QImage());
    shot = box.grab().toImage();
    EXPECT_EQ(shot.pixel(origin), box.palette().color(box.backgroundRole()).rgb());
}

} // namespace
} // namespace lumora
