#pragma once

// The arithmetic of preparing the two pictures of a new morph: scaling,
// thumbnail and reduction sizes, the scroll bars of a viewport, the checks of
// a trim size and the geometry of the trimming window. No widgets here.

#include <QImage>
#include <QSize>
#include <cstdint>
#include <optional>
#include <string>

#include "model/ZoomScale.h"

namespace fennix {

// The viewport shows 300 × 300 pixels of a picture.
inline constexpr int kViewportSize = 300;

// `image` scaled to width × height by dropping or repeating whole pixels
// (no blending): target pixel (x, y) takes source pixel
// (x · w / width, y · h / height). An empty image for a size below 1.
QImage ScaleNearest(const QImage& image, int width, int height);

// `image` scaled to width × height with source pixels averaged.
QImage ScaleAveraged(const QImage& image, int width, int height);

// The thumbnail of a picture wider and higher than the viewport: 60 on
// the longer side, the other side in proportion, rounded ties to even.
QSize ThumbnailSize(int width, int height);

// `percent` of a size, each side truncated (32-bit integer arithmetic).
QSize ReducedSize(int percent, int width, int height);

// The reduction a typed text asks for, for a picture baseWidth wide: "35"
// or "35%" is that percentage; a number above 100, or one followed by "px",
// is a width in pixels. A width gives the largest percentage whose reduced
// width does not exceed it (for the spin), and the width itself when it
// lies between that of a 10 % reduction and the picture's own (0 otherwise,
// and for a percentage). Blanks around the text and full-width digits are
// allowed. The percentage is kept within 10 … 100; nothing for any other
// text, or for a width with no picture (baseWidth 0). `met` is false when
// the text asked for what cannot be done (a percentage outside 10 … 100, a
// width above the picture's own or below that of a 10 % reduction), which
// the values then stand for as nearly as they can.
struct TypedReductionValue {
    int percent = 100;
    int width = 0;
    bool met = true;
    bool operator==(const TypedReductionValue&) const = default;
};
std::optional<TypedReductionValue> TypedReduction(const std::string& text, int baseWidth);

// A width × height picture reduced to `targetWidth` pixels wide, its height
// in proportion, rounded half up, at least 1.
QSize ReducedToWidth(int targetWidth, int width, int height);

// Which scroll bars a picture of width × height needs, and their maxima:
// a side above 300 needs a bar with maximum (side − 300), plus 16 when the
// other side needs a bar too.
struct ScrollLayout {
    bool horizontal = false;
    bool vertical = false;
    int horizontalMax = 0;
    int verticalMax = 0;
};
ScrollLayout ScrollLayoutFor(int width, int height);

// A trim size typed in a text field: a decimal integer, optionally signed
// and surrounded by blanks. Nothing for any other text.
std::optional<long long> ParseTrimNumber(const std::string& text);

// The outcome of the checks made before the trimming window opens.
struct TrimCheck {
    enum class Focus { None, Width, Height };
    std::string message;  // empty when the size may be trimmed
    Focus focus = Focus::None;
    int16_t width = 0;
    int16_t height = 0;
};

// Checks a typed trim size against the picture of a slot, in this order:
// both texts numbers above 0 ("トリミングのサイズを入力してください", focus
// on the width field whichever text is wrong),
// a picture picked ("トリミングの画像をロードしてください"), the width
// within the picture ("トリミングのサイズ幅(Max) = " + width), the height
// ("トリミングのサイズ高さ(Max) = " + height).
TrimCheck CheckTrimSize(const std::string& widthText, const std::string& heightText, bool picked,
                        int paneWidth, int paneHeight);

// The trimming window for a trim of W × H: its viewport (a margin of 24
// around the rectangle, between 384 and 664 wide, 384 and 504 high), the
// background panel, the window, and the rectangle's corner inside the
// viewport's 2-pixel border.
struct TrimGeometry {
    QSize viewport;
    QSize panel;
    QSize window;
    int x0 = 0;
    int y0 = 0;
    // Screen pixels per picture pixel: the picture and the rectangle are
    // shown reduced by it (1 in the layout above).
    ZoomScale scale;
};
TrimGeometry TrimGeometryFor(int W, int H);

// The same for a rectangle over a picture of `picture` size on a screen
// with `room` free: the layout above while the rectangle fits its largest
// viewport; otherwise a viewport as large as the screen allows, with the
// picture and the rectangle reduced until both show whole in it, the
// rectangle at the corner of the margin.
TrimGeometry TrimGeometryFor(int W, int H, QSize picture, QSize room);

}  // namespace fennix
