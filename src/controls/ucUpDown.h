#pragma once

#include <QWidget>

class QToolButton;

namespace fennix {

// A small vertical spin control: an up and a down arrow stepping a value
// within Min … Max. Change is sent whenever the value changes, also when
// code sets it; a value set from code is kept within the range.
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

private:
    int min_, max_, value_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace fennix
