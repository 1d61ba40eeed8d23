#include "controls/Cursors.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace lumora {

QCursor waitCursor()
{
    QPixmap pixmap(24, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(Qt::white);
    // Two glass bulbs meeting at the waist, between a cap and a base.
    painter.drawPolygon(
        QPolygon({QPoint(5, 4), QPoint(19, 4), QPoint(13, 16), QPoint(19, 28), QPoint(5, 28), QPoint(11, 16)}));
    painter.setBrush(Qt::black);
    painter.drawRect(3, 2, 18, 2);
    painter.drawRect(3, 28, 18, 2);
    // The sand: what is left above, and the heap below.
    painter.setBrush(QColor(200, 160, 60));
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(QPolygon({QPoint(8, 9), QPoint(16, 9), QPoint(12, 15)}));
    painter.drawPolygon(QPolygon({QPoint(12, 21), QPoint(17, 27), QPoint(7, 27)}));
    painter.end();
    return QCursor(pixmap, 12, 16);
}

QCursor textCursor()
{
    QPixmap pixmap(9, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    // Black on a white rim, so that it shows on a dark field and a light one.
    for (const auto& [colour, width] : {std::pair{QColor(Qt::white), 3}, std::pair{QColor(Qt::black), 1}}) {
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(4.5, 2), QPointF(4.5, 18));
        painter.drawLine(QPointF(1.5, 1.5), QPointF(7.5, 1.5));
        painter.drawLine(QPointF(1.5, 18.5), QPointF(7.5, 18.5));
    }
    painter.end();
    return QCursor(pixmap, 4, 10);
}

} // namespace lumora
