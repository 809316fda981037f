#include "model/FreeMesh.h"

#include <algorithm>
#include <deque>
#include <unordered_map>
#include <unordered_set>

#include "core/Rounding.h"

namespace fennix {

namespace {

// Twice the signed area of a, b, c; exact for any 32-bit coordinates.
__int128 Orient(Point a, Point b, Point c) {
    const __int128 abx = int64_t{b.X} - a.X, aby = int64_t{b.Y} - a.Y;
    const __int128 acx = int64_t{c.X} - a.X, acy = int64_t{c.Y} - a.Y;
    return abx * acy - aby * acx;
}

int Sign(__int128 v) { return (v > 0) - (v < 0); }

// True when d lies strictly inside the circle through a, b, c (which must
// have an area). Computed in long double: a wrong answer for corners almost
// on the circle only picks the other of two fine diagonals.
bool InCircle(Point a, Point b, Point c, Point d) {
    const long double adx = a.X - static_cast<long double>(d.X), ady = a.Y - static_cast<long double>(d.Y);
    const long double bdx = b.X - static_cast<long double>(d.X), bdy = b.Y - static_cast<long double>(d.Y);
    const long double cdx = c.X - static_cast<long double>(d.X), cdy = c.Y - static_cast<long double>(d.Y);
    const long double det = (adx * adx + ady * ady) * (bdx * cdy - cdx * bdy) -
                            (bdx * bdx + bdy * bdy) * (adx * cdy - cdx * ady) +
                            (cdx * cdx + cdy * cdy) * (adx * bdy - bdx * ady);
    return det * Sign(Orient(a, b, c)) > 0;
}

// True when the quadrilateral with diagonal u–w and the corners p and d on
// either side of it is strictly convex, so that the other diagonal p–d can
// take its place.
bool Convex(Point p, Point u, Point d, Point w) {
    return Sign(Orient(u, w, p)) * Sign(Orient(u, w, d)) < 0 &&
           Sign(Orient(p, d, u)) * Sign(Orient(p, d, w)) < 0;
}

bool Has(const MeshTriangle& t, int v) { return t[0] == v || t[1] == v || t[2] == v; }

int ThirdCorner(const MeshTriangle& t, int u, int w) {
    for (int v : t)
        if (v != u && v != w) return v;
    return -1;
}

// The grid's own triangles as corner indices, in BuildTriangles' order.
std::vector<MeshTriangle> GridTriangles(int rows, int columns) {
    std::vector<MeshTriangle> list;
    list.reserve(static_cast<size_t>(2) * rows * columns);
    const auto at = [rows](int i, int j) { return (j - 1) * (rows + 1) + (i - 1); };
    for (int j = 1; j <= columns; ++j)
        for (int i = 1; i <= rows; ++i) {
            list.push_back({at(i, j), at(i, j + 1), at(i + 1, j + 1)});
            list.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
        }
    return list;
}

// Puts free points into the grid's triangles one after the other, finding
// each triangle by looking at every one in turn: the plain form of the
// build, for any grid. FastMeshBuilder gives the same triangles in the same
// order where the grid tiles its rectangle.
class MeshBuilder {
  public:
    MeshBuilder(const std::vector<Point>& start, const std::vector<Point>& end,
                std::vector<MeshTriangle>& triangles)
        : start_(start), end_(end), triangles_(triangles) {}

    // Inserts corner v; false when it finds no place.
    bool Insert(int v) {
        const Point p = start_[v];
        for (size_t t = 0; t < triangles_.size(); ++t) {
            const auto [a, b, c] = triangles_[t];
            const int sense = Sign(Orient(start_[a], start_[b], start_[c]));
            if (sense == 0) continue;
            const int sides[3] = {Sign(Orient(start_[a], start_[b], p)) * sense,
                                  Sign(Orient(start_[b], start_[c], p)) * sense,
                                  Sign(Orient(start_[c], start_[a], p)) * sense};
            if (sides[0] < 0 || sides[1] < 0 || sides[2] < 0) continue;
            const int onEdges = (sides[0] == 0) + (sides[1] == 0) + (sides[2] == 0);
            if (onEdges >= 2) return false;  // on a corner
            if (onEdges == 0) {
                triangles_[t] = {a, b, v};
                triangles_.push_back({b, c, v});
                triangles_.push_back({c, a, v});
                Legalize(v, {{a, b}, {b, c}, {c, a}});
                return true;
            }
            // On one edge: that edge's two triangles are each cut in two.
            const int u = sides[0] == 0 ? a : sides[1] == 0 ? b : c;
            const int w = sides[0] == 0 ? b : sides[1] == 0 ? c : a;
            const int x = ThirdCorner(triangles_[t], u, w);
            std::vector<std::array<int, 2>> edges{{w, x}, {x, u}};
            const int beside = Neighbour(u, w, t);
            Split(t, u, w, x, v);
            if (beside >= 0) {
                const int y = ThirdCorner(triangles_[static_cast<size_t>(beside)], u, w);
                Split(static_cast<size_t>(beside), u, w, y, v);
                edges.push_back({u, y});
                edges.push_back({y, w});
            }
            Legalize(v, edges);
            return true;
        }
        return false;
    }

  private:
    // True when triangle `corners` turns the same way at the end as at the
    // start (and has an area).
    bool Kept(const MeshTriangle& corners) const {
        const int sense = Sign(Orient(start_[corners[0]], start_[corners[1]], start_[corners[2]]));
        return sense != 0 &&
               Sign(Orient(end_[corners[0]], end_[corners[1]], end_[corners[2]])) == sense;
    }
    bool Kept(int t) const { return Kept(triangles_[static_cast<size_t>(t)]); }

