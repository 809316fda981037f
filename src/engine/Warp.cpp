#include "engine/Warp.h"

#include <algorithm>
#include <cmath>
#include <thread>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "core/Rounding.h"

namespace fennix {

namespace {

// The guard values stand in for infinite slopes and areas; they are the
// 32-bit floats nearest to these numbers.
const double kSteepSlope = static_cast<double>(1e20f);
const double kPixelSlope = static_cast<double>(1e7f);
const double kNoArea = static_cast<double>(5e20f);

int32_t SquaredDistance(int32_t dx, int32_t dy) {
    // Squares in 32-bit integers; images stay far below the overflow size.
    return static_cast<int32_t>(static_cast<uint32_t>(dx) * static_cast<uint32_t>(dx) +
                                static_cast<uint32_t>(dy) * static_cast<uint32_t>(dy));
}

int32_t Interpolate(int32_t start, int32_t end, float f) {
    return static_cast<int32_t>(
        RoundEven(static_cast<double>(end - start) * static_cast<double>(f) + start));
}

Point Interpolate(const Point& a, const Point& b, float f) {
    return {Interpolate(a.X, b.X, f), Interpolate(a.Y, b.Y, f)};
}

// Nearest integer, ties to even, of a value within ±2^51: adding and
// taking away 1.5 · 2^52 leaves no fraction bits, and the addition rounds
// in the default mode. Far cheaper than a library call per channel.
inline double RoundSmall(double value) {
    constexpr double kShift = 6755399441055744.0;
    return (value + kShift) - kShift;
}

// A position clamped to 0 … limit while still floating point (NaN goes to
// 0), then rounded ties to even.
inline int ClampRound(double value, int limit) {
    if (!(value <= limit)) value = value > limit ? limit : 0;  // also NaN
    if (value < 0) value = 0;
    return static_cast<int>(RoundSmall(value));
}

}  // namespace

TriangleList InterpolateTriangles(const TriangleList& start, const TriangleList& end, int k, int N) {
    if (N == 0 || start.Count() != end.Count()) return TriangleList();
    const double fraction = static_cast<double>(k) / N;
    if (!(fraction >= 0 && fraction <= 1)) return TriangleList();
    const float f = static_cast<float>(static_cast<double>(k) / N);
    TriangleList result(static_cast<size_t>(start.Count()));
    for (int i = 1; i <= start.Count(); ++i) {
        result[i] = {Interpolate(start[i].P0, end[i].P0, f), Interpolate(start[i].P1, end[i].P1, f),
                     Interpolate(start[i].P2, end[i].P2, f)};
    }
    return result;
}

float TriangleArea(const Triangle& t) {
    const Point& p0 = t.P0;
    const Point& p1 = t.P1;
    const Point& p2 = t.P2;
    const double m = p0.X == p1.X ? kSteepSlope
                                  : static_cast<double>(p0.Y - p1.Y) / static_cast<double>(p0.X - p1.X);
    const double distance = std::fabs(p2.Y - p0.Y - m * (p2.X - p0.X)) / std::sqrt(m * m + 1);
    const double edge = std::sqrt(static_cast<double>(SquaredDistance(p0.X - p1.X, p0.Y - p1.Y)));
    return static_cast<float>(distance * (edge * 0.5));
}

Weights PixelWeights(const Triangle& t, float area, int x, int y) {
    const Point& p0 = t.P0;
    const Point& p1 = t.P1;
    const Point& p2 = t.P2;
    const double c = area == 0 ? kNoArea : 0.5 / static_cast<double>(area);

    const double e = x == p1.X ? kPixelSlope
                               : static_cast<double>(y - p1.Y) / static_cast<double>(x - p1.X);
    const float w0 = static_cast<float>(
        c * std::fabs(p2.Y - y - e * (p2.X - x)) / std::sqrt(e * e + 1) *
        std::sqrt(static_cast<double>(SquaredDistance(x - p1.X, y - p1.Y))));

    const double o = x == p0.X ? kSteepSlope
                               : static_cast<double>(p0.Y - y) / static_cast<double>(p0.X - x);
    const float w1 = static_cast<float>(
        c * std::fabs(p2.Y - p0.Y - o * (p2.X - p0.X)) / std::sqrt(o * o + 1) *
        std::sqrt(static_cast<double>(SquaredDistance(p0.X - x, p0.Y - y))));

    const float w2 = static_cast<float>(1.0 - static_cast<double>(w0) - static_cast<double>(w1));
    return {w0, w1, w2};
}

namespace {

// The weights of four neighbouring pixels (x … x+3, y) at once, with the
// very operations PixelWeights performs on each one, so the results are
// bit for bit the same: AVX divides and takes square roots of four doubles
// at a time, correctly rounded like the scalar instructions. Used only
// where every squared distance is far from the 32-bit limit, so computing
// it in double gives the same value as the 32-bit integer sum.
#if defined(__x86_64__)
#define FENNIX_WEIGHTS4 1
__attribute__((target("avx"))) void Weights4(const Triangle& t, double c, int x, int y, float* w0,
                                             float* w1) {
    const __m256d X = _mm256_setr_pd(x, x + 1.0, x + 2.0, x + 3.0);
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d signless = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffffLL));
    const __m256d C = _mm256_set1_pd(c);

