#include "model/ViewArrangement.h"

#include <algorithm>

#include "core/Rounding.h"

namespace fennix {

ViewArrangement ArrangeViewSizes(const ViewSizes& s) {
    ViewArrangement result;
    result.endLeft = s.startWidth + kImageGap;
    const bool preview = s.previewWidth > 0;
    const int picturesRight = result.endLeft + s.endWidth;
    const int endRight = !preview         ? picturesRight
                         : s.previewBelow ? std::max(picturesRight, s.previewWidth)
                                          : picturesRight + kImageGap + s.previewWidth;
    const int contentHeight = !preview         ? s.startHeight
                              : s.previewBelow ? s.startHeight + kImageGap + s.previewHeight
                                               : std::max(s.startHeight, s.previewHeight);
    const int visibleWidth = s.panelWidth - s.vScrollWidth;
    const int visibleHeight = s.panelHeight - s.hScrollHeight;

    auto& v = result.vertical;
    v = {s.panelWidth - s.vScrollWidth, 0, s.vScrollWidth, s.panelHeight};
    auto& h = result.horizontal;
    h = {0, s.panelHeight - s.hScrollHeight, s.panelWidth - s.vScrollWidth, s.hScrollHeight};

    h.needed = endRight > visibleWidth;
    v.needed = contentHeight > visibleHeight;
    if (h.needed) {
        h.maximum = endRight - visibleWidth;
        h.largeStep = RoundEvenInt(h.maximum / 10.0);
    }
    if (v.needed) {
        v.maximum = contentHeight - visibleHeight;
        v.largeStep = RoundEvenInt(v.maximum / 10.0);
    }
    return result;
}

FittedView FitView(int w1, int h1, int w2, int h2, int areaWidth, int areaHeight, bool preview,
                   int stripHeight) {
    if (!preview) return {FitZoom(w1, h1, w2, h2, areaWidth, areaHeight, kImageGap), false};
    const int tallest = std::max(h1, h2);
    // Right: three panes in a row, the strip under the preview.
    const ZoomScale right = FitZoom(w1 + w2, tallest, w1, 0, areaWidth - kImageGap,
                                    areaHeight - stripHeight, kImageGap);
    // Below: the preview and its strip under the two pictures.
    const ZoomScale below = FitZoom(w1, tallest + h1, w2, 0, areaWidth,
                                    areaHeight - kImageGap - stripHeight, kImageGap);
    if (right < below) return {below, true};
    return {right, false};
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
