#include "controls/ucUpDown.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace fennix {

ucUpDown::ucUpDown(int min, int max, int value, QWidget* parent)
    : QWidget(parent), min_(min), max_(max), value_(std::clamp(value, min, max)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    connect(up_, &QToolButton::clicked, this, [this] { SetValue(value_ + 1); });
    connect(down_, &QToolButton::clicked, this, [this] { SetValue(value_ - 1); });
}

void ucUpDown::SetValue(int value) {
    value = std::clamp(value, min_, max_);
    if (value == value_) return;
    value_ = value;
    emit Change(value_);
}

}  // namespace fennix
