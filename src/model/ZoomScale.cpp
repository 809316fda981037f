#include "model/ZoomScale.h"

#include <algorithm>
#include <numeric>

#include "core/Rounding.h"

namespace fennix {

namespace {

// round-half-even(a / b) for b > 0, exact in integers.
int64_t DivideRoundEven(int64_t a, int64_t b) {
    int64_t q = a / b;
    int64_t r = a % b;
    if (r < 0) {  // floor division
        r += b;
        --q;
    }
    const int64_t twice = 2 * r;
    if (twice > b || (twice == b && (q & 1) != 0)) ++q;
    return q;
}

}  // namespace

ZoomScale ZoomScale::Ratio(int64_t num, int64_t den) {
    num = std::max<int64_t>(num, 1);
    den = std::max<int64_t>(den, 1);
    const int64_t g = std::gcd(num, den);
    ZoomScale z;
    z.Num = num / g;
    z.Den = den / g;
    return z;
}

int64_t ZoomScale::PanePos(int64_t imageValue) const {
    if (Den == 1) return imageValue * Num;
    return DivideRoundEven(imageValue * Num, Den);
}

double ZoomScale::PaneExact(int64_t imageValue) const {
    return static_cast<double>(imageValue * Num) / static_cast<double>(Den);
}

int64_t ZoomScale::PaneLength(int64_t imageLength) const {
    if (imageLength <= 0) return 0;
    return std::max<int64_t>(imageLength * Num / Den, 1);
}

int ZoomScale::ImagePos(double paneValue) const {
    return RoundEvenInt(paneValue * static_cast<double>(Den) / static_cast<double>(Num));
}

int ZoomScale::Percent() const {
    return static_cast<int>(DivideRoundEven(100 * Num, Den));
}

const std::vector<ZoomScale>& ZoomSteps() {
    static const std::vector<ZoomScale> steps = {ZoomScale::Ratio(1, 4), ZoomScale::Ratio(1, 2),
                                                 ZoomScale(1), ZoomScale(2), ZoomScale(3)};
    return steps;
}

ZoomScale NextZoomStep(ZoomScale current, bool larger) {
    const auto& steps = ZoomSteps();
    if (larger) {
        for (const ZoomScale& z : steps)
            if (current < z) return z;
    } else {
        for (auto it = steps.rbegin(); it != steps.rend(); ++it)
            if (*it < current) return *it;
    }
    return current;
}

ZoomScale FitZoom(int w1, int h1, int w2, int h2, int areaWidth, int areaHeight, int gap) {
    const int64_t width = std::max<int64_t>(int64_t{w1} + w2, 1);
    const int64_t height = std::max<int64_t>(std::max(h1, h2), 1);
    const int64_t room = std::max<int64_t>(int64_t{areaWidth} - gap, 1);
    const int64_t roomHeight = std::max<int64_t>(areaHeight, 1);
    // The smaller of room / width and roomHeight / height, and at most 1.
    ZoomScale fit = ZoomScale::Ratio(room, width);
    const ZoomScale byHeight = ZoomScale::Ratio(roomHeight, height);
    if (byHeight < fit) fit = byHeight;
    if (ZoomScale(1) < fit) fit = ZoomScale(1);
    return fit;
}

}  // namespace fennix
