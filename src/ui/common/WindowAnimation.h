#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace fennix {

// Plays the opening animation of a dialog: an outline rectangle grows from
// the screen point `from` (usually the mouse position) to the window's
// rectangle. Returns the window's screen rectangle. Nothing is played on a
// platform without a real screen (offscreen).
QRect ZoomFromCursor(QWidget* window, QPoint from);

// The closing animation: the outline shrinks from the window's rectangle to
// the screen point `to`. Any failure is ignored.
void ZoomToCursor(QWidget* window, QPoint to);

}  // namespace fennix
