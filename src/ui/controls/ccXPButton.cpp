#include "ui/controls/ccXPButton.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/controls/GradientFill.h"
#include "ui/controls/Theme.h"

namespace fennix {

ccXPButton::ccXPButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
}

void ccXPButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(box, 3, 3);

    const bool pressed = isDown() || isChecked();
    const bool hover = underMouse() && isEnabled();
    QColor top = pressed ? theme::kFaceBottom : theme::kFace;
    QColor bottom = pressed ? theme::kFace.darker(104) : theme::kFaceBottom;
    if (!isEnabled()) {
        top = QColor(0xF0, 0xF0, 0xF0);
        bottom = QColor(0xE0, 0xE0, 0xE0);
    }
    painter.save();
    painter.setClipPath(outline);
    FillGradient(painter, rect(), top, bottom, Qt::Vertical);
    painter.restore();

    painter.setPen(QPen(hover ? theme::kHover.darker(130) : theme::kBorder, hover ? 1.6 : 1));
    painter.drawPath(outline);
    if (hasFocus()) {
        painter.setPen(QPen(theme::kBorder, 1, Qt::DotLine));
        painter.drawRoundedRect(box.adjusted(3, 3, -3, -3), 2, 2);
    }
    const QRect face = rect().translated(pressed ? 1 : 0, pressed ? 1 : 0);
    if (!icon().isNull()) {
        const QSize size = iconSize();
        const QRect place(face.center() - QPoint(size.width() / 2, size.height() / 2), size);
        icon().paint(&painter, place, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    }
    painter.setPen(isEnabled() ? theme::kText : theme::kDisabledText);
    painter.drawText(face, Qt::AlignCenter, text());
}

}  // namespace fennix
