#include "engine/SmoothWarp.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

#include "engine/SmoothKernels.h"

namespace fennix {

// ---- The fractional mesh ----

SmoothMesh InterpolateSmoothAt(const TriangleList& start, const TriangleList& end, float f) {
    if (start.Count() != end.Count() || !(f >= 0 && f <= 1)) return SmoothMesh();
    const double fraction = static_cast<double>(f);
    auto between = [fraction](const Point& a, const Point& b) {
        return SmoothPoint{static_cast<double>(b.X - a.X) * fraction + a.X,
                           static_cast<double>(b.Y - a.Y) * fraction + a.Y};
    };
    SmoothMesh mesh(static_cast<size_t>(start.Count()));
    for (int i = 1; i <= start.Count(); ++i)
        mesh[i] = {between(start[i].P0, end[i].P0), between(start[i].P1, end[i].P1),
                   between(start[i].P2, end[i].P2)};
    return mesh;
}

// ---- Coverage ----

namespace {

constexpr double kCoordinateLimit = 1073741824.0;  // 2^30

bool InRange(const SmoothPoint& p) {
    return std::fabs(p.X) <= kCoordinateLimit &&
           std::fabs(p.Y) <= kCoordinateLimit;  // false for NaN
}

// One directed edge a → b of a triangle turned so that its inside has a
// positive edge function dx·(y − a.y) − dy·(x − a.x) on every edge, as in
// the exact engine. The function is always computed from the corner that
// comes first (by x, then y) and negated for the other direction, so the
// two triangles sharing the edge see exactly opposite values: a pixel on
// one side of it is the one triangle's, on the other side the other's, and
// one exactly on it goes to the triangle for which it is a top or left edge.
struct Edge {
    double ox, oy, dx, dy;
    bool flip;        // the edge runs towards the origin corner: its function is −e
    bool owned;       // a top or left edge: a sample on it belongs to the triangle
    double rowSlope;  // dy of the directed edge

    Edge(const SmoothPoint& a, const SmoothPoint& b) {
        flip = !(a.X < b.X || (a.X == b.X && a.Y < b.Y));
        const SmoothPoint& o = flip ? b : a;
        const SmoothPoint& other = flip ? a : b;
        ox = o.X;
        oy = o.Y;
        dx = other.X - o.X;
        dy = other.Y - o.Y;
        const double ddx = flip ? -dx : dx;
        rowSlope = flip ? -dy : dy;
        owned = rowSlope < 0 || (rowSlope == 0 && ddx > 0);
    }

    bool Inside(double x, double y) const {
        const double e = dx * (y - oy) - dy * (x - ox);
        const double v = flip ? -e : e;
        return owned ? v >= 0 : v > 0;
    }

