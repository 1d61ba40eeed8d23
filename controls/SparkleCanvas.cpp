#include "controls/SparkleCanvas.h"

#include <QAbstractScrollArea>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <array>

#include "controls/Twips.h"
#include "core/SparklePoint.h"

namespace lumora {

namespace {

// The region of a set of single pixels, built in one go: QRegion takes
// rectangles sorted by row and column, none overlapping, none touching
// another of the same row. Pixels side by side in a row become one.
QRegion pixelRegion(QRect* pixels, std::size_t count)
{
    std::sort(pixels, pixels + count, [](const QRect& a, const QRect& b) {
        return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
    });
    std::size_t runs = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (runs > 0 && pixels[runs - 1].top() == pixels[i].top() && pixels[i].left() <= pixels[runs - 1].right() + 1)
            pixels[runs - 1].setRight(std::max(pixels[runs - 1].right(), pixels[i].right()));
        else
            pixels[runs++] = pixels[i];
    }
    QRegion region;
    region.setRects(pixels, int(runs));
    return region;
}

} // namespace

SparkleCanvas::SparkleCanvas(QWidget* parent) : QWidget(parent)
{
    // The surface paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

float SparkleCanvas::scaleWidth() const { return static_cast<float>(pixelsToTwips(width())); }

QRect SparkleCanvas::setPoint(float xTwips, float yTwips, std::uint32_t colour)
{
    const int x = static_cast<int>(xTwips / twipsPerPixel);
    const int y = static_cast<int>(yTwips / twipsPerPixel);
    if (x < 0 || y < 0 || x >= surface_.width() || y >= surface_.height())
        return {}; // below the inner area: drawn, never seen
    const QRgb rgb = qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
    surface_.setPixel(x, y, rgb);
    return {x, y, 1, 1};
}

void SparkleCanvas::sparkle(RandomSource& random)
{
    ensureSurface();
    const auto width = [this] { return scaleWidth(); };
    // One repaint of just the pixels the tick set: a hundred separate
    // updates cost more than the points themselves.
    std::array<QRect, sparklePointsPerTick> set;
    std::size_t count = 0;
    for (int i = 0; i < sparklePointsPerTick; ++i) {
        const SparklePoint p = chooseSparklePoint(random, width);
        if (const QRect pixel = setPoint(p.x, p.y, p.colour); !pixel.isEmpty())
            set[count++] = pixel;
    }
    if (count != 0)
        update(pixelRegion(set.data(), count) - opaqueCover());
}

QRegion SparkleCanvas::opaqueCover() const
{
    QRegion covered;
    for (QObject* child : children()) {
        const auto* control = qobject_cast<const QWidget*>(child);
        if (control == nullptr || !control->isVisibleTo(this))
            continue;
        if (control->autoFillBackground()) {
            covered += control->geometry();
        } else if (const auto* area = qobject_cast<const QAbstractScrollArea*>(control);
                   area != nullptr && area->viewport()->autoFillBackground()) {
            covered += area->viewport()->geometry().translated(area->pos());
        }
    }
    return covered;
}

void SparkleCanvas::paintEvent(QPaintEvent* event)
{
    ensureSurface();
    // One draw, clipped to the pixels asked for: a tick's points are many
    // small rectangles, and each draw of its own costs more than its pixel.
    QPainter painter(this);
    painter.setClipRegion(event->region());
    const QRect bounds = event->region().boundingRect();
    painter.drawImage(bounds.topLeft(), surface_, bounds);
}

void SparkleCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ensureSurface();
}

void SparkleCanvas::ensureSurface()
{
    // A hidden window gets its resize event only when first shown, but its
    // points are drawn from its creation on.
    const QSize wanted = size().expandedTo(surface_.size());
    if (wanted == surface_.size())
        return;
    // Grow only: points already drawn are kept when the window shrinks and
    // grows again.
    QImage grown(wanted, QImage::Format_RGB32);
    grown.fill(palette().color(backgroundRole()));
    if (!surface_.isNull()) {
        QPainter p(&grown);
        p.drawImage(0, 0, surface_);
    }
    surface_ = std::move(grown);
}

} // namespace lumora