    // The triangle other than `skip` with the edge u–w; -1 for none.
    int Neighbour(int u, int w, size_t skip) const {
        for (size_t t = 0; t < triangles_.size(); ++t)
            if (t != skip && Has(triangles_[t], u) && Has(triangles_[t], w)) return static_cast<int>(t);
        return -1;
    }

    // Sets triangle t to a, b, c turning the way it turned before.
    void Replace(size_t t, int sense, MeshTriangle corners) {
        if (Sign(Orient(start_[corners[0]], start_[corners[1]], start_[corners[2]])) != sense)
            std::swap(corners[1], corners[2]);
        triangles_[t] = corners;
    }

    // Cuts triangle t = (u, w, x) at v on its edge u–w.
    void Split(size_t t, int u, int w, int x, int v) {
        const MeshTriangle old = triangles_[t];
        const int sense = Sign(Orient(start_[old[0]], start_[old[1]], start_[old[2]]));
        Replace(t, sense, {u, v, x});
        triangles_.push_back({});
        Replace(triangles_.size() - 1, sense, {v, w, x});
    }

    // Flips the edges facing v while v lies in the circle of the triangle
    // beyond them (Lawson's flips after an insertion). Each flip joins v to
    // one more corner, so it ends.
    void Legalize(int v, std::vector<std::array<int, 2>> edges) {
        while (!edges.empty()) {
            const auto [u, w] = edges.back();
            edges.pop_back();
            int mine = -1;
            for (size_t t = 0; t < triangles_.size() && mine < 0; ++t)
                if (Has(triangles_[t], v) && Has(triangles_[t], u) && Has(triangles_[t], w))
                    mine = static_cast<int>(t);
            if (mine < 0) continue;
            const int other = Neighbour(u, w, static_cast<size_t>(mine));
            if (other < 0) continue;  // the grid's outline
            const int d = ThirdCorner(triangles_[static_cast<size_t>(other)], u, w);
            if (!InCircle(start_[u], start_[w], start_[v], start_[d])) continue;
            if (!Convex(start_[v], start_[u], start_[d], start_[w])) continue;
            // The end mesh decides only against a flip that would fold two
            // triangles that did not fold.
            if (Kept(mine) && Kept(other) && !(Kept({v, u, d}) && Kept({v, d, w}))) continue;
            const MeshTriangle old = triangles_[static_cast<size_t>(mine)];
            const int sense = Sign(Orient(start_[old[0]], start_[old[1]], start_[old[2]]));
            Replace(static_cast<size_t>(mine), sense, {v, u, d});
            Replace(static_cast<size_t>(other), sense, {v, d, w});
            edges.push_back({u, d});
            edges.push_back({d, w});
        }
    }

    const std::vector<Point>& start_;
    const std::vector<Point>& end_;
    std::vector<MeshTriangle>& triangles_;
};

// True when the grid's own triangles (GridTriangles) tile the rectangle of
// its corners once over: every side of the outline runs straight along the
// rectangle with its points in order, and every triangle has an area and
// turns the way it turns in the regular grid. Such a mesh stays a tiling
// through every split and flip of the build (a flip needs a strictly convex
// quadrilateral), which FastMeshBuilder's walk relies on.
bool CornersTileRectangle(const std::vector<Point>& corners, int rows, int columns) {
    const auto at = [&](int i, int j) {
        return corners[static_cast<size_t>(j - 1) * static_cast<size_t>(rows + 1) +
                       static_cast<size_t>(i - 1)];
    };
    const Point low = at(1, 1), high = at(rows + 1, columns + 1);
    if (low.X >= high.X || low.Y >= high.Y) return false;
    for (int i = 1; i <= rows + 1; ++i) {
        const Point top = at(i, 1), bottom = at(i, columns + 1);
        if (top.Y != low.Y || bottom.Y != high.Y) return false;
        if (i > 1 && (top.X <= at(i - 1, 1).X || bottom.X <= at(i - 1, columns + 1).X))
            return false;
    }
    for (int j = 1; j <= columns + 1; ++j) {
        const Point left = at(1, j), right = at(rows + 1, j);
        if (left.X != low.X || right.X != high.X) return false;
        if (j > 1 && (left.Y <= at(1, j - 1).Y || right.Y <= at(rows + 1, j - 1).Y)) return false;
    }
    for (int j = 1; j <= columns; ++j)
        for (int i = 1; i <= rows; ++i) {
            // (top-left, bottom-left, bottom-right) turns one way on the
            // screen, (top-left, top-right, bottom-right) the other.
            if (Sign(Orient(at(i, j), at(i, j + 1), at(i + 1, j + 1))) >= 0) return false;
            if (Sign(Orient(at(i, j), at(i + 1, j), at(i + 1, j + 1))) <= 0) return false;
        }
    return true;
}

// MeshBuilder's build for a grid that tiles its rectangle (TilesRectangle),
// in time that grows little faster than the number of points: a point's
// triangle is found by walking towards it from the triangle made last, and
// the triangles beside an edge come from a map of the edges. Every choice
// MeshBuilder makes by taking the first of several triangles in the list is
// made the same way here (the lowest index of the few that qualify), so the
// triangles and their order are MeshBuilder's exactly. Should the mesh ever
// stop being a tiling (an edge of three triangles), Broken() tells, and the
// build has to be done by MeshBuilder.
class FastMeshBuilder {
  public:
    FastMeshBuilder(const std::vector<Point>& start, const std::vector<Point>& end,
                    std::vector<MeshTriangle>& triangles)
        : start_(start), end_(end), triangles_(triangles) {
        edges_.reserve(triangles_.size() * 2);
        for (size_t t = 0; t < triangles_.size(); ++t) AddEdges(static_cast<int>(t));
    }

    bool Broken() const { return broken_; }

