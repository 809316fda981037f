#pragma once

#include <QScrollBar>

namespace fennix {

// The program's scroll bar: values run 0 … Max (0 … 100 until a maximum is
// set), a value set from code is clamped to that range, and Change is sent
// only when the value really changes, whether by the user or by code.
class ucScrollbar : public QScrollBar {
    Q_OBJECT
  public:
    ucScrollbar(Qt::Orientation orientation, QWidget* parent);

    int Max() const { return maximum(); }
    void SetMax(int max);
    int Value() const { return value(); }
    void SetValue(int value) { setValue(value); }
    void SetLargeChange(int step) { setPageStep(std::max(step, 1)); }

    // The bar's thickness in pixels unless its geometry says otherwise: the
    // size it starts with and the one layouts give it.
    static constexpr int kThickness = 17;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void Change(int value);

  private:
    QSize WithThickness(QSize size) const;
};

}  // namespace fennix
