#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <algorithm>

namespace fennix {

// Where every dialog of the program opens on a screen of `screen` size:
// centred horizontally, a third of the free height above it (integer
// divisions truncating toward zero).
inline QPoint DialogPosition(QSize screen, QSize window) {
    return {(screen.width() - window.width()) / 2, (screen.height() - window.height()) / 3};
}

// `position` moved as little as needed to bring a window of `size` inside
// `available` (its top-left corner wins when the window is larger).
inline QPoint KeepInside(QPoint position, QSize size, const QRect& available) {
    const int x = std::max(std::min(position.x(), available.right() + 1 - size.width()),
                           available.left());
    const int y = std::max(std::min(position.y(), available.bottom() + 1 - size.height()),
                           available.top());
    return {x, y};
}

}  // namespace fennix
