#pragma once

#include <cstdint>
#include <vector>

namespace fennix {

// The document's display scale: Num / Den pane pixels per image pixel, kept
// as an exact fraction in lowest terms (both at least 1). The whole zooms
// 1, 2 and 3 are 1/1, 2/1 and 3/1; 50 % is 1/2, 25 % is 1/4, and the scale
// that fits a window is whatever fraction of two sizes it comes to.
//
// Stored points stay in image pixels at every scale:
// - a point X is drawn (and hit) at pane position PanePos(X) =
//   round-half-even(X · Num / Den), computed exactly in integers;
// - a pane position x (fractional, as the mouse gives it) means the image
//   position ImagePos(x) = round-half-even(x · Den / Num) in double; with
//   Den = 1 this is x / z, the rounding of the whole zooms unchanged;
// - a pane is PaneLength(W) = floor(W · Num / Den) pixels wide for an image
//   W pixels wide (at least 1 for W ≥ 1), so a fitted pane never overflows.
struct ZoomScale {
    int64_t Num = 1;
    int64_t Den = 1;

    ZoomScale() = default;
    // The whole zoom z (1, 2, 3 …); a value below 1 counts as 1.
    ZoomScale(int z) : Num(z < 1 ? 1 : z) {}  // NOLINT: implicit on purpose

    // num / den in lowest terms; values below 1 count as 1.
    static ZoomScale Ratio(int64_t num, int64_t den);

    bool Whole() const { return Den == 1; }
    int64_t PanePos(int64_t imageValue) const;
    double PaneExact(int64_t imageValue) const;
    int64_t PaneLength(int64_t imageLength) const;
    int ImagePos(double paneValue) const;
    // The scale in percent, rounded half to even (100 for 1/1, 25 for 1/4).
    int Percent() const;

    friend bool operator==(const ZoomScale& a, const ZoomScale& b) {
        return a.Num == b.Num && a.Den == b.Den;
    }
    friend bool operator<(const ZoomScale& a, const ZoomScale& b) {
        return a.Num * b.Den < b.Num * a.Den;
    }
};

// The zooms the menu offers and Ctrl + wheel steps through, smallest first:
// 25 %, 50 %, 100 %, 200 %, 300 %.
const std::vector<ZoomScale>& ZoomSteps();

// The next zoom of ZoomSteps above (`larger`) or below the current one,
// which need not be in the list itself (a fitted scale steps to its
// neighbours). The current zoom when there is none further.
ZoomScale NextZoomStep(ZoomScale current, bool larger);

// The scale that shows two images side by side, `gap` pixels apart, whole in
// a visible area of areaWidth × areaHeight: the largest fraction at which
// floor(w1·s) + gap + floor(w2·s) ≤ areaWidth and floor(max(h1, h2)·s) ≤
// areaHeight, never above 1/1 (a fitted view only shrinks). An area
// smaller than the gap counts as one pixel wide.
ZoomScale FitZoom(int w1, int h1, int w2, int h2, int areaWidth, int areaHeight, int gap);

}  // namespace fennix
