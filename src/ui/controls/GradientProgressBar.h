#pragma once

#include <QWidget>

namespace fennix {

// A progress bar whose filled part is a colour gradient. Value is a percent
// (0 … 100, clamped); setting it repaints the bar at once, so progress shows
// also while a long command keeps the event loop busy.
class GradientProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit GradientProgressBar(QWidget* parent);

    int Value() const { return value_; }
    void SetValue(int percent);

    static constexpr int kHeight = 14;

signals:
    void ValueChanged(int percent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int value_ = 0;
};

}  // namespace fennix
