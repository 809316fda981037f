#include "ui/controls/GradientProgressBar.h"

#include <QPainter>

#include "ui/controls/Theme.h"

#include "ui/controls/GradientFill.h"

namespace fennix {

GradientProgressBar::GradientProgressBar(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kHeight);
}

void GradientProgressBar::SetValue(int percent) {
    value_ = std::clamp(percent, 0, 100);
    if (isVisible()) repaint();
    emit ValueChanged(value_);
}

void GradientProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), theme::ColoursFor(palette()).trough);
    const int filled = width() * value_ / 100;
    if (filled > 0)
        FillGradient(painter, QRect(0, 0, filled, height()), QColor(0x1E, 0x5A, 0xC8),
                     QColor(0x6E, 0xC8, 0xFF), Qt::Horizontal);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace fennix
