#pragma once

#include <QWidget>

namespace fennix {

// The program's horizontal slider: a handle on a track, an integer Value
// from 0 to Max. Dragging the handle (or clicking the track, which moves the
// handle's middle there) sets Value = handle offset × Max / free track
// length, rounded ties to even, and sends Change when the value differs.
// The arrow keys step the value by one within 0 … Max. SetValue from code
// neither sends Change nor clamps: a value beyond Max is kept and shown with
// the handle at the track's end.
class Slider : public QWidget {
    Q_OBJECT
  public:
    Slider(int max, QWidget* parent);

    int Value() const { return value_; }
    void SetValue(int value);
    int Max() const { return max_; }
    // A new maximum (at least 0); the value is kept, shown at the track's
    // end when beyond it, as a value set from code is.
    void SetMax(int max);

    // The room the handle's left edge can travel in pixels: width − handle width.
    int FreeTrackLength() const;

    // Where the handle's left edge is drawn for the current value.
    int HandleOffset() const;

    // Moves the handle's left edge to `offset` (kept on the track) as the
    // user does; sends Change when the value changes.
    void MoveHandleTo(int offset);

    static constexpr int kHandleWidth = 11;

  signals:
    void Change(int value);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void SetByUser(int value);

    int max_;
    int value_ = 0;
    int grab_ = -1;  // where in the handle the mouse holds it; -1 when not held
};

}  // namespace fennix
