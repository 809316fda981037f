#include "ui/controls/ButtonGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace fennix {

namespace {

// The glyph drawn in a 16 × 16 box of `ratio` device pixels per pixel.
QPixmap DrawGlyph(Glyph glyph, const QColor& ink, int ratio) {
    QPixmap pixmap(16 * ratio, 16 * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
        case Glyph::Folder: {
            p.setPen(QColor(150, 110, 20));
            p.setBrush(QColor(240, 200, 80));
            QPainterPath path;
            path.moveTo(1.5, 3.5);
            path.lineTo(6.5, 3.5);
            path.lineTo(8, 5.5);
            path.lineTo(14.5, 5.5);
            path.lineTo(14.5, 13.5);
            path.lineTo(1.5, 13.5);
            path.closeSubpath();
            p.drawPath(path);
            break;
        }
        case Glyph::Play:
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 140, 60));
            p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(14, 8), QPointF(4, 14)}));
            break;
        case Glyph::Pause:
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawRect(QRectF(3.5, 2.5, 3.5, 11));
            p.drawRect(QRectF(9, 2.5, 3.5, 11));
            break;
        case Glyph::Loop: {
            // Two arrows, one each way: forwards, then back.
            p.setPen(QPen(ink, 1.6));
            p.drawLine(QPointF(2, 5), QPointF(12, 5));
            p.drawLine(QPointF(4, 11), QPointF(14, 11));
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawPolygon(QPolygonF({QPointF(15, 5), QPointF(11, 1.5), QPointF(11, 8.5)}));
            p.drawPolygon(QPolygonF({QPointF(1, 11), QPointF(5, 7.5), QPointF(5, 14.5)}));
            break;
        }
    }
    p.end();
    return pixmap;
}

}  // namespace

QIcon GlyphIcon(Glyph glyph, const QColor& ink) {
    QIcon icon;
    for (int ratio : {1, 2}) icon.addPixmap(DrawGlyph(glyph, ink, ratio));
    return icon;
}

}  // namespace fennix
