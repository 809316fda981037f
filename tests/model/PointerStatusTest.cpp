#include <gtest/gtest.h>

#include "model/PointerStatus.h"

namespace fennix {
namespace {

// The pointer's place is the image pixel a click there takes (the zoom's
// rounding), kept within the picture; beside the pictures only the zoom.
TEST(PointerStatus, TellsThePictureThePixelAndTheZoom) {
    const struct {
        int k;
        double x, y;
        ZoomScale zoom;
        std::string expected;
    } cases[] = {
        {1, 0, 0, 1, "開始画像 (0, 0)   100%"},
        {1, 12.4, 7.6, 1, "開始画像 (12, 8)   100%"},
        {2, 80, 60, 2, "終了画像 (40, 30)   200%"},
        {2, 81, 61, 2, "終了画像 (40, 30)   200%"},  // 40.5 and 30.5: ties to even
        {2, 83, 61, 2, "終了画像 (42, 30)   200%"},
        {1, 30, 30, 3, "開始画像 (10, 10)   300%"},
        {1, 50, 25, ZoomScale::Ratio(1, 2), "開始画像 (100, 50)   50%"},
        {1, 10, 10, ZoomScale::Ratio(1, 4), "開始画像 (40, 40)   25%"},
        {1, 500, 500, 1, "開始画像 (320, 240)   100%"},  // kept within the picture
        {2, -3, -9, 1, "終了画像 (0, 0)   100%"},
        {0, 10, 10, 2, "200%"},
        {3, 10, 10, 1, "100%"},
        {0, 0, 0, ZoomScale::Ratio(3, 8), "38%"},  // 37.5 rounds to even
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(PointerStatusText(c.k, c.x, c.y, c.zoom, 320, 240), c.expected);
    }
}

}  // namespace
}  // namespace fennix
