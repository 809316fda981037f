#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace fennix {

// Sizes and place of the frame viewer, in pixels. The panel holds the
// frame with a margin; the window is the panel plus the 30-pixel strip of
// controls; the window is centred horizontally and placed at a fraction
// of the free height (half at opening, a third after a folder choice).
struct ViewerLayout {
    int panelWidth = 0;
    int panelHeight = 0;
    int windowWidth = 0;
    int windowHeight = 0;
    int left = 0;
    int top = 0;
};

inline constexpr int kViewerMinPanelWidth = 289;
inline constexpr int kViewerPanelMarginX = 26;  // both sides together
inline constexpr int kViewerPanelMarginY = 40;
inline constexpr int kViewerStripHeight = 30;
// The panel before any frame is loaded, and the empty frame inside it.
inline constexpr int kViewerDesignPanelWidth = 413;
inline constexpr int kViewerDesignPanelHeight = 281;
inline constexpr int kViewerEmptyFrameWidth = kViewerDesignPanelWidth - kViewerPanelMarginX;
inline constexpr int kViewerEmptyFrameHeight = kViewerDesignPanelHeight - kViewerPanelMarginY;

// The layout for a frame of frameWidth × frameHeight on a screen of
// screenWidth × screenHeight: panel width frame width + 26 but at least 289,
// panel height frame height + 40, window the panel plus 30 in height,
// left = (screen width − window width) / 2 and top = (screen height − window
// height) / verticalDivisor, both truncated toward zero (so negative when
// the window is larger than the screen). A divisor below 1 counts as 1.
ViewerLayout ComputeViewerLayout(int frameWidth, int frameHeight, int screenWidth, int screenHeight,
                                 int verticalDivisor);

// Room a window needs beyond its own area for the window system's frame
// (title bar and borders), so that the whole window stays on the screen.
inline constexpr int kWindowFrameAllowanceX = 16;
inline constexpr int kWindowFrameAllowanceY = 48;

// The largest frame the viewer shows pixel for pixel in a usable screen
// area of availableWidth × availableHeight: what is left after the panel's
// margins, the strip of controls and the window frame. Larger frames are
// shown scaled down to fit it (see FitSize).
QSize ViewerFrameBox(int availableWidth, int availableHeight);

}  // namespace fennix
