#include "engine/Warp.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <memory>
#include <optional>
#include <thread>

#include "core/Rounding.h"
#include "engine/IndexBands.h"
#include "engine/OffsetTable.h"
#include "engine/WarpKernels.h"

namespace fennix {

namespace {

using warp::kNoArea;
using warp::kPixelSlope;
using warp::kSteepSlope;
using warp::SquaredDistance;

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
    if (N == 0) return TriangleList();
    const double fraction = static_cast<double>(k) / N;
    if (!(fraction >= 0 && fraction <= 1)) return TriangleList();
    return InterpolateTrianglesAt(start, end, static_cast<float>(fraction));
}

TriangleList InterpolateTrianglesAt(const TriangleList& start, const TriangleList& end, float f) {
    if (start.Count() != end.Count() || !(f >= 0 && f <= 1)) return TriangleList();
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

// ---- The plain path: the reference every vector path is checked against ----

void warp::SpanPlain(const Images& images, const Span& span) {
    const Triangle& q = *span.from;
    const Triangle& r = *span.to;
    const int W = images.width;
    const int H = images.height;
    for (int x = span.x0; x < span.x1; ++x) {
        const Weights w = PixelWeights(*span.shape, span.area, x, span.y);
        const double v0 = w.w0;
        const double v1 = w.w1;
        const double v2 = w.w2;
        // The source positions, summed in this order in double precision.
        const double sx = q.P1.X * v1 + q.P0.X * v0 + q.P2.X * v2;
        const double sy = q.P1.Y * v1 + q.P0.Y * v0 + q.P2.Y * v2;
        const double ex = r.P1.X * v1 + r.P0.X * v0 + r.P2.X * v2;
        const double ey = r.P1.Y * v1 + r.P0.Y * v0 + r.P2.Y * v2;
        const uint8_t* S =
            images.start + (static_cast<size_t>(ClampRound(sy, H - 1)) * W + ClampRound(sx, W - 1)) * 4;
        const uint8_t* E =
            images.end + (static_cast<size_t>(ClampRound(ey, H - 1)) * W + ClampRound(ex, W - 1)) * 4;
        const size_t at = (static_cast<size_t>(span.y) * W + x) * 4;
        uint8_t* o = images.output + at;
        for (int channel = 0; channel < 3; ++channel)
            o[channel] = static_cast<uint8_t>(
                RoundSmall(S[channel] * images.keep + E[channel] * images.take));
        o[3] = images.opaque ? 0xFF : images.previous[at + 3];
    }
}

// ---- Choosing the path ----

namespace {

std::optional<WarpPath> PathFromName(const char* name) {
    for (WarpPath path : {WarpPath::Auto, WarpPath::Plain, WarpPath::Avx2, WarpPath::Avx512})
        if (std::strcmp(name, WarpPathName(path)) == 0) return path;
    return std::nullopt;
}

WarpPath BestPath() {
    if (WarpPathAvailable(WarpPath::Avx512)) return WarpPath::Avx512;
    if (WarpPathAvailable(WarpPath::Avx2)) return WarpPath::Avx2;
    return WarpPath::Plain;
}

std::atomic<WarpPath>& ChosenPath() {
    static std::atomic<WarpPath> path = [] {
        const char* name = std::getenv("FENNIX_WARP_PATH");
        const std::optional<WarpPath> wanted = name ? PathFromName(name) : std::nullopt;
        return wanted && WarpPathAvailable(*wanted) ? *wanted : WarpPath::Auto;
    }();
    return path;
}

warp::Kernels KernelsFor(WarpPath path) {
    warp::Kernels kernels;
    switch (path) {
#if defined(__x86_64__)
        case WarpPath::Avx512:
            kernels.offsets = warp::SpanOffsetsAvx512;
            kernels.run = warp::RunAvx512;
            break;
        case WarpPath::Avx2:
            kernels.offsets = warp::SpanOffsetsAvx2;
            kernels.run = warp::RunAvx2;
            break;
#endif
        default:
            kernels.span = warp::SpanPlain;
    }
    return kernels;
}

}  // namespace

bool WarpPathAvailable(WarpPath path) {
    switch (path) {
        case WarpPath::Auto:
        case WarpPath::Plain:
            return true;
#if defined(__x86_64__)
        case WarpPath::Avx2:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        case WarpPath::Avx512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                   __builtin_cpu_supports("avx512bw");
#endif
        default:
            return false;
    }
}

bool SetWarpPath(WarpPath path) {
    if (!WarpPathAvailable(path)) return false;
    ChosenPath() = path;
    return true;
}

WarpPath CurrentWarpPath() {
    const WarpPath path = ChosenPath();
    return path == WarpPath::Auto ? BestPath() : path;
}

const char* WarpPathName(WarpPath path) {
    switch (path) {
        case WarpPath::Auto:
            return "auto";
        case WarpPath::Plain:
            return "plain";
        case WarpPath::Avx2:
            return "avx2";
        case WarpPath::Avx512:
            return "avx512";
    }
    return "";
}

// ---- The frame ----

namespace {

// The first x ≥ from of the row whose index is not i (W when there is
// none). Eight indices are compared at a time, into a bit mask whose
// lowest clear bit is the first difference.
int RunEnd(const int32_t* row, int from, int W, int32_t i) {
    int x = from;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi32(i);
    for (; x + 8 <= W; x += 8) {
        const __m128i low = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)), wanted);
        const __m128i high = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x + 4)), wanted);
        const unsigned same = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi32(low, high)));
        if (same != 0xFFFF) return x + __builtin_ctz(~same) / 2;
    }
