#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

namespace fennix {

// Fills `rect` with a linear gradient from `from` to `to`, left to right
// (Qt::Horizontal) or top to bottom (Qt::Vertical).
inline void FillGradient(QPainter& painter, const QRect& rect, const QColor& from,
                         const QColor& to, Qt::Orientation direction) {
    QLinearGradient gradient(rect.topLeft(),
                             direction == Qt::Horizontal ? rect.topRight() : rect.bottomLeft());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    painter.fillRect(rect, gradient);
}

}  // namespace fennix