    // w0: the slope e of the line from P1 to the pixel.
    const __m256d dx1 = _mm256_sub_pd(X, _mm256_set1_pd(t.P1.X));
    const __m256d dy1 = _mm256_set1_pd(static_cast<double>(y - t.P1.Y));
    __m256d e = _mm256_div_pd(dy1, dx1);
    e = _mm256_blendv_pd(e, _mm256_set1_pd(kPixelSlope), _mm256_cmp_pd(dx1, _mm256_setzero_pd(), _CMP_EQ_OQ));
    const __m256d a0 = _mm256_and_pd(
        signless, _mm256_sub_pd(_mm256_set1_pd(static_cast<double>(t.P2.Y - y)),
                                _mm256_mul_pd(e, _mm256_sub_pd(_mm256_set1_pd(t.P2.X), X))));
    const __m256d d1 = _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(dx1, dx1), _mm256_mul_pd(dy1, dy1)));
    const __m256d r0 = _mm256_mul_pd(
        _mm256_div_pd(_mm256_mul_pd(C, a0), _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(e, e), one))), d1);
    _mm_storeu_ps(w0, _mm256_cvtpd_ps(r0));

    // w1: the slope o of the line from the pixel to P0.
    const __m256d dx0 = _mm256_sub_pd(_mm256_set1_pd(t.P0.X), X);
    const __m256d dy0 = _mm256_set1_pd(static_cast<double>(t.P0.Y - y));
    __m256d o = _mm256_div_pd(dy0, dx0);
    o = _mm256_blendv_pd(o, _mm256_set1_pd(kSteepSlope), _mm256_cmp_pd(dx0, _mm256_setzero_pd(), _CMP_EQ_OQ));
    const __m256d a1 = _mm256_and_pd(
        signless, _mm256_sub_pd(_mm256_set1_pd(static_cast<double>(t.P2.Y - t.P0.Y)),
                                _mm256_mul_pd(o, _mm256_set1_pd(static_cast<double>(t.P2.X - t.P0.X)))));
    const __m256d d0 = _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(dx0, dx0), _mm256_mul_pd(dy0, dy0)));
    const __m256d r1 = _mm256_mul_pd(
        _mm256_div_pd(_mm256_mul_pd(C, a1), _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(o, o), one))), d0);
    _mm_storeu_ps(w1, _mm256_cvtpd_ps(r1));
}

const bool kHasAvx = __builtin_cpu_supports("avx");
#endif

// Coordinates below this keep every squared distance of pixels on an image
// of this size well inside 32 bits.
constexpr int kVectorLimit = 16384;

bool SmallTriangle(const Triangle& t) {
    for (const Point& p : {t.P0, t.P1, t.P2})
        if (std::abs(p.X) >= kVectorLimit || std::abs(p.Y) >= kVectorLimit) return false;
    return true;
}

