#pragma once
// The one place where the designs' twips meet Qt's logical pixels. Qt then
// scales logical pixels to the screen's real density.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace lumora {

inline constexpr int twipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    // Rounded to the nearest pixel; every position of the designs but one
    // panel width is a whole number of pixels.
    return twips >= 0 ? (twips + twipsPerPixel / 2) / twipsPerPixel : -((-twips + twipsPerPixel / 2) / twipsPerPixel);
}

constexpr int pixelsToTwips(int pixels) { return pixels * twipsPerPixel; }

inline QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

inline QSize twipsSize(int width, int height) { return {twipsToPixels(width), twipsToPixels(height)}; }
inline QPoint twipsPoint(int x, int y) { return {twipsToPixels(x), twipsToPixels(y)}; }

// Names a control after its member and puts it at its designed place.
template <class W>
W* placeControl(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

} // namespace lumora
