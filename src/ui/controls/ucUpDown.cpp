#include "ui/controls/ucUpDown.h"

#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/controls/Theme.h"

namespace fennix {

ucUpDown::ucUpDown(int min, int max, int value, QWidget* parent)
    : QWidget(parent), min_(min), max_(max), value_(std::clamp(value, min, max)) {
    auto* layout = new QVBoxLayout(this);
    // One pixel around the arrows for the focus frame.
    layout->setContentsMargins(1, 1, 1, 1);
    setFocusPolicy(Qt::StrongFocus);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    connect(up_, &QToolButton::clicked, this, [this] { SetValue(value_ + 1); });
    connect(down_, &QToolButton::clicked, this, [this] { SetValue(value_ - 1); });
}

void ucUpDown::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
            SetValue(value_ + 1);
            break;
        case Qt::Key_Down:
            SetValue(value_ - 1);
            break;
        case Qt::Key_PageUp:
            SetValue(value_ + 10);
            break;
        case Qt::Key_PageDown:
            SetValue(value_ - 10);
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

void ucUpDown::paintEvent(QPaintEvent*) {
    if (!hasFocus()) return;
    QPainter painter(this);
    painter.setPen(QPen(theme::ColoursFor(palette()).caption, 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ucUpDown::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void ucUpDown::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void ucUpDown::SetValue(int value) {
    value = std::clamp(value, min_, max_);
    if (value == value_) return;
    value_ = value;
    emit Change(value_);
}

}  // namespace fennix
