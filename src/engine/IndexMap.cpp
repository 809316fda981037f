// Painting the intermediate mesh into the index map: an exact integer
// scan conversion of each triangle with the top-left rule, so triangles
// that share an edge never both claim (or both miss) a pixel on it. A map
// that already has the size is not cleared first: the spans painted are
// noted, and afterwards only the pixels between them are set to 0. A mesh
// that covers the picture thus writes every pixel once. A run paints a few
// rows at a time instead (IndexBands), just before they are warped.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/IndexBands.h"
#include "engine/Warp.h"

namespace fennix {

namespace {

// Coordinates beyond this magnitude could overflow the 64-bit edge
// functions; no mesh on an image comes anywhere near it.
constexpr int64_t kCoordinateLimit = int64_t{1} << 30;

// Floor of a / n for n > 0, also for negative a.
int64_t FloorDiv(int64_t a, int64_t n) {
    const int64_t q = a / n;
    return (a % n != 0 && a < 0) ? q - 1 : q;
}

// One directed edge a → b of a triangle whose corners run so that its
// inside has a positive edge function on every edge:
//   E(x, y) = dx·(y − a.y) − dy·(x − a.x) > 0.
// A sample with E = 0 lies on the edge and counts only when the edge is a
// top edge (horizontal, running towards +x: the inside lies below it) or a
// left edge (running towards −y: the inside lies to its right); the bias of
// −1 on every other edge turns "E ≥ 0" into "E > 0" there.
struct Edge {
    int64_t ax, ay, dx, dy, bias;

    Edge(const Point& a, const Point& b)
        : ax(a.X), ay(a.Y), dx(int64_t{b.X} - a.X), dy(int64_t{b.Y} - a.Y) {
        const bool owned = dy < 0 || (dy == 0 && dx > 0);
        bias = owned ? 0 : -1;
    }

