#include <gtest/gtest.h>

#include <cmath>

#include "engine/PreviewJob.h"

namespace fennix {
namespace {

// Quick frames follow a drag at about 300,000 pixels; small pictures and
// finished frames stay whole.
TEST(PreviewScale, OnlyLargePicturesShrinkWhileDragged) {
    struct Case {
        int width, height;
        bool quick;
        double scale;
    } const cases[] = {
        {500, 400, true, 1},           {600, 500, true, 1},  // exactly 300,000 pixels
        {4000, 3000, false, 1},        {4000, 3000, true, std::sqrt(0.025)},
        {6000, 4000, true, std::sqrt(300000.0 / 24e6)}, {0, 0, true, 1},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(PreviewScale(c.width, c.height, c.quick), c.scale)
            << c.width << " x " << c.height << (c.quick ? " quick" : "");
}

}  // namespace
}  // namespace fennix
