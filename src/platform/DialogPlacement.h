#pragma once

#include <QPoint>
#include <QSize>

namespace fennix {

// Where every dialog of the program opens on a screen of `screen` size:
// centred horizontally, a third of the free height above it (integer
// divisions truncating toward zero).
inline QPoint DialogPosition(QSize screen, QSize window) {
    return {(screen.width() - window.width()) / 2, (screen.height() - window.height()) / 3};
}

}  // namespace fennix