    // Narrows [lo, hi] to the x of row y inside the edge. Along a row the
    // computed function is monotonic in x (every step of it rounds
    // monotonically), so the pixels inside form one interval, whose end is
    // found from the crossing point and checked pixel by pixel.
    void Clip(int64_t y, int64_t& lo, int64_t& hi) const {
        if (lo > hi) return;
        const double Y = static_cast<double>(y);
        if (rowSlope == 0) {
            if (!Inside(static_cast<double>(lo), Y)) hi = lo - 1;
            return;
        }
        double cross = ox + dx * (Y - oy) / dy;
        if (std::isnan(cross)) cross = static_cast<double>(lo);
        cross = std::clamp(cross, static_cast<double>(lo - 2), static_cast<double>(hi + 2));
        if (rowSlope > 0) {  // inside to the left of the crossing
            int64_t x = static_cast<int64_t>(std::floor(cross));
            while (x + 1 <= hi && Inside(static_cast<double>(x + 1), Y)) ++x;
            while (x >= lo && !Inside(static_cast<double>(x), Y)) --x;
            hi = std::min(hi, x);
        } else {  // inside to the right
            int64_t x = static_cast<int64_t>(std::ceil(cross));
            while (x - 1 >= lo && Inside(static_cast<double>(x - 1), Y)) --x;
            while (x <= hi && !Inside(static_cast<double>(x), Y)) ++x;
            lo = std::max(lo, x);
        }
    }
};

// The rows a triangle can cover, one more on each side than its corners
// reach (the edge test decides within them); false when it covers nothing.
bool RowReach(const SmoothTriangle& t, int height, int64_t& top, int64_t& bottom) {
    if (!InRange(t.P0) || !InRange(t.P1) || !InRange(t.P2)) return false;
    top = std::max<int64_t>(
        0, static_cast<int64_t>(std::floor(std::min({t.P0.Y, t.P1.Y, t.P2.Y}))) - 1);
    bottom = std::min<int64_t>(
        height - 1, static_cast<int64_t>(std::ceil(std::max({t.P0.Y, t.P1.Y, t.P2.Y}))) + 1);
    return top <= bottom;
}

// Paints rows firstRow … lastRow − 1 of the triangle into `rows` (row
// firstRow first, `width` indices each).
void PaintTriangle(int32_t* rows, int width, const SmoothTriangle& triangle, int32_t index,
                   int64_t firstRow, int64_t lastRow) {
    SmoothPoint p0 = triangle.P0, p1 = triangle.P1, p2 = triangle.P2;
    if (!InRange(p0) || !InRange(p1) || !InRange(p2)) return;
    const double area2 = (p1.X - p0.X) * (p2.Y - p0.Y) - (p1.Y - p0.Y) * (p2.X - p0.X);
    if (area2 == 0) return;
    if (area2 < 0) std::swap(p1, p2);
    const int64_t minX =
        std::max<int64_t>(0, static_cast<int64_t>(std::floor(std::min({p0.X, p1.X, p2.X}))) - 1);
    const int64_t maxX = std::min<int64_t>(
        width - 1, static_cast<int64_t>(std::ceil(std::max({p0.X, p1.X, p2.X}))) + 1);
    int64_t top, bottom;
    if (!RowReach(triangle, static_cast<int>(lastRow), top, bottom)) return;
    top = std::max(top, firstRow);
    if (minX > maxX || top > bottom) return;
    const Edge edges[3] = {Edge(p0, p1), Edge(p1, p2), Edge(p2, p0)};
    for (int64_t y = top; y <= bottom; ++y) {
        int64_t lo = minX, hi = maxX;
        for (const Edge& edge : edges) edge.Clip(y, lo, hi);
        if (lo > hi) continue;
        std::fill(rows + (y - firstRow) * width + lo, rows + (y - firstRow) * width + hi + 1,
                  index);
    }
}

// The triangles reaching each band of rows, in mesh order.
class Bands {
  public:
    Bands(const SmoothMesh& mesh, int width, int height, int bandRows)
        : mesh_(mesh), width_(width), height_(height), bandRows_(bandRows) {
        const int bands = (height + bandRows - 1) / bandRows;
        first_.assign(static_cast<size_t>(bands) + 1, 0);
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<int32_t> next(first_.begin(), first_.end() - 1);
            if (pass == 1) listed_.resize(static_cast<size_t>(first_.back()));
            for (int i = 1; i <= mesh.Count(); ++i) {
                int64_t top, bottom;
                if (!RowReach(mesh[i], height, top, bottom)) continue;
                for (int64_t b = top / bandRows; b <= bottom / bandRows; ++b) {
                    if (pass == 0)
                        ++first_[static_cast<size_t>(b) + 1];
                    else
                        listed_[static_cast<size_t>(next[static_cast<size_t>(b)]++)] = i;
                }
            }
            if (pass == 0)
                for (int b = 0; b < bands; ++b)
                    first_[static_cast<size_t>(b) + 1] += first_[static_cast<size_t>(b)];
        }
    }

    void Paint(int band, int32_t* rows) const {
        const int firstRow = band * bandRows_;
        const int lastRow = std::min(firstRow + bandRows_, height_);
        std::fill(rows, rows + static_cast<size_t>(lastRow - firstRow) * width_, 0);
        for (int32_t n = first_[static_cast<size_t>(band)];
             n < first_[static_cast<size_t>(band) + 1]; ++n) {
            const int32_t i = listed_[static_cast<size_t>(n)];
            PaintTriangle(rows, width_, mesh_[i], i, firstRow, lastRow);
        }
    }

