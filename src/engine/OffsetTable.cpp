#include "engine/OffsetTable.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

#include "engine/WarpKernels.h"

namespace fennix::warp {

namespace {

// At most this many doubles (32 MB): meshes with a few huge triangles get
// the nearer offsets from the table and compute the rest.
constexpr int64_t kLimit = int64_t{4} << 20;
// Reaches grow in steps, so a mesh that moves a little from frame to frame
// does not build a new table each time.
constexpr int64_t kStep = 64;

// The table every warp shares, and the bound on its size.
std::mutex lock;
std::shared_ptr<const OffsetTable> shared;
int64_t limit = kLimit;

int64_t Doubles(int64_t reachX, int64_t reachY) {
    return (reachY + 1) * 3 * (2 * reachX + 1 + 2 * OffsetTable::kPad);
}

}  // namespace

OffsetTable::OffsetTable(int reachX, int reachY)
    : reachX_(reachX),
      reachY_(reachY),
      planeSize_(static_cast<size_t>(2 * reachX + 1 + 2 * kPad)),
      rowSize_(3 * planeSize_),
      // The spare entries hold 1: harmless operands for the lanes that read them.
      values_(static_cast<size_t>(reachY + 1) * rowSize_, 1.0) {
    for (int dy = 0; dy <= reachY; ++dy) {
        auto* slopes = const_cast<double*>(Slopes(dy));
        auto* roots = const_cast<double*>(Roots(dy));
        auto* lengths = const_cast<double*>(Lengths(dy));
        for (int dx = -reachX; dx <= reachX; ++dx) {
            // The operations of PixelWeights, in its order.
            const double slope = dx == 0 ? kPixelSlope : static_cast<double>(dy) / static_cast<double>(dx);
            slopes[dx] = slope;
            roots[dx] = std::sqrt(slope * slope + 1);
            lengths[dx] = std::sqrt(static_cast<double>(SquaredDistance(dx, dy)));
        }
    }
}

bool FindEntries(const OffsetTable& table, const Triangle& t, int y, int x0, int x1, CornerEntries& p1,
                 CornerEntries& p0) {
    // Offsets pixel − P1: (x − P1.X, y − P1.Y).
    const int64_t dy1 = int64_t{y} - t.P1.Y;
    if (!table.Covers(int64_t{x0} - t.P1.X, int64_t{x1} - 1 - t.P1.X, dy1)) return false;
    // Offsets P0 − pixel: (P0.X − x, P0.Y − y).
    const int64_t dy0 = int64_t{t.P0.Y} - y;
    if (!table.Covers(int64_t{t.P0.X} - (x1 - 1), int64_t{t.P0.X} - x0, dy0)) return false;
    // A negative dy is read as (−dx, −dy), which turns the direction round.
    const int row1 = static_cast<int>(dy1 < 0 ? -dy1 : dy1);
    p1 = {table.Slopes(row1), table.Roots(row1), table.Lengths(row1), t.P1.X, dy1 < 0 ? -1 : 1};
    const int row0 = static_cast<int>(dy0 < 0 ? -dy0 : dy0);
    p0 = {table.Slopes(row0), table.Roots(row0), table.Lengths(row0), t.P0.X, dy0 < 0 ? 1 : -1};
    return true;
}

std::shared_ptr<const OffsetTable> OffsetTableFor(const TriangleList& mesh, int width, int height) {
    // The pixels of a triangle lie in its bounding box on the picture (one
    // more pixel round it for safety); their offsets from P0 and P1 reach
    // at most the box's far side.
    int64_t needX = 0, needY = 0;
    for (int i = 1; i <= mesh.Count(); ++i) {
        const Triangle& t = mesh[i];
        const int64_t minX = std::max<int64_t>(0, int64_t{std::min({t.P0.X, t.P1.X, t.P2.X})} - 1);
        const int64_t maxX = std::min<int64_t>(width - 1, int64_t{std::max({t.P0.X, t.P1.X, t.P2.X})} + 1);
        const int64_t minY = std::max<int64_t>(0, int64_t{std::min({t.P0.Y, t.P1.Y, t.P2.Y})} - 1);
        const int64_t maxY = std::min<int64_t>(height - 1, int64_t{std::max({t.P0.Y, t.P1.Y, t.P2.Y})} + 1);
        if (minX > maxX || minY > maxY) continue;
        for (const Point& p : {t.P0, t.P1}) {
            needX = std::max({needX, std::abs(minX - p.X), std::abs(maxX - p.X)});
            needY = std::max({needY, std::abs(minY - p.Y), std::abs(maxY - p.Y)});
        }
    }

    const std::lock_guard<std::mutex> hold(lock);
    if (shared) {
        needX = std::max<int64_t>(needX, shared->ReachX());
        needY = std::max<int64_t>(needY, shared->ReachY());
    }
    const int64_t reachX = std::min<int64_t>({(needX + kStep - 1) / kStep * kStep, 8192, limit / 8});
    const int64_t reachY =
        std::max<int64_t>(0, std::min((needY + kStep - 1) / kStep * kStep, limit / Doubles(reachX, 0) - 1));
    if (shared && shared->ReachX() >= reachX && shared->ReachY() >= reachY) return shared;
    // The smaller table goes before the larger one is made, so the two are
    // not held at once (unless a warp still uses the old one).
    shared.reset();
    try {
        shared = std::make_shared<const OffsetTable>(static_cast<int>(reachX), static_cast<int>(reachY));
    } catch (const std::bad_alloc&) {
        // Short of memory the warp goes on without a table: slower, the
        // same bytes.
    }
    return shared;
}

void LimitOffsetTables(int64_t doubles) {
    const std::lock_guard<std::mutex> hold(lock);
    limit = doubles > 0 ? doubles : kLimit;
    shared.reset();
}

}  // namespace fennix::warp
