#pragma once

#include "model/ZoomScale.h"

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
    // The preview right of P(2) (a gap of 10 before it), or under P(1) (a
    // gap of 10 above it) when `previewBelow`, with its controls below it;
    // 0 × 0 while it is hidden.
    int previewWidth = 0;
    int previewHeight = 0;
    bool previewBelow = false;
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
inline constexpr int kPreviewStripHeight = 30;  // the preview's slider under it

// Places the two images side by side with a gap of 10 pixels, the vertical
// bar along the panel's right edge and the horizontal bar along its bottom
// edge, and decides which directions need scrolling and how far.
ViewArrangement ArrangeViewSizes(const ViewSizes& sizes);

// How the document's panes fit a visible area of areaWidth × areaHeight:
// the largest zoom (at most 100 %) at which the two pictures show whole side
// by side and, when `preview` is set, the preview too (a pane of the start
// picture's size with a strip of stripHeight pixels under it), either right
// of the pictures or under them, whichever shows them larger (right of them
// when both do as well).
struct FittedView {
    ZoomScale zoom;
    bool previewBelow = false;
};
FittedView FitView(int w1, int h1, int w2, int h2, int areaWidth, int areaHeight, bool preview,
                   int stripHeight);

struct WindowPlace {
    int left = 0, top = 0, width = 0, height = 0;
};

inline constexpr int kCascadeStep = 24;

// Where the document window opened as number `index` (0 for the first one
// shown) goes in a frame area of areaWidth × areaHeight: each one step of
// 24 pixels right of and below the one before, starting again at the
// corner once a window would be left with less than 240 × 160 pixels;
// wantedWidth × wantedHeight cut to what is left of the area from there.
WindowPlace CascadePlace(int index, int wantedWidth, int wantedHeight, int areaWidth,
                         int areaHeight);

}  // namespace fennix