  private:
    const SmoothMesh& mesh_;
    int width_, height_, bandRows_;
    std::vector<int32_t> first_, listed_;
};

}  // namespace

void PaintSmoothIndexMap(IndexMap& map, int width, int height, const SmoothMesh& mesh) {
    map.Width = std::max(width, 0);
    map.Height = std::max(height, 0);
    if (map.Width == 0 || map.Height == 0) map.Width = map.Height = 0;
    map.Index.assign(static_cast<size_t>(map.Width) * static_cast<size_t>(map.Height), 0);
    for (int i = 1; i <= mesh.Count(); ++i)
        PaintTriangle(map.Index.data(), map.Width, mesh[i], i, 0, map.Height);
}

// ---- The mip map ----

SmoothPicture::SmoothPicture(const uint8_t* bits, int width, int height) {
    if (width < 1 || height < 1 || !bits) return;
    bits_ = bits;
    widths_.push_back(width);
    heights_.push_back(height);
    constexpr int kMaxLevels = 16;
    while (Levels() < kMaxLevels && (widths_.back() > 1 || heights_.back() > 1)) {
        const int w = widths_.back(), h = heights_.back();
        const uint8_t* from = Bits(Levels() - 1);
        const int halfW = (w + 1) / 2, halfH = (h + 1) / 2;
        std::vector<uint8_t> half(static_cast<size_t>(halfW) * halfH * 4);
        for (int y = 0; y < halfH; ++y) {
            const uint8_t* row0 = from + static_cast<size_t>(2 * y) * w * 4;
            const uint8_t* row1 = from + static_cast<size_t>(std::min(2 * y + 1, h - 1)) * w * 4;
            uint8_t* out = half.data() + static_cast<size_t>(y) * halfW * 4;
            for (int x = 0; x < halfW; ++x) {
                const size_t left = static_cast<size_t>(2 * x) * 4;
                const size_t right = static_cast<size_t>(std::min(2 * x + 1, w - 1)) * 4;
                for (int c = 0; c < 3; ++c)
                    out[x * 4 + c] = static_cast<uint8_t>(
                        (row0[left + c] + row0[right + c] + row1[left + c] + row1[right + c] + 2) >>
                        2);
                out[x * 4 + 3] = 0;
            }
        }
        levels_.push_back(std::move(half));
        widths_.push_back(halfW);
        heights_.push_back(halfH);
    }
}

// ---- How a triangle reads a picture ----

SmoothSampling SmoothSamplingOf(const SmoothTriangle& shape, const Triangle& source, int levels) {
    SmoothSampling s;
    const double d1x = shape.P1.X - shape.P0.X, d1y = shape.P1.Y - shape.P0.Y;
    const double d2x = shape.P2.X - shape.P0.X, d2y = shape.P2.Y - shape.P0.Y;
    const double det = d1x * d2y - d1y * d2x;
    if (det == 0 || !std::isfinite(det)) return s;
    const double e1x = source.P1.X - source.P0.X, e1y = source.P1.Y - source.P0.Y;
    const double e2x = source.P2.X - source.P0.X, e2y = source.P2.Y - source.P0.Y;
    s.A = (d2y * e1x - d1y * e2x) / det;
    s.B = (d1x * e2x - d2x * e1x) / det;
    s.D = (d2y * e1y - d1y * e2y) / det;
    s.E = (d1x * e2y - d2x * e1y) / det;
    s.C = source.P0.X - s.A * shape.P0.X - s.B * shape.P0.Y;
    s.F = source.P0.Y - s.D * shape.P0.X - s.E * shape.P0.Y;
    const double stretch = std::max(s.A * s.A + s.D * s.D, s.B * s.B + s.E * s.E);
    const double lod = 0.5 * std::log2(stretch) - 0.5;
    if (!(lod > 0) || levels <= 1) return s;
    const double level = std::floor(lod);
    if (level >= levels - 1) {
        s.Level = levels - 1;
        return s;
    }
    s.Level = static_cast<int>(level);
    s.Mix = static_cast<float>(lod - level);
    return s;
}

