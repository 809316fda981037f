#include "ui/common/PaneWidget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "media/PackedColor.h"

namespace fennix {

PaneWidget::PaneWidget(PicturePane& pane, QWidget* parent) : QWidget(parent), pane_(pane) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    pane_.SetChangedHandler([this](const QRegion& area) {
        Sync();
        fitted_ = Fitted() && expected_.size() == DeviceSize() ? expected_ : QImage();
        expected_ = QImage();
        if (!isVisible()) return;
        // A part of a pane shown pixel for pixel repaints only that part.
        if (area.isEmpty() || Fitted())
            repaint();
        else
            repaint(area);
    });
    Sync();
}

void PaneWidget::Sync() {
    const QSize shown = Fitted() ? FitSize(pane_.Width(), pane_.Height(), fitBox_.width(),
                                           fitBox_.height())
                                 : QSize(pane_.Width(), pane_.Height());
    setGeometry(pane_.Left(), pane_.Top(), shown.width(), shown.height());
    setVisible(pane_.Visible());
}

void PaneWidget::SetFitBox(QSize box) {
    fitBox_ = box;
    fitted_ = QImage();
    Sync();
    update();
}

QSize PaneWidget::DeviceSize() const {
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

bool PaneWidget::Fitted() const {
    return !fitBox_.isEmpty() &&
           (pane_.Width() > fitBox_.width() || pane_.Height() > fitBox_.height());
}

void PaneWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (pane_.Layer().isNull()) {
        painter.fillRect(rect(), ColorFromPacked(pane_.BackColor()));
    } else if (Fitted()) {
        // Scaled down to the screen's own pixels, so a screen of two device
        // pixels per pixel shows it sharp rather than enlarged again.
        const QSize device = DeviceSize();
        if (fitted_.size() != device)
            fitted_ = pane_.Layer().scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        fitted_.setDevicePixelRatio(devicePixelRatioF());
        painter.drawImage(QPointF(0, 0), fitted_);
    } else {
        // Pixel for pixel; on a screen of more device pixels each pixel is
        // a block of them, never smoothed, so lines and markers stay crisp.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const QRect r = event->rect();
        painter.drawImage(r.topLeft(), pane_.Layer(), r);
    }
}

void PaneWidget::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button(), event->globalPosition().toPoint());
    emit PaneMouseDown(event->button(), event->position());
}

void PaneWidget::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event->buttons(), event->globalPosition().toPoint());
    emit PaneMouseMove(event->buttons(), event->position());
}

void PaneWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
    emit PaneDoubleClick(event->button(), event->position());
}

void PaneWidget::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(event->button(), event->globalPosition().toPoint());
    emit PaneMouseUp(event->button(), event->position());
}

void PaneWidget::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    emit PaneLeave();
}

PanelWidget::PanelWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PanelWidget::SetBackColor(int32_t color) {
    backColor_ = color;
    update();
}

void PanelWidget::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), ColorFromPacked(backColor_));
}

}  // namespace fennix
