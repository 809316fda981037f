#include "project/ViewArrangement.h"

#include "core/Rounding.h"

namespace fennix {

ViewArrangement ArrangeViewSizes(const ViewSizes& s) {
    ViewArrangement result;
    result.endLeft = s.startWidth + kImageGap;
    const int endRight = result.endLeft + s.endWidth;
    const int visibleWidth = s.panelWidth - s.vScrollWidth;
    const int visibleHeight = s.panelHeight - s.hScrollHeight;

    auto& v = result.vertical;
    v = {s.panelWidth - s.vScrollWidth, 0, s.vScrollWidth, s.panelHeight};
    auto& h = result.horizontal;
    h = {0, s.panelHeight - s.hScrollHeight, s.panelWidth - s.vScrollWidth, s.hScrollHeight};

    h.needed = endRight > visibleWidth;
    v.needed = s.startHeight > visibleHeight;
    if (h.needed) {
        h.maximum = endRight - visibleWidth;
        h.largeStep = RoundEvenInt(h.maximum / 10.0);
    }
    if (v.needed) {
        v.maximum = s.startHeight - visibleHeight;
        v.largeStep = RoundEvenInt(v.maximum / 10.0);
    }
    return result;
}

}  // namespace fennix