// ---- The plain path: the reference every vector path is checked against ----

namespace smooth {

namespace {

// Clamped to 0 … limit, NaN to 0: min(limit, v), then max(·, 0), each
// taking its second operand when the comparison fails, as MINPS and MAXPS
// do.
inline float Clamp(float v, float limit) {
    const float r = limit < v ? limit : v;
    return r > 0.0f ? r : 0.0f;
}

// The bilinear sample of `level` at level-0 position (px, py).
inline void Sample(const Level& level, float px, float py, float out[3]) {
    if (level.scale != 1.0f) {
        px = (px + 0.5f) * level.scale - 0.5f;
        py = (py + 0.5f) * level.scale - 0.5f;
    }
    const float X = Clamp(px, static_cast<float>(level.width - 1));
    const float Y = Clamp(py, static_cast<float>(level.height - 1));
    const int ix = static_cast<int>(X), iy = static_cast<int>(Y);
    const float fx = X - static_cast<float>(ix), fy = Y - static_cast<float>(iy);
    const float gx = 1.0f - fx, gy = 1.0f - fy;
    const int ix1 = std::min(ix + 1, level.width - 1), iy1 = std::min(iy + 1, level.height - 1);
    const size_t w = static_cast<size_t>(level.width);
    const uint8_t* p00 = level.bits + (iy * w + ix) * 4;
    const uint8_t* p10 = level.bits + (iy * w + ix1) * 4;
    const uint8_t* p01 = level.bits + (iy1 * w + ix) * 4;
    const uint8_t* p11 = level.bits + (iy1 * w + ix1) * 4;
    for (int c = 0; c < 3; ++c) {
        const float top = static_cast<float>(p00[c]) * gx + static_cast<float>(p10[c]) * fx;
        const float bottom = static_cast<float>(p01[c]) * gx + static_cast<float>(p11[c]) * fx;
        out[c] = top * gy + bottom * fy;
    }
}

inline void Read(const Source& s, float x, float out[3]) {
    const float px = s.dx * x + s.x0;
    const float py = s.dy * x + s.y0;
    Sample(s.a, px, py, out);
    if (s.mix != 0.0f) {
        float other[3];
        Sample(s.b, px, py, other);
        for (int c = 0; c < 3; ++c) out[c] = out[c] * s.keepMix + other[c] * s.mix;
    }
}

}  // namespace

void SpanPlain(const Frame& frame, const Span& span) {
    for (int x = span.x0; x < span.x1; ++x) {
        float S[3], E[3];
        Read(span.start, static_cast<float>(x), S);
        Read(span.end, static_cast<float>(x), E);
        const size_t at = (static_cast<size_t>(span.y) * frame.width + x) * 4;
        uint8_t* o = frame.output + at;
        for (int c = 0; c < 3; ++c) {
            const int v = static_cast<int>(std::nearbyint(S[c] * frame.keep + E[c] * frame.take));
            o[c] = static_cast<uint8_t>(std::clamp(v, 0, 255));
        }
        o[3] = frame.opaque ? 0xFF : frame.previous[at + 3];
    }
}

}  // namespace smooth

// ---- The frame ----

