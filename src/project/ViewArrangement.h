#pragma once

namespace fennix {

// The sizes the document window's layout is computed from, in pixels.
struct ViewSizes {
    int startWidth = 0;   // P(1)
    int startHeight = 0;  // P(1)
    int endWidth = 0;     // P(2)
    int panelWidth = 0;
    int panelHeight = 0;
    int vScrollWidth = 0;
    int hScrollHeight = 0;
};

struct ScrollPlacement {
    int left = 0, top = 0, width = 0, height = 0;
    bool needed = false;  // the bar is enabled exactly when needed
    int maximum = 0;      // set only when needed
    int largeStep = 0;    // maximum / 10, rounded; set only when needed
};

struct ViewArrangement {
    int endLeft = 0;  // P(2) sits 10 pixels right of P(1); P(1) is at (0, 0)
    ScrollPlacement horizontal;
    ScrollPlacement vertical;
};

inline constexpr int kImageGap = 10;

// Places the two images side by side with a gap of 10 pixels, the vertical
// bar along the panel's right edge and the horizontal bar along its bottom
// edge, and decides which directions need scrolling and how far.
ViewArrangement ArrangeViewSizes(const ViewSizes& sizes);

}  // namespace fennix
