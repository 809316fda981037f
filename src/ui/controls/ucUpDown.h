#pragma once

#include <QWidget>

class QToolButton;

namespace fennix {

// A small vertical spin control: an up and a down arrow stepping a value
// within Min … Max, the upper arrow (and the Up key) counting up. Change is
// sent whenever the value changes, also when code sets it; a value set from
// code is kept within the range. Tab reaches the control as a whole; a thin
// frame shows it has the focus.
class ucUpDown : public QWidget {
    Q_OBJECT
public:
    ucUpDown(int min, int max, int value, QWidget* parent);

    int Value() const { return value_; }
    void SetValue(int value);
    int Min() const { return min_; }
    int Max() const { return max_; }

signals:
    void Change(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int min_, max_, value_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace fennix
