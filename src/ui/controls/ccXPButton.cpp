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

    const theme::Colours colours = theme::ColoursFor(palette());
    const bool pressed = isDown() || isChecked();
    const bool hover = underMouse() && isEnabled();
    QColor top = pressed ? colours.faceBottom : colours.face;
    QColor bottom = pressed ? colours.face.darker(104) : colours.faceBottom;
    if (!isEnabled()) {
        top = colours.disabledFace;
        bottom = colours.disabledFaceBottom;
    }
    painter.save();
    painter.setClipPath(outline);
    FillGradient(painter, rect(), top, bottom, Qt::Vertical);
    painter.restore();

    painter.setPen(QPen(hover ? colours.hover.darker(130) : colours.border, hover ? 1.6 : 1));
    painter.drawPath(outline);
    if (hasFocus()) {
        painter.setPen(QPen(colours.border, 1, Qt::DotLine));
        painter.drawRoundedRect(box.adjusted(3, 3, -3, -3), 2, 2);
    }
    const QRect face = rect().translated(pressed ? 1 : 0, pressed ? 1 : 0);
    if (!icon().isNull()) {
        const QSize size = iconSize();
        const QRect place(face.center() - QPoint(size.width() / 2, size.height() / 2), size);
        icon().paint(&painter, place, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    }
    painter.setPen(isEnabled() ? colours.text : colours.disabledText);
    painter.drawText(face, Qt::AlignCenter, text());
}

}  // namespace fennix