void WarpRows(const PixelBuffer& start, const TriangleList& startList, const PixelBuffer& end,
              const TriangleList& endList, PixelBuffer& output, const IndexMap& map,
              const TriangleList& intermediate, float t, int firstRow, int lastRow) {
    const int W = map.Width;
    const int H = map.Height;
    const int n = intermediate.Count();
    const double keep = static_cast<double>(static_cast<float>(1.0 - t));
    const double take = static_cast<double>(t);
    const uint8_t* s = start.Bits.data();
    const uint8_t* e = end.Bits.data();
    uint8_t* out = output.Bits.data();
#if FENNIX_WEIGHTS4
    const bool vector = kHasAvx && W < kVectorLimit && H < kVectorLimit;
#endif

    int remembered = 0;
    float area = 0;
    for (int y = firstRow; y < lastRow; ++y) {
        const int32_t* row = map.Index.data() + static_cast<size_t>(y) * W;
        int x = 0;
        while (x < W) {
            // One run of pixels of the same triangle.
            const int i = row[x];
            int runEnd = x + 1;
            while (runEnd < W && row[runEnd] == i) ++runEnd;
            if (i == 0 || i > n) {
                x = runEnd;
                continue;
            }
            const Triangle& tri = intermediate[i];
            if (i != remembered) area = TriangleArea(tri);
            remembered = i;
            const Triangle& q = startList[i];
            const Triangle& r = endList[i];
#if FENNIX_WEIGHTS4
            const bool fourAtATime = vector && SmallTriangle(tri);
            const double c = area == 0 ? kNoArea : 0.5 / static_cast<double>(area);
#endif
            for (; x < runEnd;) {
                float w0[4], w1[4];
                int count = 1;
#if FENNIX_WEIGHTS4
                if (fourAtATime && runEnd - x >= 4) {
                    Weights4(tri, c, x, y, w0, w1);
                    count = 4;
                } else
#endif
                {
                    const Weights w = PixelWeights(tri, area, x, y);
                    w0[0] = w.w0;
                    w1[0] = w.w1;
                }
                for (int k = 0; k < count; ++k, ++x) {
                    const double v0 = w0[k];
                    const double v1 = w1[k];
                    const double v2 = static_cast<float>(1.0 - v0 - v1);
                    const double sx = q.P1.X * v1 + q.P0.X * v0 + q.P2.X * v2;
                    const double sy = q.P1.Y * v1 + q.P0.Y * v0 + q.P2.Y * v2;
                    const double ex = r.P1.X * v1 + r.P0.X * v0 + r.P2.X * v2;
                    const double ey = r.P1.Y * v1 + r.P0.Y * v0 + r.P2.Y * v2;
                    const uint8_t* S =
                        s + (static_cast<size_t>(ClampRound(sy, H - 1)) * W + ClampRound(sx, W - 1)) * 4;
                    const uint8_t* E =
                        e + (static_cast<size_t>(ClampRound(ey, H - 1)) * W + ClampRound(ex, W - 1)) * 4;
                    uint8_t* o = out + (static_cast<size_t>(y) * W + x) * 4;
                    for (int channel = 0; channel < 3; ++channel)
                        o[channel] = static_cast<uint8_t>(RoundSmall(S[channel] * keep + E[channel] * take));
                }
            }
        }
    }
}

}  // namespace

void WarpFrame(const PixelBuffer& start, const TriangleList& startList, const PixelBuffer& end,
               const TriangleList& endList, PixelBuffer& output, const IndexMap& map,
               const TriangleList& intermediate, float t, int threads) {
    if (map.Width <= 0 || map.Height <= 0) return;
    const size_t bytes = static_cast<size_t>(map.Width) * map.Height * 4;
    if (start.Bits.size() < bytes || end.Bits.size() < bytes || output.Bits.size() < bytes ||
        startList.Count() != intermediate.Count() || endList.Count() != intermediate.Count())
        return;
    // Rows are independent: split them over the cores. Each band starts
    // with no remembered area, which changes nothing since a triangle's
    // area does not depend on where it is computed.
    const int H = map.Height;
    const int cores = threads > 0 ? threads
                                  : static_cast<int>(std::max(1u, std::min(4u, std::thread::hardware_concurrency())));
    const int bands = std::max(1, std::min(cores, H / 32 + 1));
    std::vector<std::thread> workers;
    for (int b = 1; b < bands; ++b) {
        workers.emplace_back(WarpRows, std::cref(start), std::cref(startList), std::cref(end),
                             std::cref(endList), std::ref(output), std::cref(map),
                             std::cref(intermediate), t, H * b / bands, H * (b + 1) / bands);
    }
    WarpRows(start, startList, end, endList, output, map, intermediate, t, 0, H / bands);
    for (auto& worker : workers) worker.join();
}

}  // namespace fennix
