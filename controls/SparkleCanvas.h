#pragma once

#include <QImage>
#include <QWidget>

#include "core/RandomSource.h"

namespace lumora {

// A window's background as a drawing surface in twips: points set here stay
// until the program ends (nothing clears them), are drawn beneath the child
// controls, and survive repaints. Setting a point repaints that pixel only.
class SparkleCanvas : public QWidget {
    Q_OBJECT
public:
    explicit SparkleCanvas(QWidget* parent = nullptr);

    // The inner width in twips, following the widget's current size.
    float scaleWidth() const;
    void setPoint(float xTwips, float yTwips, std::uint32_t colour);
    // One tick of the sparkle effect: 100 points from `random`.
    void sparkle(RandomSource& random);

    const QImage& surface() const { return surface_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ensureSurface();
    QImage surface_;
};

} // namespace lumora
