#pragma once

// The weights of a pixel divide and take square roots of values that
// depend only on the whole-number offset (dx, dy) from a corner of its
// triangle to the pixel: the slope dy / dx of the line between them, the
// root √(slope² + 1) and the length √(dx² + dy²). Triangles of one mesh
// have similar sizes, so the same offsets come up again and again, frame
// after frame. The table holds these values, computed once with the very
// operations of the plain path, and the vector kernels read them instead
// of dividing and taking roots: same bits, a fraction of the time. It is
// internal to the engine.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/Triangulation.h"

namespace fennix::warp {

class OffsetTable {
  public:
    // Rows dy = 0 … reachY, columns dx = −reachX … reachX. A negative dy is
    // looked up as (−dx, −dy): negating both integers changes neither the
    // slope (a quotient of the negated operands is the same double) nor the
    // length. Every plane has kPad spare entries on each side, so a kernel
    // may read a whole register beyond the last offset it needs.
    static constexpr int kPad = 8;

    OffsetTable(int reachX, int reachY);

    int ReachX() const { return reachX_; }
    int ReachY() const { return reachY_; }

    // True when every offset (dx, dy) with dx in dxLow … dxHigh lies in the
    // table (dy of either sign).
    bool Covers(int64_t dxLow, int64_t dxHigh, int64_t dy) const {
        return dy <= reachY_ && -dy <= reachY_ && dxLow >= -reachX_ && dxHigh <= reachX_;
    }

    // The planes of row dy ≥ 0, each indexed by dx. At dx = 0 the slope is
    // the guard kPixelSlope (the line to P1 is vertical) and the root is
    // that of the guard.
    const double* Slopes(int dy) const { return Plane(dy, 0); }
    const double* Roots(int dy) const { return Plane(dy, 1); }
    const double* Lengths(int dy) const { return Plane(dy, 2); }

  private:
    const double* Plane(int dy, int plane) const {
        return values_.data() + static_cast<size_t>(dy) * rowSize_ + static_cast<size_t>(plane) * planeSize_ +
               kPad + reachX_;
    }

    int reachX_, reachY_;
    size_t planeSize_, rowSize_;
    std::vector<double> values_;
};

// Where the table holds the values of one corner for the pixels of a
// span: the entry of pixel x is at index sign · (x − origin) of each plane.
struct CornerEntries {
    const double* slopes;
    const double* roots;
    const double* lengths;
    int origin;
    int sign;  // +1: the entries run forward with x, −1: backward
};

// The entries of pixels x0 … x1 − 1 of row y for the corners of triangle
// t: P1 with offsets pixel − P1, P0 with offsets P0 − pixel (as the weights
// take them). False when some of them lie beyond the table's reach.
bool FindEntries(const OffsetTable& table, const Triangle& t, int y, int x0, int x1, CornerEntries& p1,
                 CornerEntries& p0);

// A table that reaches every offset the pixels of `mesh` on a width ×
// height picture can have from their triangles' corners P0 and P1, as far
// as a bounded size allows (spans beyond its reach are computed directly).
// Tables are shared: one that already reaches far enough is returned as
// it is, and a table stays valid for as long as a caller holds it. Null
// (every span computed) only when not even a first table fits in memory.
std::shared_ptr<const OffsetTable> OffsetTableFor(const TriangleList& mesh, int width, int height);

// Bounds later tables to about `doubles` values (0: the normal bound) and
// forgets the shared one, so tests can have spans beyond the reach.
void LimitOffsetTables(int64_t doubles);

}  // namespace fennix::warp