#endif
    while (x < W && row[x] == i) ++x;
    return x;
}

// Rows firstRow … lastRow − 1, whose indices `index` holds (row firstRow
// first): each row is cut into spans of one triangle, which the kernels
// fill (or, in two passes, whose offsets they note, and then the runs of
// covered pixels). `areas` holds TriangleArea of each intermediate
// triangle, by index. Sets `uncovered` when a pixel has no triangle.
void WarpRows(const warp::Images& images, const TriangleList& startList,
              const TriangleList& endList, const int32_t* index, const TriangleList& intermediate,
              const std::vector<float>& areas, const warp::Kernels& kernels, int firstRow, int lastRow,
              bool& uncovered) {
    const int W = images.width;
    const int n = intermediate.Count();
    // The two-pass kernels' offsets of one row, kept from call to call.
    thread_local std::vector<int32_t> from, to;
    if (kernels.offsets) {
        from.resize(static_cast<size_t>(W) + warp::kOffsetsSpare);
        to.resize(static_cast<size_t>(W) + warp::kOffsetsSpare);
    }
    int remembered = 0;
    warp::Span span{};
    for (int y = firstRow; y < lastRow; ++y) {
        const int32_t* row = index + static_cast<size_t>(y - firstRow) * W;
        span.y = y;
        int runStart = -1;  // where the covered pixels before x begin, for the two passes
        int x = 0;
        while (x < W) {
            const int i = row[x];
            const int runEnd = RunEnd(row, x + 1, W, i);
            if (i == 0 || i > n) {
                uncovered = true;
                if (runStart >= 0) kernels.run(images, y, runStart, x, from.data(), to.data());
                runStart = -1;
                // Not covered: the pixels of the picture the output starts from.
                if (images.previous != images.output) {
                    const size_t at = (static_cast<size_t>(y) * W + x) * 4;
                    std::memcpy(images.output + at, images.previous + at, static_cast<size_t>(runEnd - x) * 4);
                }
            } else {
                if (i != remembered) {
                    span.shape = &intermediate[i];
                    span.from = &startList[i];
                    span.to = &endList[i];
                    span.area = areas[static_cast<size_t>(i)];
                    span.c = span.area == 0 ? kNoArea : 0.5 / static_cast<double>(span.area);
                    remembered = i;
                }
                span.x0 = x;
                span.x1 = runEnd;
                if (kernels.offsets) {
                    if (runStart < 0) runStart = x;
                    kernels.offsets(images, span, from.data(), to.data());
                } else {
                    kernels.span(images, span);
                }
            }
            x = runEnd;
        }
        if (runStart >= 0) kernels.run(images, y, runStart, W, from.data(), to.data());
    }
}

// What one frame's warp shares between its threads.
struct FrameWork {
    warp::Images images;
    warp::Kernels kernels;
    std::shared_ptr<const warp::OffsetTable> offsets;
    // A triangle's area does not depend on where it is computed: once per
    // frame for every triangle.
    std::vector<float> areas;
};