    // Inserts corner v as MeshBuilder::Insert does; false when it finds no
    // place.
    bool Insert(int v) {
        const Point p = start_[v];
        const int found = Locate(p);
        if (found < 0) return false;
        const size_t t = static_cast<size_t>(found);
        const auto [a, b, c] = triangles_[t];
        const int sense = Sign(Orient(start_[a], start_[b], start_[c]));
        const int sides[3] = {Sign(Orient(start_[a], start_[b], p)) * sense,
                              Sign(Orient(start_[b], start_[c], p)) * sense,
                              Sign(Orient(start_[c], start_[a], p)) * sense};
        const int onEdges = (sides[0] == 0) + (sides[1] == 0) + (sides[2] == 0);
        if (onEdges >= 2) return false;  // on a corner
        if (onEdges == 0) {
            Set(t, {a, b, v});
            Append({b, c, v});
            Append({c, a, v});
            Legalize(v, {{a, b}, {b, c}, {c, a}});
            last_ = static_cast<int>(triangles_.size()) - 1;
            return true;
        }
        const int u = sides[0] == 0 ? a : sides[1] == 0 ? b : c;
        const int w = sides[0] == 0 ? b : sides[1] == 0 ? c : a;
        const int x = ThirdCorner(triangles_[t], u, w);
        std::vector<std::array<int, 2>> edges{{w, x}, {x, u}};
        const int beside = Neighbour(u, w, t);
        Split(t, u, w, x, v);
        if (beside >= 0) {
            const int y = ThirdCorner(triangles_[static_cast<size_t>(beside)], u, w);
            Split(static_cast<size_t>(beside), u, w, y, v);
            edges.push_back({u, y});
            edges.push_back({y, w});
        }
        Legalize(v, edges);
        last_ = static_cast<int>(triangles_.size()) - 1;
        return true;
    }

  private:
    static uint64_t Key(int u, int w) {
        if (u > w) std::swap(u, w);
        return (uint64_t{static_cast<uint32_t>(u)} << 32) | static_cast<uint32_t>(w);
    }

    void AddEdges(int t) {
        const MeshTriangle& corners = triangles_[static_cast<size_t>(t)];
        for (int k = 0; k < 3; ++k) {
            auto [slot, added] = edges_.try_emplace(Key(corners[k], corners[(k + 1) % 3]),
                                                    std::array<int, 2>{-1, -1});
            (void)added;
            if (slot->second[0] < 0)
                slot->second[0] = t;
            else if (slot->second[1] < 0)
                slot->second[1] = t;
            else
                broken_ = true;
        }
    }

    void RemoveEdges(int t) {
        const MeshTriangle& corners = triangles_[static_cast<size_t>(t)];
        for (int k = 0; k < 3; ++k) {
            const auto slot = edges_.find(Key(corners[k], corners[(k + 1) % 3]));
            if (slot == edges_.end()) continue;
            for (int& held : slot->second)
                if (held == t) held = -1;
        }
    }

    void Set(size_t t, const MeshTriangle& corners) {
        RemoveEdges(static_cast<int>(t));
        triangles_[t] = corners;
        AddEdges(static_cast<int>(t));
    }

    void Append(const MeshTriangle& corners) {
        triangles_.push_back(corners);
        AddEdges(static_cast<int>(triangles_.size()) - 1);
    }

    // The lowest-numbered triangle other than `skip` with the edge u–w; -1
    // for none.
    int Neighbour(int u, int w, size_t skip) const {
        const auto slot = edges_.find(Key(u, w));
        if (slot == edges_.end()) return -1;
        int best = -1;
        for (const int t : slot->second)
            if (t >= 0 && static_cast<size_t>(t) != skip && (best < 0 || t < best)) best = t;
        return best;
    }

    // The lowest-numbered triangle with the corners v, u and w; -1 for none.
    int Holding(int v, int u, int w) const {
        const auto slot = edges_.find(Key(u, w));
        if (slot == edges_.end()) return -1;
        int best = -1;
        for (const int t : slot->second)
            if (t >= 0 && Has(triangles_[static_cast<size_t>(t)], v) && (best < 0 || t < best))
                best = t;
        return best;
    }

    // The triangle MeshBuilder would put p into: the first in the list that
    // holds it (on its edges included); -1 for none. In a tiling a point
    // inside a triangle has only that one, a point on an edge the two
    // beside the edge, and a point on a corner is refused whichever
    // triangle holds it.
    int Locate(Point p) {
        const int found = Walk(p);
        if (found == kLookEverywhere) return Scan(p);
        if (found < 0) return -1;
        const auto [a, b, c] = triangles_[static_cast<size_t>(found)];
        const int sense = Sign(Orient(start_[a], start_[b], start_[c]));
        const int sides[3] = {Sign(Orient(start_[a], start_[b], p)) * sense,
                              Sign(Orient(start_[b], start_[c], p)) * sense,
                              Sign(Orient(start_[c], start_[a], p)) * sense};
        if ((sides[0] == 0) + (sides[1] == 0) + (sides[2] == 0) != 1) return found;
        const int u = sides[0] == 0 ? a : sides[1] == 0 ? b : c;
        const int w = sides[0] == 0 ? b : sides[1] == 0 ? c : a;
        const int other = Neighbour(u, w, static_cast<size_t>(found));
        return other >= 0 && other < found ? other : found;
    }

    static constexpr int kLookEverywhere = -2;

