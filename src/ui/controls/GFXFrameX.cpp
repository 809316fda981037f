#include "ui/controls/GFXFrameX.h"

#include <QPainter>

#include "ui/controls/Theme.h"

namespace fennix {

GFXFrameX::GFXFrameX(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {}

void GFXFrameX::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics(font());
    const int captionHeight = metrics.height();
    const QRectF box =
        QRectF(rect()).adjusted(0.5, captionHeight / 2.0, -0.5 - kShadow, -0.5 - kShadow);
    // A soft shadow below and to the right: rings of fading grey, each one
    // pixel further out.
    painter.setPen(Qt::NoPen);
    for (int d = kShadow; d >= 1; --d) {
        painter.setBrush(QColor(0, 0, 0, 18 * (kShadow + 1 - d)));
        painter.drawRoundedRect(box.translated(d, d), 4, 4);
    }
    painter.setBrush(palette().window());
    const theme::Colours colours = theme::ColoursFor(palette());
    painter.setPen(
        QPen(theme::IsLight(palette()) ? colours.border.lighter(140) : colours.border, 1));
    painter.drawRoundedRect(box, 4, 4);
    if (caption_.isEmpty()) return;
    const QRect text(8, 0, metrics.horizontalAdvance(caption_) + 8, captionHeight);
    painter.fillRect(text, palette().window());
    painter.setPen(colours.caption);
    painter.drawText(text, Qt::AlignCenter, caption_);
}

}  // namespace fennix
