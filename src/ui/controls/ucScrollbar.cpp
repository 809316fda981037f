#include "ui/controls/ucScrollbar.h"

namespace fennix {

ucScrollbar::ucScrollbar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    setRange(0, 100);
    // Only the starting size: a geometry set later (a 16-pixel viewport bar,
    // say) is kept as given.
    resize(WithThickness(size()));
    connect(this, &QScrollBar::valueChanged, this, &ucScrollbar::Change);
}

QSize ucScrollbar::WithThickness(QSize size) const {
    if (orientation() == Qt::Horizontal)
        size.setHeight(kThickness);
    else
        size.setWidth(kThickness);
    return size;
}

QSize ucScrollbar::sizeHint() const {
    return WithThickness(QScrollBar::sizeHint());
}

QSize ucScrollbar::minimumSizeHint() const {
    return WithThickness(QScrollBar::minimumSizeHint());
}

void ucScrollbar::SetMax(int max) {
    setRange(0, std::max(max, 0));
}

}  // namespace fennix