    // A triangle holding p, reached by stepping from the triangle made last
    // across an edge p lies beyond (the edge to try first chosen at random,
    // so the walk cannot circle for ever); -1 when p lies beyond the
    // rectangle, kLookEverywhere when the walk gives up.
    int Walk(Point p) {
        const int count = static_cast<int>(triangles_.size());
        if (count == 0) return -1;
        int t = std::clamp(last_, 0, count - 1);
        for (int step = 0; step <= count; ++step) {
            const MeshTriangle& corners = triangles_[static_cast<size_t>(t)];
            const int sense =
                Sign(Orient(start_[corners[0]], start_[corners[1]], start_[corners[2]]));
            if (sense == 0) return kLookEverywhere;
            random_ ^= random_ << 13;
            random_ ^= random_ >> 17;
            random_ ^= random_ << 5;
            const int first = static_cast<int>(random_ % 3);
            int next = -1;
            for (int k = 0; k < 3 && next < 0; ++k) {
                const int e = (first + k) % 3;
                const int u = corners[static_cast<size_t>(e)];
                const int w = corners[static_cast<size_t>((e + 1) % 3)];
                if (Sign(Orient(start_[u], start_[w], p)) * sense >= 0) continue;
                next = Neighbour(u, w, static_cast<size_t>(t));
                // Beyond an edge of the outline, which runs along the
                // rectangle's sides: outside.
                if (next < 0) return -1;
            }
            if (next < 0) return t;
            t = next;
        }
        return kLookEverywhere;
    }

    // MeshBuilder's search: the first triangle in the list holding p.
    int Scan(Point p) const {
        for (size_t t = 0; t < triangles_.size(); ++t) {
            const auto [a, b, c] = triangles_[t];
            const int sense = Sign(Orient(start_[a], start_[b], start_[c]));
            if (sense == 0) continue;
            if (Sign(Orient(start_[a], start_[b], p)) * sense < 0 ||
                Sign(Orient(start_[b], start_[c], p)) * sense < 0 ||
                Sign(Orient(start_[c], start_[a], p)) * sense < 0)
                continue;
            return static_cast<int>(t);
        }
        return -1;
    }

    bool Kept(const MeshTriangle& corners) const {
        const int sense = Sign(Orient(start_[corners[0]], start_[corners[1]], start_[corners[2]]));
        return sense != 0 &&
               Sign(Orient(end_[corners[0]], end_[corners[1]], end_[corners[2]])) == sense;
    }
    bool Kept(int t) const { return Kept(triangles_[static_cast<size_t>(t)]); }

    void Split(size_t t, int u, int w, int x, int v) {
        const MeshTriangle old = triangles_[t];
        const int sense = Sign(Orient(start_[old[0]], start_[old[1]], start_[old[2]]));
        Set(t, Turned(sense, {u, v, x}));
        Append(Turned(sense, {v, w, x}));
    }

    void Legalize(int v, std::vector<std::array<int, 2>> edges) {
        while (!edges.empty()) {
            const auto [u, w] = edges.back();
            edges.pop_back();
            const int mine = Holding(v, u, w);
            if (mine < 0) continue;
            const int other = Neighbour(u, w, static_cast<size_t>(mine));
            if (other < 0) continue;  // the grid's outline
            const int d = ThirdCorner(triangles_[static_cast<size_t>(other)], u, w);
            if (!InCircle(start_[u], start_[w], start_[v], start_[d])) continue;
            if (!Convex(start_[v], start_[u], start_[d], start_[w])) continue;
            if (Kept(mine) && Kept(other) && !(Kept({v, u, d}) && Kept({v, d, w}))) continue;
            const MeshTriangle old = triangles_[static_cast<size_t>(mine)];
            const int sense = Sign(Orient(start_[old[0]], start_[old[1]], start_[old[2]]));
            // Both leave the map before either comes back: in between, the
            // edge u–d would count three triangles.
            RemoveEdges(mine);
            RemoveEdges(other);
            triangles_[static_cast<size_t>(mine)] = Turned(sense, {v, u, d});
            triangles_[static_cast<size_t>(other)] = Turned(sense, {v, d, w});
            AddEdges(mine);
            AddEdges(other);
            edges.push_back({u, d});
            edges.push_back({d, w});
        }
    }

    // The corners in the order that turns the way `sense` does.
    MeshTriangle Turned(int sense, MeshTriangle corners) const {
        if (Sign(Orient(start_[corners[0]], start_[corners[1]], start_[corners[2]])) != sense)
            std::swap(corners[1], corners[2]);
        return corners;
    }

