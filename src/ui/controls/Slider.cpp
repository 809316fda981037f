#include "ui/controls/Slider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ui/controls/GradientFill.h"
#include "ui/controls/Theme.h"
#include "core/Rounding.h"

namespace fennix {

Slider::Slider(int max, QWidget* parent) : QWidget(parent), max_(std::max(max, 0)) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(18);
}

void Slider::SetMax(int max) {
    max_ = std::max(max, 0);
    update();
}

void Slider::SetValue(int value) {
    value_ = value;
    update();
}

int Slider::FreeTrackLength() const {
    return std::max(width() - kHandleWidth, 1);
}

int Slider::HandleOffset() const {
    if (max_ <= 0) return 0;
    const int length = FreeTrackLength();
    return std::clamp(RoundEvenInt(static_cast<double>(value_) * length / max_), 0, length);
}

void Slider::MoveHandleTo(int offset) {
    const int length = FreeTrackLength();
    offset = std::clamp(offset, 0, length);
    SetByUser(RoundEvenInt(static_cast<double>(offset) * max_ / length));
}

void Slider::SetByUser(int value) {
    if (value == value_) return;
    value_ = value;
    update();
    emit Change(value_);
}

void Slider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const theme::Colours colours = theme::ColoursFor(palette());
    const int mid = height() / 2;
    const QRectF track(kHandleWidth / 2.0, mid - 2, width() - kHandleWidth, 4);
    painter.setPen(QPen(colours.border, 1));
    painter.setBrush(colours.faceBottom);
    painter.drawRoundedRect(track, 2, 2);

    // The part of the track up to the handle is filled in the caption colour.
    const int offset = HandleOffset();
    painter.setPen(Qt::NoPen);
    painter.setBrush(isEnabled() ? colours.caption.lighter(150) : colours.disabledText);
    painter.drawRoundedRect(QRectF(track.left(), track.top(), offset, track.height()), 2, 2);

    const QRect handle(offset, 1, kHandleWidth, height() - 2);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(handle).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    painter.save();
    painter.setClipPath(outline);
    FillGradient(painter, handle, grab_ >= 0 ? colours.faceBottom : colours.face,
                 grab_ >= 0 ? colours.face : colours.faceBottom, Qt::Vertical);
    painter.restore();
    painter.setPen(QPen(hasFocus() ? colours.caption : colours.border, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
    if (hasFocus()) {
        // The keyboard's mark: a dotted frame round the whole control.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(colours.text, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void Slider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int x = static_cast<int>(event->position().x());
    const int offset = HandleOffset();
    if (x >= offset && x < offset + kHandleWidth) {
        grab_ = x - offset;
    } else {
        grab_ = kHandleWidth / 2;
        MoveHandleTo(x - grab_);
    }
    update();
}

void Slider::mouseMoveEvent(QMouseEvent* event) {
    if (grab_ < 0) return;
    MoveHandleTo(static_cast<int>(event->position().x()) - grab_);
}

void Slider::mouseReleaseEvent(QMouseEvent*) {
    grab_ = -1;
    update();
}

void Slider::keyPressEvent(QKeyEvent* event) {
    const int current = std::clamp(value_, 0, max_);
    // Page Up and Page Down move a tenth of the track, as a scroll bar does.
    const int page = std::max(max_ / 10, 1);
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            SetByUser(std::max(current - 1, 0));
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            SetByUser(std::min(current + 1, max_));
            break;
        case Qt::Key_PageDown:
            SetByUser(std::max(current - page, 0));
            break;
        case Qt::Key_PageUp:
            SetByUser(std::min(current + page, max_));
            break;
        case Qt::Key_Home:
            SetByUser(0);
            break;
        case Qt::Key_End:
            SetByUser(max_);
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace fennix
