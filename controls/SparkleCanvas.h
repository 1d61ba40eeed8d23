#pragma once

#include <QImage>
#include <QWidget>

#include "core/RandomSource.h"

namespace lumora {

// A window's background as a drawing surface in twips: points set here stay
// until the program ends (nothing clears them), are drawn beneath the child
// controls, and survive repaints. A tick repaints the pixels it set that can
// be seen, once.
class SparkleCanvas : public QWidget {
    Q_OBJECT
public:
    explicit SparkleCanvas(QWidget* parent = nullptr);

    // The inner width in twips, following the widget's current size.
    float scaleWidth() const;
    // One tick of the sparkle effect: 100 points from `random`.
    void sparkle(RandomSource& random);

    const QImage& surface() const { return surface_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Sets one point; returns the pixel it set, empty below the inner area.
    QRect setPoint(float xTwips, float yTwips, std::uint32_t colour);
    // What the controls cover with a background of their own: a point set
    // there is kept, but no control needs painting again for it.
    QRegion opaqueCover() const;
    void ensureSurface();
    QImage surface_;
};

} // namespace lumora
