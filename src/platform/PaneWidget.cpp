#include "platform/PaneWidget.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/PackedColor.h"

namespace fennix {

PaneWidget::PaneWidget(PicturePane& pane, QWidget* parent) : QWidget(parent), pane_(pane) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    pane_.SetChangedHandler([this] {
        Sync();
        if (isVisible()) repaint();
    });
    Sync();
}

void PaneWidget::Sync() {
    setGeometry(pane_.Left(), pane_.Top(), pane_.Width(), pane_.Height());
    setVisible(pane_.Visible());
}

void PaneWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (pane_.Layer().isNull())
        painter.fillRect(rect(), ColorFromPacked(pane_.BackColor()));
    else
        painter.drawImage(0, 0, pane_.Layer());
}

void PaneWidget::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button(), event->globalPosition().toPoint());
    emit PaneMouseDown(event->button(), event->position());
}

void PaneWidget::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event->buttons(), event->globalPosition().toPoint());
    emit PaneMouseMove(event->buttons(), event->position());
}

void PaneWidget::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(event->button(), event->globalPosition().toPoint());
    emit PaneMouseUp(event->button(), event->position());
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
