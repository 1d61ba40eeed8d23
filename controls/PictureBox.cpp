#include "controls/PictureBox.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

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
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(maxPictureMegabytes);
    QImage image = reader.read();
    if (image.isNull())
        throw RuntimeError(err::InvalidPicture, path.toStdString());
    return image;
}

} // namespace lumora
