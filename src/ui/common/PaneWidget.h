#pragma once

#include <QWidget>
#include <cstdint>

#include "media/PicturePane.h"

namespace fennix {

// Shows a PicturePane's layer at the pane's place and size, and follows
// the pane's changes. The pane stays owned by the caller.
class PaneWidget : public QWidget {
    Q_OBJECT
public:
    PaneWidget(PicturePane& pane, QWidget* parent);

    PicturePane& Pane() { return pane_; }

    // Brings the widget's geometry and visibility up to date with the pane.
    void Sync();

    // With a box: a pane larger than the box is shown whole, scaled down to
    // FitSize (smoothly, from a small copy made once per change of the
    // pane), and the widget takes that size. An empty box (the default)
    // shows the pane pixel for pixel.
    void SetFitBox(QSize box);
    QSize FitBox() const { return fitBox_; }
    // True while the pane is shown scaled down.
    bool Fitted() const;
    // The scaled copy of the picture the pane is given next, made elsewhere
    // (off the window's thread): shown instead of scaling the picture again
    // when its size is the one the picture is shown at.
    void ExpectFitted(const QImage& shown) { expected_ = shown; }

signals:
    // Mouse events on the pane, with the cursor in screen pixels.
    void MouseDown(Qt::MouseButton button, QPoint screen);
    void MouseMove(Qt::MouseButtons buttons, QPoint screen);
    void MouseUp(Qt::MouseButton button, QPoint screen);
    // The same events with the cursor in fractional pixels of the pane.
    void PaneMouseDown(Qt::MouseButton button, QPointF local);
    void PaneMouseMove(Qt::MouseButtons buttons, QPointF local);
    void PaneMouseUp(Qt::MouseButton button, QPointF local);
    // A double click: sent after the press that the second click also is.
    void PaneDoubleClick(Qt::MouseButton button, QPointF local);
    // The pointer has left the pane.
    void PaneLeave();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    // The widget's size in the screen's device pixels.
    QSize DeviceSize() const;

    PicturePane& pane_;
    QSize fitBox_;
    QImage fitted_;  // the scaled copy shown while Fitted(); null until needed
    QImage expected_;  // see ExpectFitted
};

// A plain panel filled with a back colour (packed RGB).
class PanelWidget : public QWidget {
    Q_OBJECT
public:
    explicit PanelWidget(QWidget* parent);

    int32_t BackColor() const { return backColor_; }
    void SetBackColor(int32_t color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int32_t backColor_ = 0x8F8F8F;
};

}  // namespace fennix
