#include "model/ViewArrangement.h"

#include <algorithm>

#include "core/Rounding.h"

namespace fennix {

ViewArrangement ArrangeViewSizes(const ViewSizes& s) {
    ViewArrangement result;
    result.endLeft = s.startWidth + kImageGap;
    const int endRight =
        result.endLeft + s.endWidth + (s.previewWidth > 0 ? kImageGap + s.previewWidth : 0);
    const int visibleWidth = s.panelWidth - s.vScrollWidth;
    const int visibleHeight = s.panelHeight - s.hScrollHeight;

    auto& v = result.vertical;
    v = {s.panelWidth - s.vScrollWidth, 0, s.vScrollWidth, s.panelHeight};
    auto& h = result.horizontal;
    h = {0, s.panelHeight - s.hScrollHeight, s.panelWidth - s.vScrollWidth, s.hScrollHeight};

    h.needed = endRight > visibleWidth;
    v.needed = std::max(s.startHeight, s.previewHeight) > visibleHeight;
    if (h.needed) {
        h.maximum = endRight - visibleWidth;
        h.largeStep = RoundEvenInt(h.maximum / 10.0);
    }
    if (v.needed) {
        v.maximum = std::max(s.startHeight, s.previewHeight) - visibleHeight;
        v.largeStep = RoundEvenInt(v.maximum / 10.0);
    }
    return result;
}

WindowPlace CascadePlace(int index, int wantedWidth, int wantedHeight, int areaWidth,
                         int areaHeight) {
    constexpr int kLeastWidth = 240, kLeastHeight = 160;
    const int room = std::min((areaWidth - kLeastWidth) / kCascadeStep,
                              (areaHeight - kLeastHeight) / kCascadeStep);
    const int steps = std::max(room, 0) + 1;
    const int offset = (std::max(index, 0) % steps) * kCascadeStep;
    return {offset, offset, std::max(std::min(wantedWidth, areaWidth - offset), 1),
            std::max(std::min(wantedHeight, areaHeight - offset), 1)};
}

}  // namespace fennix
