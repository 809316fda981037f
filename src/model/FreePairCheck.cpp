#include "model/FreePairCheck.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/Translation.h"
#include "model/FreeMesh.h"

namespace fennix {

namespace {

uint64_t PlaceKey(Point p) {
    return (uint64_t{static_cast<uint32_t>(p.X)} << 32) | static_cast<uint32_t>(p.Y);
}

bool Within(Point p, const MatrixRecord& m) {
    return p.X >= 0 && p.X <= m.Width && p.Y >= 0 && p.Y <= m.Height;
}

// Twice the signed area's sign of a, b, c, exact for 32-bit coordinates.
int Turn(Point a, Point b, Point c) {
    const __int128 v = static_cast<__int128>(int64_t{b.X} - a.X) * (int64_t{c.Y} - a.Y) -
                       static_cast<__int128>(int64_t{b.Y} - a.Y) * (int64_t{c.X} - a.X);
    return (v > 0) - (v < 0);
}

bool TriangleKept(const MeshTriangle& t, const std::vector<Point>& s, const std::vector<Point>& e) {
    const int sense = Turn(s[t[0]], s[t[1]], s[t[2]]);
    return sense != 0 && Turn(e[t[0]], e[t[1]], e[t[2]]) == sense;
}

bool WholeGrid(const MatrixRecord& m) {
    return m.Rows >= 1 && m.Columns >= 1 && m.Points.CountI() == m.Rows + 1 &&
           m.Points.CountJ() == m.Columns + 1;
}

}  // namespace

FreePairCheck CheckFreePairs(const MatrixRecord& start, const MatrixRecord& end) {
    const int pairs = FreePairCount(start, end);
    const size_t strokes = std::min(start.Strokes.size(), end.Strokes.size());
    FreePairCheck check;
    const auto fault = [&check](FreePairFault why, int pair, int other = -1, int stroke = -1) {
        check = {why, pair, other, stroke};
        return check;
    };
    // Pair m of the mesh's order (free pairs, then the strokes' points) as
    // a fault's pair and stroke.
    const auto faultAt = [&](FreePairFault why, int m) {
        if (m < pairs) return fault(why, m);
        m -= pairs;
        for (size_t n = 0; n < strokes; ++n) {
            const int count = static_cast<int>(
                std::min(start.Strokes[n].Points.size(), end.Strokes[n].Points.size()));
            if (m < count) return fault(why, m, -1, static_cast<int>(n));
            m -= count;
        }
        return fault(why, -1);
    };
    std::unordered_set<uint64_t> gridPlaces;
    if (WholeGrid(start))
        for (int j = 1; j <= start.Points.CountJ(); ++j)
            for (int i = 1; i <= start.Points.CountI(); ++i)
                gridPlaces.insert(PlaceKey(start.Points(i, j)));
    std::unordered_map<uint64_t, int> starts;
    starts.reserve(static_cast<size_t>(pairs));
    for (int n = 0; n < pairs; ++n) {
        const Point a = start.FreePoints[static_cast<size_t>(n)];
        const Point b = end.FreePoints[static_cast<size_t>(n)];
        if (!Within(a, start)) return fault(FreePairFault::StartOutside, n);
        if (!Within(b, end)) return fault(FreePairFault::EndOutside, n);
        if (gridPlaces.count(PlaceKey(a))) return fault(FreePairFault::OnGridPoint, n);
        const auto [seen, added] = starts.try_emplace(PlaceKey(a), n);
        if (!added) return fault(FreePairFault::SameStart, n, seen->second);
    }
    for (size_t n = 0; n < strokes; ++n) {
        const Stroke& first = start.Strokes[n];
        const Stroke& second = end.Strokes[n];
        const int stroke = static_cast<int>(n);
        if (first.Points.size() != second.Points.size() || first.Points.size() < 2 ||
            first.Closed != second.Closed)
            return fault(FreePairFault::StrokeShort, -1, -1, stroke);
        for (size_t k = 0; k < first.Points.size(); ++k) {
            const Point a = first.Points[k], b = second.Points[k];
            const int pair = static_cast<int>(k);
            if (!Within(a, start)) return fault(FreePairFault::StartOutside, pair, -1, stroke);
            if (!Within(b, end)) return fault(FreePairFault::EndOutside, pair, -1, stroke);
            if (gridPlaces.count(PlaceKey(a)))
                return fault(FreePairFault::OnGridPoint, pair, -1, stroke);
            // Another stroke's point or a free point: Other is -1 then.
            const auto [seen, added] = starts.try_emplace(PlaceKey(a), -1);
            if (!added) return fault(FreePairFault::SameStart, pair, seen->second, stroke);
        }
    }
    // Grids that share no mesh leave the pairs out of the morph altogether.
    if (MeshPairCount(start, end) == 0 || !UsesFreeMesh(start, end)) return check;

    const FreeMesh mesh = BuildFreeMesh(start, end);
    if (mesh.Unplaced > 0) return faultAt(FreePairFault::NoPlace, mesh.FirstUnplaced);
    if (mesh.Unforced > 0) return fault(FreePairFault::StrokeNotHeld, -1, -1, mesh.FirstUnforced);

    const std::vector<Point> s = SharedMeshCorners(start, start, end);
    const std::vector<Point> e = SharedMeshCorners(end, start, end);
    const size_t all = static_cast<size_t>(MeshPairCount(start, end));
    const size_t gridCount = s.size() - all;
    // The grid alone, cut as BuildTriangles cuts it.
    const int rows = start.Rows;
    const auto at = [rows](int i, int j) { return (j - 1) * (rows + 1) + (i - 1); };
    for (int j = 1; j <= start.Columns; ++j)
        for (int i = 1; i <= rows; ++i)
            if (!TriangleKept({at(i, j), at(i, j + 1), at(i + 1, j + 1)}, s, e) ||
                !TriangleKept({at(i, j), at(i + 1, j), at(i + 1, j + 1)}, s, e))
                return check;
    // Every triangle that folds has a free point among its corners (those
    // of grid points alone are the grid's own): blame the pair of most.
    std::vector<int> folds(all, 0);
    bool folded = false;
    for (const MeshTriangle& t : mesh.Triangles) {
        if (TriangleKept(t, s, e)) continue;
        folded = true;
        for (const int corner : t)
            if (static_cast<size_t>(corner) >= gridCount)
                ++folds[static_cast<size_t>(corner) - gridCount];
    }
    if (!folded) return check;
    const auto most = std::max_element(folds.begin(), folds.end());
    return faultAt(FreePairFault::Folds, static_cast<int>(most - folds.begin()));
}

std::string FreePairFaultText(const FreePairCheck& check, int otherLine) {
    switch (check.Fault) {
        case FreePairFault::None:
            return {};
        case FreePairFault::StartOutside:
        case FreePairFault::EndOutside:
            return Tr("FreePairCheck", "点が画像の外にあります");
        case FreePairFault::OnGridPoint:
            return Tr("FreePairCheck", "始点が格子点の上にあります");
        case FreePairFault::SameStart:
            return Format(Tr("FreePairCheck", "始点が %1 行目の始点と同じです"),
                          {std::to_string(otherLine)});
        case FreePairFault::NoPlace:
            return Tr("FreePairCheck", "始点が格子の外にあります");
        case FreePairFault::Folds:
            return Tr("FreePairCheck", "終点がメッシュを折り返させます");
        case FreePairFault::StrokeShort:
            return Tr("FreePairCheck", "線の点が二つ未満か、二つの画像で数が違います");
        case FreePairFault::StrokeNotHeld:
            return Tr("FreePairCheck",
                      "線をメッシュの辺にできません（ほかの線と交わるか、終了画像でメッシュが折り返します）");
    }
    return {};
}

}  // namespace fennix
