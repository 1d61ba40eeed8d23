#include "controls/PictureBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <cmath>

#include "core/RuntimeError.h"

namespace lumora {

PictureBox::PictureBox(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (picture_.isNull())
        return;
    QPainter painter(this);
    const QRect inner = contentsRect();
    painter.setClipRect(inner);
    painter.drawImage(inner.topLeft(), picture_);
}

namespace {
// Screenshots are a few hundred pixels a side; a file that declares more
// than this is broken or hostile and is refused before anything is allocated.
constexpr int maxPictureMegabytes = 256;

// Qt's BMP reader returns the rows it found in a file that was cut short and
// leaves the rest of the picture undefined, so a screenshot whose copy was
// interrupted would show as garbage. A BMP must hold all the pixel data its
// header declares; anything that is not a BMP is left to the reader.
bool bitmapCutShort(const QString& path, qint64 fileSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray h = file.read(38);
    if (h.size() < 26 || !h.startsWith("BM"))
        return false;
    const auto field = [&h](int at, int bytes) {
        quint32 value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = (value << 8) | quint8(h[at + i]);
        return value;
    };
    const quint32 headerSize = field(14, 4);
    double width = 0, height = 0, bits = 0, compression = 0, imageSize = 0;
    if (headerSize == 12) { // OS/2 core header
        width = field(18, 2);
        height = qint16(field(20, 2));
        bits = field(24, 2);
    } else {
        if (h.size() < 38)
            return true;
        width = qint32(field(18, 4));
        height = qint32(field(22, 4));
        bits = field(28, 2);
        compression = field(30, 4);
        imageSize = field(34, 4);
    }
    // Uncompressed rows (and bit-field ones) have a known size; compressed
    // data has the size its header gives.
    const bool rows = compression == 0 || compression == 3 || compression == 6;
    const double pixelBytes = rows ? std::ceil(std::abs(width) * bits / 32) * 4 * std::abs(height) : imageSize;
    return double(field(10, 4)) + pixelBytes > double(fileSize);
}
} // namespace

QImage loadPicture(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    if (!info.exists())
        throw RuntimeError(info.dir().exists() ? err::FileNotFound : err::PathNotFound, path.toStdString());
    if (info.isDir())
        throw RuntimeError(err::PathFileAccessError, path.toStdString());
    if (bitmapCutShort(path, info.size()))
        throw RuntimeError(err::InvalidPicture, path.toStdString());
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(maxPictureMegabytes);
    QImage image = reader.read();
    if (image.isNull())
        throw RuntimeError(err::InvalidPicture, path.toStdString());
    return image;
}

} // namespace lumora
