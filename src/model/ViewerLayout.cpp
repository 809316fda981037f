#include "model/ViewerLayout.h"

#include <algorithm>

namespace fennix {

ViewerLayout ComputeViewerLayout(int frameWidth, int frameHeight, int screenWidth, int screenHeight,
                                 int verticalDivisor) {
    ViewerLayout layout;
    layout.panelWidth = std::max(frameWidth + kViewerPanelMarginX, kViewerMinPanelWidth);
    layout.panelHeight = frameHeight + kViewerPanelMarginY;
    layout.windowWidth = layout.panelWidth;
    layout.windowHeight = layout.panelHeight + kViewerStripHeight;
    // Integer division truncates toward zero, as the placement asks.
    layout.left = (screenWidth - layout.windowWidth) / 2;
    layout.top = (screenHeight - layout.windowHeight) / std::max(verticalDivisor, 1);
    return layout;
}

QSize ViewerFrameBox(int availableWidth, int availableHeight) {
    return {std::max(availableWidth - kViewerPanelMarginX - kWindowFrameAllowanceX, 1),
            std::max(availableHeight - kViewerPanelMarginY - kViewerStripHeight -
                         kWindowFrameAllowanceY,
                     1)};
}

}  // namespace fennix