// Sets up the warp of one frame; nothing for an empty picture or lists
// that differ in length.
std::optional<FrameWork> PrepareFrame(const uint8_t* start, const TriangleList& startList,
                                      const uint8_t* end, const TriangleList& endList,
                                      uint8_t* output, int width, int height,
                                      const TriangleList& intermediate, float t,
                                      const uint8_t* previous, bool opaque) {
    if (width <= 0 || height <= 0) return std::nullopt;
    if (startList.Count() != intermediate.Count() || endList.Count() != intermediate.Count())
        return std::nullopt;
    const WarpPath path = CurrentWarpPath();
    FrameWork work{{}, KernelsFor(path), nullptr, {}};
    // The plain path is the reference and computes everything itself.
    if (path != WarpPath::Plain) work.offsets = warp::OffsetTableFor(intermediate, width, height);
    work.images = {start,
                   end,
                   output,
                   previous ? previous : output,
                   opaque,
                   width,
                   height,
                   static_cast<double>(static_cast<float>(1.0 - t)),
                   static_cast<double>(t),
                   work.offsets.get()};
    work.areas.assign(static_cast<size_t>(intermediate.Count()) + 1, 0.0f);
    for (int i = 1; i <= intermediate.Count(); ++i) work.areas[static_cast<size_t>(i)] = TriangleArea(intermediate[i]);
    return work;
}

constexpr int kBandRows = 8;

// Rows are independent: the threads take bands of kBandRows rows each in
// turn until none is left, so a thread that gets less of the CPU (the run
// writes the frame before at the same time) simply takes fewer.
// `band(first, last, uncovered)` does rows first … last − 1. True when no
// band found an uncovered pixel.
template <typename Band>
bool ShareRows(int height, int threads, Band&& band) {
    const int cores = threads > 0 ? threads
                                  : static_cast<int>(std::max(1u, std::min(4u, std::thread::hardware_concurrency())));
    const int workers = std::max(1, std::min(cores, height / 32 + 1));
    std::atomic<int> nextRow{0};
    std::atomic<bool> anyUncovered{false};
    auto work = [&] {
        bool uncovered = false;
        for (;;) {
            const int first = nextRow.fetch_add(kBandRows, std::memory_order_relaxed);
            if (first >= height) break;
            band(first, std::min(first + kBandRows, height), uncovered);
        }
        if (uncovered) anyUncovered = true;
    };
    std::vector<std::thread> helpers;
    for (int w = 1; w < workers; ++w) helpers.emplace_back(work);
    work();
    for (auto& helper : helpers) helper.join();
    return !anyUncovered;
}

}  // namespace

void WarpFrameBits(const uint8_t* start, const TriangleList& startList, const uint8_t* end,
                   const TriangleList& endList, uint8_t* output, const IndexMap& map,
                   const TriangleList& intermediate, float t, int threads, const uint8_t* previous,
                   bool opaque) {
    const std::optional<FrameWork> work =
        PrepareFrame(start, startList, end, endList, output, map.Width, map.Height, intermediate, t,
                     previous, opaque);
    if (!work) return;
    ShareRows(map.Height, threads, [&](int first, int last, bool& uncovered) {
        WarpRows(work->images, startList, endList, map.Index.data() + static_cast<size_t>(first) * map.Width,
                 intermediate, work->areas, work->kernels, first, last, uncovered);
    });
}

bool WarpMeshBits(const uint8_t* start, const TriangleList& startList, const uint8_t* end,
                  const TriangleList& endList, uint8_t* output, int width, int height,
                  const TriangleList& intermediate, float t, int threads, const uint8_t* previous,
                  bool opaque) {
    const std::optional<FrameWork> work = PrepareFrame(
        start, startList, end, endList, output, width, height, intermediate, t, previous, opaque);
    if (!work) return true;
    const warp::IndexBands bands(intermediate, width, height, kBandRows);
    return ShareRows(height, threads, [&](int first, int last, bool& uncovered) {
        // Each thread paints into a band of its own, kept from band to band
        // and frame to frame.
        thread_local std::vector<int32_t> index;
        index.resize(static_cast<size_t>(kBandRows) * width);
        bands.Paint(first / kBandRows, index.data());
        WarpRows(work->images, startList, endList, index.data(), intermediate, work->areas, work->kernels, first,
                 last, uncovered);
    });
}

void WarpFrame(const PixelBuffer& start, const TriangleList& startList, const PixelBuffer& end,
               const TriangleList& endList, PixelBuffer& output, const IndexMap& map,
               const TriangleList& intermediate, float t, int threads) {
    if (map.Width <= 0 || map.Height <= 0) return;
    const size_t bytes = static_cast<size_t>(map.Width) * map.Height * 4;
    if (start.Bits.size() < bytes || end.Bits.size() < bytes || output.Bits.size() < bytes) return;
    WarpFrameBits(start.Bits.data(), startList, end.Bits.data(), endList, output.Bits.data(), map,
                  intermediate, t, threads);
}

}  // namespace fennix