    const std::vector<Point>& start_;
    const std::vector<Point>& end_;
    std::vector<MeshTriangle>& triangles_;
    std::unordered_map<uint64_t, std::array<int, 2>> edges_;
    int last_ = 0;
    uint32_t random_ = 2463534242u;
    bool broken_ = false;
};

TriangleList ListOf(const std::vector<MeshTriangle>& triangles, const std::vector<Point>& corners) {
    TriangleList list(triangles.size());
    for (size_t t = 0; t < triangles.size(); ++t) {
        const auto [a, b, c] = triangles[t];
        list[static_cast<int>(t) + 1] = {corners[a], corners[b], corners[c]};
    }
    return list;
}

bool WholeGrid(const MatrixRecord& m) {
    return m.Rows >= 1 && m.Columns >= 1 && m.Points.CountI() == m.Rows + 1 &&
           m.Points.CountJ() == m.Columns + 1;
}

// Two whole grids of the same counts, which can share one mesh.
bool SameGrids(const MatrixRecord& start, const MatrixRecord& end) {
    return WholeGrid(start) && WholeGrid(end) && start.Rows == end.Rows &&
           start.Columns == end.Columns;
}

uint64_t EdgeKey(int u, int w) {
    if (u > w) std::swap(u, w);
    return (uint64_t{static_cast<uint32_t>(u)} << 32) | static_cast<uint32_t>(w);
}

// True when v lies on the open segment a–b.
bool OnOpenSegment(Point a, Point b, Point v) {
    if (Orient(a, b, v) != 0) return false;
    const int64_t abx = int64_t{b.X} - a.X, aby = int64_t{b.Y} - a.Y;
    return (int64_t{v.X} - a.X) * abx + (int64_t{v.Y} - a.Y) * aby > 0 &&
           (int64_t{v.X} - b.X) * -abx + (int64_t{v.Y} - b.Y) * -aby > 0;
}

// True when the segments a–b and u–w cross at a point inside both.
bool Crosses(Point a, Point b, Point u, Point w) {
    return Sign(Orient(a, b, u)) * Sign(Orient(a, b, w)) < 0 &&
           Sign(Orient(u, w, a)) * Sign(Orient(u, w, b)) < 0;
}

// Makes given segments edges of a finished mesh by flipping the edges that
// cross them (the flips of a constrained triangulation): a crossing edge
// whose quadrilateral is strictly convex in the start picture, and whose
// flip folds no end triangle that did not fold, is flipped; the others wait
// their turn. A segment already made an edge is never flipped again. A
// segment with corners on it is made edges piece by piece between them. One
// crossing an earlier segment or the outline, or one whose flips the end
// picture keeps blocking, stays out.
// Works on the triangle list alone, in its order, so both ways of building
// the mesh end with the same triangles.
class SegmentForcer {
  public:
    SegmentForcer(const std::vector<Point>& start, const std::vector<Point>& end,
                  std::vector<MeshTriangle>& triangles)
        : start_(start), end_(end), triangles_(triangles) {
        edges_.reserve(triangles_.size() * 2);
        for (size_t t = 0; t < triangles_.size(); ++t) AddEdges(static_cast<int>(t));
    }

    // True when a–b is an edge of the mesh afterwards.
    bool Force(int a, int b) {
        if (a == b) return false;
        if (edges_.count(EdgeKey(a, b))) return Hold(a, b);
        const Point pa = start_[static_cast<size_t>(a)], pb = start_[static_cast<size_t>(b)];
        // A corner on the segment (a grid point the curve runs through)
        // cuts it in two, each made an edge in turn.
        for (size_t v = 0; v < start_.size(); ++v)
            if (OnOpenSegment(pa, pb, start_[v])) {
                const bool first = Force(a, static_cast<int>(v));
                return Force(static_cast<int>(v), b) && first;
            }
        std::deque<std::array<int, 2>> crossing;
        std::unordered_set<uint64_t> seen;
        for (const MeshTriangle& t : triangles_)
            for (int k = 0; k < 3; ++k) {
                const int u = t[static_cast<size_t>(k)], w = t[static_cast<size_t>((k + 1) % 3)];
                if (!Crosses(pa, pb, At(u), At(w)) || !seen.insert(EdgeKey(u, w)).second) continue;
                if (held_.count(EdgeKey(u, w))) return false;  // strokes that cross
                crossing.push_back({u, w});
            }
        // Each pass over the waiting edges flips at least one in a plain
        // triangulation; the end picture may block them all.
        size_t budget = 64 + crossing.size() * crossing.size() * 4;
        while (!crossing.empty()) {
            if (budget-- == 0) return false;
            const auto [u, w] = crossing.front();
            crossing.pop_front();
            const auto slot = edges_.find(EdgeKey(u, w));
            if (slot == edges_.end()) continue;
            const int first = slot->second[0], second = slot->second[1];
            if (first < 0 || second < 0) return false;  // the outline
            const int p = ThirdCorner(triangles_[static_cast<size_t>(first)], u, w);
            const int d = ThirdCorner(triangles_[static_cast<size_t>(second)], u, w);
            if (!Convex(At(p), At(u), At(d), At(w)) ||
                (Kept(triangles_[static_cast<size_t>(first)]) &&
                 Kept(triangles_[static_cast<size_t>(second)]) &&
                 !(Kept({p, u, d}) && Kept({p, d, w})))) {
                crossing.push_back({u, w});
                continue;
            }
            const MeshTriangle old = triangles_[static_cast<size_t>(first)];
            const int sense = Sign(Orient(At(old[0]), At(old[1]), At(old[2])));
            RemoveEdges(first);
            RemoveEdges(second);
            triangles_[static_cast<size_t>(first)] = Turned(sense, {p, u, d});
            triangles_[static_cast<size_t>(second)] = Turned(sense, {p, d, w});
            AddEdges(first);
            AddEdges(second);
            if (p != a && p != b && d != a && d != b && Crosses(pa, pb, At(p), At(d)))
                crossing.push_back({p, d});
        }
        return edges_.count(EdgeKey(a, b)) ? Hold(a, b) : false;
    }

  private:
    Point At(int v) const { return start_[static_cast<size_t>(v)]; }

    bool Hold(int a, int b) {
        held_.insert(EdgeKey(a, b));
        return true;
    }

    bool Kept(const MeshTriangle& c) const {
        const int sense = Sign(Orient(At(c[0]), At(c[1]), At(c[2])));
        return sense != 0 && Sign(Orient(end_[static_cast<size_t>(c[0])], end_[static_cast<size_t>(c[1])],
                                         end_[static_cast<size_t>(c[2])])) == sense;
    }

    MeshTriangle Turned(int sense, MeshTriangle c) const {
        if (Sign(Orient(At(c[0]), At(c[1]), At(c[2]))) != sense) std::swap(c[1], c[2]);
        return c;
    }

    void AddEdges(int t) {
        const MeshTriangle& c = triangles_[static_cast<size_t>(t)];
        for (int k = 0; k < 3; ++k) {
            auto& slot = edges_.try_emplace(EdgeKey(c[static_cast<size_t>(k)], c[static_cast<size_t>((k + 1) % 3)]),
                                            std::array<int, 2>{-1, -1})
                             .first->second;
            if (slot[0] < 0)
                slot[0] = t;
            else if (slot[1] < 0)
                slot[1] = t;
        }
    }