    // Narrows [lo, hi] to the x of row y where E + bias ≥ 0. Along a row
    // E + bias = c − dy·x.
    void Clip(int64_t y, int64_t& lo, int64_t& hi) const {
        const int64_t c = dx * (y - ay) + dy * ax + bias;
        if (dy == 0) {
            if (c < 0) hi = lo - 1;
        } else if (dy > 0) {
            hi = std::min(hi, FloorDiv(c, dy));
        } else {
            lo = std::max(lo, -FloorDiv(c, -dy));
        }
    }
};

bool InRange(const Point& p) {
    return std::abs(int64_t{p.X}) <= kCoordinateLimit && std::abs(int64_t{p.Y}) <= kCoordinateLimit;
}

// Sets count indices from `at` on to `index`, four at a time (the
// compiler leaves a plain loop of single stores otherwise).
void Fill(int32_t* at, int64_t count, int32_t index) {
    int64_t i = 0;
#if defined(__SSE2__)
    const __m128i four = _mm_set1_epi32(index);
    for (; i + 4 <= count; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(at + i), four);
#endif
    for (; i < count; ++i) at[i] = index;
}

// Pixels lo … hi of row y.
struct RowSpan {
    int32_t y, lo, hi;
};

// Paints the rows firstRow … lastRow − 1 of the triangle into `rows` (row
// firstRow first, `width` indices each), noting each span when asked.
void PaintTriangle(int32_t* rows, int width, const Triangle& triangle, int32_t index, int64_t firstRow,
                   int64_t lastRow, std::vector<RowSpan>* painted) {
    Point p0 = triangle.P0, p1 = triangle.P1, p2 = triangle.P2;
    if (!InRange(p0) || !InRange(p1) || !InRange(p2)) return;

    // Twice the signed area; turn the triangle round when it runs the other way.
    const int64_t area2 = (int64_t{p1.X} - p0.X) * (int64_t{p2.Y} - p0.Y) -
                          (int64_t{p1.Y} - p0.Y) * (int64_t{p2.X} - p0.X);
    if (area2 == 0) return;
    if (area2 < 0) std::swap(p1, p2);

    // Only the bounding box clipped to the map is visited.
    const int64_t minX = std::max<int64_t>(0, std::min({p0.X, p1.X, p2.X}));
    const int64_t maxX = std::min<int64_t>(width - 1, std::max({p0.X, p1.X, p2.X}));
    const int64_t minY = std::max<int64_t>(firstRow, std::min({p0.Y, p1.Y, p2.Y}));
    const int64_t maxY = std::min<int64_t>(lastRow - 1, std::max({p0.Y, p1.Y, p2.Y}));
    if (minX > maxX || minY > maxY) return;

    const Edge edges[3] = {Edge(p0, p1), Edge(p1, p2), Edge(p2, p0)};
    for (int64_t y = minY; y <= maxY; ++y) {
        int64_t lo = minX, hi = maxX;
        for (const Edge& edge : edges) edge.Clip(y, lo, hi);
        if (lo > hi) continue;
        int32_t* row = rows + (y - firstRow) * width;
        Fill(row + lo, hi + 1 - lo, index);
        if (painted)
            painted->push_back({static_cast<int32_t>(y), static_cast<int32_t>(lo), static_cast<int32_t>(hi)});
    }
}

// Sets every pixel of rows firstRow … lastRow − 1 that no span of `painted`
// covers to 0.
void ClearTheRest(IndexMap& map, const std::vector<RowSpan>& painted, int firstRow, int lastRow) {
    // Spans by row, then by start: a counting sort on the row, then the few
    // spans of each row in order of their start.
    const int rows = lastRow - firstRow;
    std::vector<int32_t> first(static_cast<size_t>(rows) + 1, 0);
    for (const RowSpan& span : painted) ++first[static_cast<size_t>(span.y - firstRow) + 1];
    for (int r = 0; r < rows; ++r) first[r + 1] += first[r];
    std::vector<RowSpan> byRow(painted.size());
    std::vector<int32_t> next(first.begin(), first.end() - 1);
    for (const RowSpan& span : painted) byRow[static_cast<size_t>(next[span.y - firstRow]++)] = span;
    for (int r = 0; r < rows; ++r) {
        RowSpan* const begin = byRow.data() + first[r];
        RowSpan* const end = byRow.data() + first[r + 1];
        std::sort(begin, end, [](const RowSpan& a, const RowSpan& b) { return a.lo < b.lo; });
        int32_t* row = map.Index.data() + static_cast<size_t>(firstRow + r) * map.Width;
        int32_t covered = 0;  // pixels 0 … covered − 1 are painted or cleared
        for (const RowSpan* span = begin; span != end; ++span) {
            if (span->lo > covered) std::fill(row + covered, row + span->lo, 0);
            covered = std::max(covered, span->hi + 1);
        }
        if (covered < map.Width) std::fill(row + covered, row + map.Width, 0);
    }
}

// Rows firstRow … lastRow − 1 of the whole map: every triangle in order,
// then the gaps.
void PaintRows(IndexMap& map, const TriangleList& triangles, int firstRow, int lastRow) {
    std::vector<RowSpan> painted;
    painted.reserve(static_cast<size_t>(lastRow - firstRow) * 8);
    int32_t* rows = map.Index.data() + static_cast<size_t>(firstRow) * map.Width;
    for (int i = 1; i <= triangles.Count(); ++i)
        PaintTriangle(rows, map.Width, triangles[i], i, firstRow, lastRow, &painted);
    ClearTheRest(map, painted, firstRow, lastRow);
}

}  // namespace

namespace warp {

IndexBands::IndexBands(const TriangleList& mesh, int width, int height, int bandRows)
    : mesh_(mesh), width_(std::max(width, 0)), height_(std::max(height, 0)), bandRows_(std::max(bandRows, 1)) {
    const int bands = (height_ + bandRows_ - 1) / bandRows_;
    first_.assign(static_cast<size_t>(bands) + 1, 0);
    if (bands == 0 || width_ == 0) return;
    // The bands a triangle's rows reach; none for one wholly off the
    // picture or too far out to paint.
    auto reach = [&](const Triangle& t, int& low, int& high) {
        if (!InRange(t.P0) || !InRange(t.P1) || !InRange(t.P2)) return false;
        const int64_t top = std::max<int64_t>(0, std::min({t.P0.Y, t.P1.Y, t.P2.Y}));
        const int64_t bottom = std::min<int64_t>(height_ - 1, std::max({t.P0.Y, t.P1.Y, t.P2.Y}));
        if (top > bottom) return false;
        low = static_cast<int>(top / bandRows_);
        high = static_cast<int>(bottom / bandRows_);
        return true;
    };
    // Counted first, then listed: each band's triangles in their own order.
    for (int i = 1; i <= mesh.Count(); ++i)
        if (int low, high; reach(mesh[i], low, high))
            for (int b = low; b <= high; ++b) ++first_[static_cast<size_t>(b) + 1];
    for (int b = 0; b < bands; ++b) first_[static_cast<size_t>(b) + 1] += first_[static_cast<size_t>(b)];
    listed_.resize(static_cast<size_t>(first_.back()));
    std::vector<int32_t> next(first_.begin(), first_.end() - 1);
    for (int i = 1; i <= mesh.Count(); ++i)
        if (int low, high; reach(mesh[i], low, high))
            for (int b = low; b <= high; ++b) listed_[static_cast<size_t>(next[static_cast<size_t>(b)]++)] = i;
}

void IndexBands::Paint(int band, int32_t* rows) const {
    const int firstRow = band * bandRows_;
    const int lastRow = std::min(firstRow + bandRows_, height_);
    std::fill(rows, rows + static_cast<size_t>(lastRow - firstRow) * width_, 0);
    for (int32_t n = first_[static_cast<size_t>(band)]; n < first_[static_cast<size_t>(band) + 1]; ++n) {
        const int32_t i = listed_[static_cast<size_t>(n)];
        PaintTriangle(rows, width_, mesh_[i], i, firstRow, lastRow, nullptr);
    }
}

}  // namespace warp

void PaintIndexMap(IndexMap& map, int width, int height, const TriangleList& triangles, int threads) {
    map.Width = std::max(width, 0);
    map.Height = std::max(height, 0);
    if (map.Width == 0 || map.Height == 0) map.Width = map.Height = 0;
    // Resizing keeps the old content where the size stays; every pixel is
    // painted or cleared below either way.
    map.Index.resize(static_cast<size_t>(map.Width) * static_cast<size_t>(map.Height));
    if (map.Index.empty()) return;
    // Rows are independent, since each is painted with every triangle in
    // order: a large map is painted in two halves at once.
    const bool two = threads > 0 ? threads > 1 : std::thread::hardware_concurrency() > 1;
    const int halves = map.Height >= 256 && two ? 2 : 1;
    const int middle = map.Height / halves;
    std::optional<std::thread> helper;
    if (halves == 2) helper.emplace(PaintRows, std::ref(map), std::cref(triangles), middle, map.Height);
    PaintRows(map, triangles, 0, middle);
    if (helper) helper->join();
}

}  // namespace fennix
