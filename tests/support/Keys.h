#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace fennix::test {

// Shows and activates the window of `widget`; true when it is active.
inline bool Activate(QWidget* widget) {
    QWidget* window = widget->window();
    if (!window->isVisible()) window->show();
    window->activateWindow();
    // The window itself, not only one sharing activation with its owner.
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 2000);
}

// Gives `widget` the keyboard focus in its shown, active window, as a user
// clicking or tabbing into it would; true when it has the focus.
inline bool FocusOn(QWidget* widget) {
    if (!Activate(widget)) return false;
    widget->setFocus(Qt::TabFocusReason);
    return widget->hasFocus();
}

// A key pressed and released while `widget` has the focus.
inline void Press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
}

// A key pressed and released where the keyboard focus is, as the user's
// key would go; false when no widget has the focus.
inline bool PressInFocus(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus) return false;
    Press(focus, key, modifiers);
    return true;
}

}  // namespace fennix::test