namespace {

smooth::SpanKernel KernelFor(WarpPath path) {
    switch (path) {
#if defined(__x86_64__)
        case WarpPath::Avx512:
            return smooth::SpanAvx512;
        case WarpPath::Avx2:
            return smooth::SpanAvx2;
#endif
        default:
            return smooth::SpanPlain;
    }
}

smooth::Level LevelOf(const SmoothPicture& picture, int level) {
    return {picture.Bits(level), picture.Width(level), picture.Height(level),
            std::ldexp(1.0f, -level)};
}

// What one triangle reads of one picture, set up once per frame.
struct Reading {
    SmoothSampling sampling;
    smooth::Level a, b;
};

Reading ReadingOf(const SmoothTriangle& shape, const Triangle& source,
                  const SmoothPicture& picture) {
    Reading r;
    r.sampling = SmoothSamplingOf(shape, source, picture.Levels());
    r.a = LevelOf(picture, r.sampling.Level);
    r.b = r.sampling.Mix != 0 ? LevelOf(picture, r.sampling.Level + 1) : r.a;
    return r;
}

smooth::Source SourceOf(const Reading& r, int y) {
    const SmoothSampling& s = r.sampling;
    return {static_cast<float>(s.A),
            static_cast<float>(s.B * y + s.C),
            static_cast<float>(s.D),
            static_cast<float>(s.E * y + s.F),
            r.a,
            r.b,
            s.Mix,
            1.0f - s.Mix};
}

constexpr int kBandRows = 8;

}  // namespace

bool WarpSmoothBits(const SmoothPicture& start, const TriangleList& startList,
                    const SmoothPicture& end, const TriangleList& endList, uint8_t* output,
                    const SmoothMesh& intermediate, float t, int threads, const uint8_t* previous,
                    bool opaque) {
    if (start.Levels() == 0 || end.Levels() == 0 || !output) return true;
    const int width = start.Width(0), height = start.Height(0);
    if (end.Width(0) != width || end.Height(0) != height) return true;
    const int n = intermediate.Count();
    if (startList.Count() != n || endList.Count() != n) return true;

    std::vector<Reading> fromStart(static_cast<size_t>(n) + 1), fromEnd(static_cast<size_t>(n) + 1);
    for (int i = 1; i <= n; ++i) {
        fromStart[static_cast<size_t>(i)] = ReadingOf(intermediate[i], startList[i], start);
        fromEnd[static_cast<size_t>(i)] = ReadingOf(intermediate[i], endList[i], end);
    }
    const smooth::Frame frame{output, previous ? previous : output, opaque, width, 1.0f - t, t};
    const smooth::SpanKernel kernel = KernelFor(CurrentWarpPath());
    const Bands bands(intermediate, width, height, kBandRows);

    const int cores =
        threads > 0
            ? threads
            : static_cast<int>(std::max(1u, std::min(4u, std::thread::hardware_concurrency())));
    const int workers = std::max(1, std::min(cores, height / 32 + 1));
    std::atomic<int> nextBand{0};
    std::atomic<bool> anyUncovered{false};
    auto work = [&] {
        std::vector<int32_t> index(static_cast<size_t>(kBandRows) * width);
        bool uncovered = false;
        smooth::Span span{};
        for (;;) {
            const int band = nextBand.fetch_add(1, std::memory_order_relaxed);
            const int firstRow = band * kBandRows;
            if (firstRow >= height) break;
            const int lastRow = std::min(firstRow + kBandRows, height);
            bands.Paint(band, index.data());
            for (int y = firstRow; y < lastRow; ++y) {
                const int32_t* row = index.data() + static_cast<size_t>(y - firstRow) * width;
                span.y = y;
                int x = 0;
                while (x < width) {
                    const int32_t i = row[x];
                    int runEnd = x + 1;
                    while (runEnd < width && row[runEnd] == i) ++runEnd;
                    if (i == 0) {
                        uncovered = true;
                        if (frame.previous != output) {
                            const size_t at = (static_cast<size_t>(y) * width + x) * 4;
                            std::memcpy(output + at, frame.previous + at,
                                        static_cast<size_t>(runEnd - x) * 4);
                        }
                    } else {
                        span.start = SourceOf(fromStart[static_cast<size_t>(i)], y);
                        span.end = SourceOf(fromEnd[static_cast<size_t>(i)], y);
                        span.x0 = x;
                        span.x1 = runEnd;
                        kernel(frame, span);
                    }
                    x = runEnd;
                }
            }
        }
        if (uncovered) anyUncovered = true;
    };
    std::vector<std::thread> helpers;
    for (int w = 1; w < workers; ++w) helpers.emplace_back(work);
    work();
    for (auto& helper : helpers) helper.join();
    return !anyUncovered;
}

}  // namespace fennix
