#include "controls/SparkleCanvas.h"

#include <QPaintEvent>
#include <QPainter>

#include "controls/Twips.h"
#include "core/SparklePoint.h"

namespace lumora {

SparkleCanvas::SparkleCanvas(QWidget* parent) : QWidget(parent)
{
    // The surface paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

float SparkleCanvas::scaleWidth() const { return static_cast<float>(pixelsToTwips(width())); }

void SparkleCanvas::setPoint(float xTwips, float yTwips, std::uint32_t colour)
{
    ensureSurface();
    const int x = static_cast<int>(xTwips / twipsPerPixel);
    const int y = static_cast<int>(yTwips / twipsPerPixel);
    if (x < 0 || y < 0 || x >= surface_.width() || y >= surface_.height())
        return; // below the inner area: drawn, never seen
    const QRgb rgb = qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
    surface_.setPixel(x, y, rgb);
    update(x, y, 1, 1);
}

void SparkleCanvas::sparkle(RandomSource& random)
{
    const auto width = [this] { return scaleWidth(); };
    for (int i = 0; i < sparklePointsPerTick; ++i) {
        const SparklePoint p = chooseSparklePoint(random, width);
        setPoint(p.x, p.y, p.colour);
    }
}

void SparkleCanvas::paintEvent(QPaintEvent* event)
{
    ensureSurface();
    QPainter painter(this);
    for (const QRect& r : event->region())
        painter.drawImage(r.topLeft(), surface_, r);
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
