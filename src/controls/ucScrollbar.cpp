#include "controls/ucScrollbar.h"

namespace fennix {

ucScrollbar::ucScrollbar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    setRange(0, 100);
    if (orientation == Qt::Horizontal)
        setFixedHeight(kThickness);
    else
        setFixedWidth(kThickness);
    connect(this, &QScrollBar::valueChanged, this, &ucScrollbar::Change);
}

void ucScrollbar::SetMax(int max) { setRange(0, std::max(max, 0)); }

}  // namespace fennix
