#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace fennix::test {

// A mouse event at `at` in `widget`, with its true screen position, as the
// window system delivers it. For a move, `button` is Qt::NoButton and
// `buttons` says which are held.
inline void SendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

}  // namespace fennix::test