    void RemoveEdges(int t) {
        const MeshTriangle& c = triangles_[static_cast<size_t>(t)];
        for (int k = 0; k < 3; ++k) {
            const uint64_t key = EdgeKey(c[static_cast<size_t>(k)], c[static_cast<size_t>((k + 1) % 3)]);
            const auto slot = edges_.find(key);
            if (slot == edges_.end()) continue;
            for (int& held : slot->second)
                if (held == t) held = -1;
            if (slot->second[0] < 0 && slot->second[1] < 0)
                edges_.erase(slot);
            else if (slot->second[0] < 0)
                std::swap(slot->second[0], slot->second[1]);
        }
    }

    const std::vector<Point>& start_;
    const std::vector<Point>& end_;
    std::vector<MeshTriangle>& triangles_;
    std::unordered_map<uint64_t, std::array<int, 2>> edges_;
    std::unordered_set<uint64_t> held_;
};

// The number of strokes the two records share.
size_t SharedStrokes(const MatrixRecord& start, const MatrixRecord& end) {
    return std::min(start.Strokes.size(), end.Strokes.size());
}

// The pairs of stroke n the two records share.
size_t StrokePairs(const MatrixRecord& start, const MatrixRecord& end, size_t n) {
    return std::min(start.Strokes[n].Points.size(), end.Strokes[n].Points.size());
}

// Corner lists of both records cut to the pairs they share: grid points,
// free points, then the strokes' points stroke by stroke.
std::vector<Point> CornersOf(const MatrixRecord& m, const MatrixRecord& start, const MatrixRecord& end) {
    std::vector<Point> corners;
    const PointGrid& p = m.Points;
    for (int j = 1; j <= p.CountJ(); ++j)
        for (int i = 1; i <= p.CountI(); ++i) corners.push_back(p(i, j));
    if (!UsesFreeMesh(start, end)) return corners;
    const int pairs = FreePairCount(start, end);
    corners.insert(corners.end(), m.FreePoints.begin(), m.FreePoints.begin() + pairs);
    for (size_t n = 0; n < SharedStrokes(start, end); ++n)
        corners.insert(corners.end(), m.Strokes[n].Points.begin(),
                       m.Strokes[n].Points.begin() + static_cast<std::ptrdiff_t>(StrokePairs(start, end, n)));
    return corners;
}

// Forces every stroke's segments into the mesh (SegmentForcer), stroke by
// stroke and along each curve, and counts those that stayed out.
void ForceStrokes(FreeMesh& mesh, const MatrixRecord& start, const MatrixRecord& end,
                  const std::vector<Point>& startCorners, const std::vector<Point>& endCorners) {
    if (SharedStrokes(start, end) == 0) return;
    SegmentForcer forcer(startCorners, endCorners, mesh.Triangles);
    int corner = static_cast<int>(startCorners.size()) - MeshPairCount(start, end) +
                 FreePairCount(start, end);
    for (size_t n = 0; n < SharedStrokes(start, end); ++n) {
        const int count = static_cast<int>(StrokePairs(start, end, n));
        const int segments = start.Strokes[n].Closed && count >= 3 ? count : count - 1;
        for (int k = 0; k < segments; ++k)
            if (!forcer.Force(corner + k, corner + (k + 1) % count) && mesh.Unforced++ == 0)
                mesh.FirstUnforced = static_cast<int>(n);
        corner += count;
    }
}

}  // namespace

std::vector<Point> MeshCorners(const MatrixRecord& matrix) {
    std::vector<Point> corners;
    const PointGrid& p = matrix.Points;
    corners.reserve(static_cast<size_t>(p.CountI()) * p.CountJ() + matrix.FreePoints.size());
    for (int j = 1; j <= p.CountJ(); ++j)
        for (int i = 1; i <= p.CountI(); ++i) corners.push_back(p(i, j));
    corners.insert(corners.end(), matrix.FreePoints.begin(), matrix.FreePoints.end());
    for (const Stroke& stroke : matrix.Strokes)
        corners.insert(corners.end(), stroke.Points.begin(), stroke.Points.end());
    return corners;
}

std::vector<Point> SharedMeshCorners(const MatrixRecord& matrix, const MatrixRecord& start,
                                     const MatrixRecord& end) {
    return CornersOf(matrix, start, end);
}

int StrokePairCount(const MatrixRecord& start, const MatrixRecord& end) {
    size_t count = 0;
    for (size_t n = 0; n < SharedStrokes(start, end); ++n) count += StrokePairs(start, end, n);
    return static_cast<int>(count);
}

int MeshPairCount(const MatrixRecord& start, const MatrixRecord& end) {
    return FreePairCount(start, end) + StrokePairCount(start, end);
}

int FreePairCount(const MatrixRecord& start, const MatrixRecord& end) {
    return static_cast<int>(std::min(start.FreePoints.size(), end.FreePoints.size()));
}

bool UsesFreeMesh(const MatrixRecord& start, const MatrixRecord& end) {
    return MeshPairCount(start, end) > 0 && SameGrids(start, end);
}

bool TilesRectangle(const MatrixRecord& matrix) {
    return WholeGrid(matrix) &&
           CornersTileRectangle(MeshCorners(matrix), matrix.Rows, matrix.Columns);
}

FreeMesh BuildFreeMeshReference(const MatrixRecord& start, const MatrixRecord& end) {
    FreeMesh mesh;
    if (!WholeGrid(start)) return mesh;
    mesh.Triangles = GridTriangles(start.Rows, start.Columns);
    if (!UsesFreeMesh(start, end)) return mesh;
    const int pairs = MeshPairCount(start, end);
    const std::vector<Point> startCorners = CornersOf(start, start, end);
    const std::vector<Point> endCorners = CornersOf(end, start, end);
    const int gridCount = static_cast<int>(startCorners.size()) - pairs;
    MeshBuilder builder(startCorners, endCorners, mesh.Triangles);
    for (int n = 0; n < pairs; ++n)
        if (!builder.Insert(gridCount + n) && mesh.Unplaced++ == 0) mesh.FirstUnplaced = n;
    ForceStrokes(mesh, start, end, startCorners, endCorners);
    return mesh;
}

FreeMesh BuildFreeMesh(const MatrixRecord& start, const MatrixRecord& end) {
    if (auto quick = BuildFreeMeshQuickly(start, end)) return std::move(*quick);
    return BuildFreeMeshReference(start, end);
}

std::optional<FreeMesh> BuildFreeMeshQuickly(const MatrixRecord& start, const MatrixRecord& end) {
    if (!UsesFreeMesh(start, end)) return std::nullopt;
    const int pairs = MeshPairCount(start, end);
    const std::vector<Point> startCorners = CornersOf(start, start, end);
    if (!CornersTileRectangle(startCorners, start.Rows, start.Columns)) return std::nullopt;
    const std::vector<Point> endCorners = CornersOf(end, start, end);
    const int gridCount = static_cast<int>(startCorners.size()) - pairs;
    FreeMesh mesh;
    mesh.Triangles = GridTriangles(start.Rows, start.Columns);
    mesh.Triangles.reserve(mesh.Triangles.size() + 2 * static_cast<size_t>(pairs));
    FastMeshBuilder builder(startCorners, endCorners, mesh.Triangles);
    for (int n = 0; n < pairs && !builder.Broken(); ++n)
        if (!builder.Insert(gridCount + n) && mesh.Unplaced++ == 0) mesh.FirstUnplaced = n;
    if (builder.Broken()) return std::nullopt;
    ForceStrokes(mesh, start, end, startCorners, endCorners);
    return mesh;
}

void BuildMeshTriangles(const MatrixRecord& start, const MatrixRecord& end, TriangleList& startList,
                        TriangleList& endList) {
    if (!UsesFreeMesh(start, end)) {
        startList = BuildTriangles(start);
        endList = BuildTriangles(end);
        return;
    }
    const FreeMesh mesh = BuildFreeMesh(start, end);
    startList = ListOf(mesh.Triangles, CornersOf(start, start, end));
    endList = ListOf(mesh.Triangles, CornersOf(end, start, end));
}

bool MeshUnfolded(const MatrixRecord& start, const MatrixRecord& end) {
    if (!SameGrids(start, end)) return false;
    const FreeMesh mesh = BuildFreeMesh(start, end);
    if (mesh.Unplaced > 0 || mesh.Unforced > 0) return false;
    const std::vector<Point> s = CornersOf(start, start, end), e = CornersOf(end, start, end);
    for (const auto& [a, b, c] : mesh.Triangles) {
        const int sense = Sign(Orient(s[a], s[b], s[c]));
        if (sense == 0 || Sign(Orient(e[a], e[b], e[c])) != sense) return false;
    }
    return true;
}

namespace {

// MapThroughMesh through a mesh built already, with its corner lists.
std::optional<Point> MapThrough(const FreeMesh& mesh, const std::vector<Point>& s,
                                const std::vector<Point>& e, const MatrixRecord& start,
                                const MatrixRecord& end, int from, Point p) {
    const std::vector<Point>& src = from == 1 ? s : e;
    const std::vector<Point>& dst = from == 1 ? e : s;
    const MatrixRecord& target = from == 1 ? end : start;
    for (const auto& [a, b, c] : mesh.Triangles) {
        const __int128 whole = Orient(src[a], src[b], src[c]);
        if (whole == 0) continue;
        const __int128 wa = Orient(p, src[b], src[c]), wb = Orient(src[a], p, src[c]),
                       wc = Orient(src[a], src[b], p);
        if (Sign(wa) * Sign(whole) < 0 || Sign(wb) * Sign(whole) < 0 || Sign(wc) * Sign(whole) < 0)
            continue;
        const double la = static_cast<double>(wa) / static_cast<double>(whole);
        const double lb = static_cast<double>(wb) / static_cast<double>(whole);
        const double lc = 1.0 - la - lb;
        const double x = la * dst[a].X + lb * dst[b].X + lc * dst[c].X;
        const double y = la * dst[a].Y + lb * dst[b].Y + lc * dst[c].Y;
        return Point{std::clamp(RoundEvenInt(x), 0, std::max(target.Width, 0)),
                     std::clamp(RoundEvenInt(y), 0, std::max(target.Height, 0))};
    }
    return std::nullopt;
}

}  // namespace

std::optional<Point> MapThroughMesh(const MatrixRecord& start, const MatrixRecord& end, int from,
                                    Point p) {
    if ((from != 1 && from != 2) || !SameGrids(start, end)) return std::nullopt;
    const FreeMesh mesh = BuildFreeMesh(start, end);
    return MapThrough(mesh, CornersOf(start, start, end), CornersOf(end, start, end), start, end, from,
                      p);
}

int RestoreGridForStrokes(const MatrixRecord& start, MatrixRecord& end, const PointGrid& before) {
    if (StrokePairCount(start, end) == 0 || !SameGrids(start, end) ||
        before.CountI() != end.Points.CountI() || before.CountJ() != end.Points.CountJ())
        return 0;
    MatrixRecord first = start, second = end;
    first.FreePoints.clear();
    second.FreePoints.clear();
    const int countI = before.CountI();
    const int gridCount = countI * before.CountJ();
    int restored = 0;
    const auto restore = [&](int corner) {
        const int i = corner % countI + 1, j = corner / countI + 1;
        if (second.Points(i, j) == before(i, j)) return false;
        second.Points(i, j) = before(i, j);
        ++restored;
        return true;
    };
    while (true) {
        const FreeMesh mesh = BuildFreeMesh(first, second);
        bool changed = false;
        if (mesh.Unforced > 0 || mesh.Unplaced > 0) {
            for (int corner = 0; corner < gridCount; ++corner) changed |= restore(corner);
        } else {
            const std::vector<Point> s = CornersOf(first, first, second), e = CornersOf(second, first, second);
            for (const auto& [a, b, c] : mesh.Triangles) {
                const int sense = Sign(Orient(s[a], s[b], s[c]));
                if (sense != 0 && Sign(Orient(e[a], e[b], e[c])) == sense) continue;
                for (const int corner : {a, b, c})
                    if (corner < gridCount) changed |= restore(corner);
            }
        }
        if (!changed) break;
    }
    end.Points = second.Points;
    return restored;
}

void RefineGrids(MatrixRecord& start, MatrixRecord& end) {
    if (!SameGrids(start, end)) return;
    const int rows = start.Rows * 2, columns = start.Columns * 2;
    PointGrid fineStart, fineEnd;
    fineStart.Redim(rows + 1, columns + 1);
    fineEnd.Redim(rows + 1, columns + 1);
    const auto mid = [](Point a, Point b) {
        return Point{RoundEvenInt((static_cast<double>(a.X) + b.X) / 2),
                     RoundEvenInt((static_cast<double>(a.Y) + b.Y) / 2)};
    };
    // The current mesh, built once for every new point's partner.
    const FreeMesh mesh = BuildFreeMesh(start, end);
    const std::vector<Point> startCorners = CornersOf(start, start, end),
                             endCorners = CornersOf(end, start, end);
    // The old point (or pair of old points) a new point lies on or between.
    const auto old = [](const PointGrid& g, int i, int j) { return g((i + 1) / 2, (j + 1) / 2); };
    for (int j = 1; j <= columns + 1; ++j)
        for (int i = 1; i <= rows + 1; ++i) {
            const bool oldI = i % 2 == 1, oldJ = j % 2 == 1;
            if (oldI && oldJ) {
                fineStart(i, j) = old(start.Points, i, j);
                fineEnd(i, j) = old(end.Points, i, j);
                continue;
            }
            // Halfway along an edge (one index between two old ones) or the
            // cell's diagonal (both).
            const int i0 = oldI ? i : i - 1, j0 = oldJ ? j : j - 1;
            const int i1 = oldI ? i : i + 1, j1 = oldJ ? j : j + 1;
            const Point a = old(start.Points, i0, j0), b = old(start.Points, i1, j1);
            fineStart(i, j) = mid(a, b);
            const Point endHalf = mid(old(end.Points, i0, j0), old(end.Points, i1, j1));
            Point mapped =
                MapThrough(mesh, startCorners, endCorners, start, end, 1, fineStart(i, j))
                    .value_or(endHalf);
            // Border points stay on the border they lie on.
            if (i == 1 || i == rows + 1) mapped.X = old(end.Points, i, j0).X;
            if (j == 1 || j == columns + 1) mapped.Y = old(end.Points, i0, j).Y;
            fineEnd(i, j) = mapped;
        }
    start.Rows = end.Rows = rows;
    start.Columns = end.Columns = columns;
    start.Points = std::move(fineStart);
    end.Points = std::move(fineEnd);
    // A pair whose start point a new grid point now lies on goes: that grid
    // point took its partner from the mesh, of which the pair was a
    // corner, so it does the pair's part (and a free point on a grid point
    // is no pair a project may hold).
    std::unordered_set<uint64_t> added;
    for (int j = 1; j <= columns + 1; ++j)
        for (int i = 1; i <= rows + 1; ++i)
            if (i % 2 == 0 || j % 2 == 0) {
                const Point p = start.Points(i, j);
                added.insert((uint64_t{static_cast<uint32_t>(p.X)} << 32) |
                             static_cast<uint32_t>(p.Y));
            }
    // Stroke points alike: the stroke runs on through its other points.
    for (size_t n = 0; n < SharedStrokes(start, end); ++n) {
        std::vector<Point>& a = start.Strokes[n].Points;
        std::vector<Point>& b = end.Strokes[n].Points;
        for (size_t k = std::min(a.size(), b.size()); k-- > 0;)
            if (added.count((uint64_t{static_cast<uint32_t>(a[k].X)} << 32) |
                            static_cast<uint32_t>(a[k].Y))) {
                a.erase(a.begin() + static_cast<std::ptrdiff_t>(k));
                b.erase(b.begin() + static_cast<std::ptrdiff_t>(k));
            }
    }
    const size_t shared = static_cast<size_t>(FreePairCount(start, end));
    std::vector<Point> keptStart, keptEnd;
    for (size_t n = 0; n < std::max(start.FreePoints.size(), end.FreePoints.size()); ++n) {
        if (n < shared) {
            const Point p = start.FreePoints[n];
            if (added.count((uint64_t{static_cast<uint32_t>(p.X)} << 32) |
                            static_cast<uint32_t>(p.Y)))
                continue;
        }
        if (n < start.FreePoints.size()) keptStart.push_back(start.FreePoints[n]);
        if (n < end.FreePoints.size()) keptEnd.push_back(end.FreePoints[n]);
    }
    if (keptStart.size() == start.FreePoints.size() && keptEnd.size() == end.FreePoints.size())
        return;
    start.FreePoints = std::move(keptStart);
    end.FreePoints = std::move(keptEnd);
}

}  // namespace fennix
