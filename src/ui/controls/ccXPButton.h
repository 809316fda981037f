#pragma once

#include <QPushButton>

namespace fennix {

// The program's push button: a rounded face with a soft vertical gradient,
// a warm rim while the mouse is over it, pressed darker, grey text when
// disabled. Clicked is QPushButton's clicked signal.
class ccXPButton : public QPushButton {
    Q_OBJECT
public:
    ccXPButton(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace fennix
