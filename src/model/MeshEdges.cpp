#include "model/MeshEdges.h"

#include <algorithm>
#include <utility>

#include "model/MatrixDrawing.h"

namespace fennix {

namespace {

// Past this many changed edges one drag step redraws the whole pictures:
// cheaper than a region of that many strips.
constexpr size_t kMostChangedEdges = 400;

MeshEdge Edge(int a, int b) {
    return a < b ? MeshEdge{a, b} : MeshEdge{b, a};
}

void SortUnique(std::vector<MeshEdge>& edges) {
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
}

QRegion WholePicture() {
    return QRegion(QRect(QPoint(-kPaintLimit, -kPaintLimit), QPoint(kPaintLimit, kPaintLimit)));
}

}  // namespace

std::vector<MeshEdge> EdgesOfTriangles(const std::vector<MeshTriangle>& triangles) {
    std::vector<MeshEdge> edges;
    edges.reserve(triangles.size() * 3);
    for (const MeshTriangle& t : triangles) {
        edges.push_back(Edge(t[0], t[1]));
        edges.push_back(Edge(t[1], t[2]));
        edges.push_back(Edge(t[2], t[0]));
    }
    SortUnique(edges);
    return edges;
}

std::vector<MeshEdge> GridLineEdges(int rows, int columns) {
    std::vector<MeshEdge> edges;
    if (rows < 1 || columns < 1) return edges;
    const int countI = rows + 1;
    const auto at = [countI](int i, int j) { return (j - 1) * countI + (i - 1); };
    edges.reserve(static_cast<size_t>(rows) * static_cast<size_t>(columns) * 5);
    for (int j = 1; j <= columns; ++j)
        for (int i = 1; i <= rows; ++i) {
            edges.push_back(Edge(at(i, j), at(i + 1, j)));
            edges.push_back(Edge(at(i + 1, j), at(i + 1, j + 1)));
            edges.push_back(Edge(at(i + 1, j + 1), at(i, j + 1)));
            edges.push_back(Edge(at(i, j + 1), at(i, j)));
            edges.push_back(Edge(at(i, j), at(i + 1, j + 1)));
        }
    SortUnique(edges);
    return edges;
}

MeshEdgeCache::Input MeshEdgeCache::InputOf(const MatrixRecord& m) {
    return Input{m.Rows, m.Columns, m.Points, MeshCorners(m)};
}

bool MeshEdgeCache::Stale(const MatrixRecord& start, const MatrixRecord& end) const {
    if (!built_) return true;
    const MatrixRecord* records[2] = {&start, &end};
    for (int k = 0; k < 2; ++k) {
        const Input& in = input_[static_cast<size_t>(k)];
        const MatrixRecord& m = *records[k];
        if (in.Rows != m.Rows || in.Columns != m.Columns || !(in.Points == m.Points) ||
            in.Corners != MeshCorners(m))
            return true;
    }
    return false;
}

void MeshEdgeCache::Update(const MatrixRecord& start, const MatrixRecord& end) {
    if (!Stale(start, end)) return;
    input_ = {InputOf(start), InputOf(end)};
    built_ = true;
    active_ = false;
    edges_.clear();
    if (!UsesFreeMesh(start, end)) return;
    const FreeMesh mesh = BuildFreeMesh(start, end);
    ++builds_;
    if (mesh.Triangles.empty()) return;
    edges_ = EdgesOfTriangles(mesh.Triangles);
    active_ = true;
}

std::array<QRegion, 2> MeshEdgeCache::UpdateArea(const MatrixRecord& start, const MatrixRecord& end,
                                                 ZoomScale zoom) {
    if (!Stale(start, end)) return {};
    const bool wasBuilt = built_, wasActive = active_;
    // The former state is moved out: Update builds the new one afresh.
    const std::array<Input, 2> before = std::move(input_);
    const std::vector<MeshEdge> edgesBefore = std::move(edges_);
    built_ = false;
    Update(start, end);
    if (!wasActive && !active_) return {};
    if (!wasBuilt) return {WholePicture(), WholePicture()};

    // The lines drawn before and now: the mesh's, or the grid's own (for a
    // grid whose points match its counts; any other is drawn whole).
    const auto whole = [](const Input& in) {
        return in.Rows >= 1 && in.Columns >= 1 && in.Points.CountI() == in.Rows + 1 &&
               in.Points.CountJ() == in.Columns + 1;
    };
    if ((!wasActive && !whole(before[0])) || (!active_ && !whole(input_[0])))
        return {WholePicture(), WholePicture()};
    const std::vector<MeshEdge> oldLines =
        wasActive ? edgesBefore : GridLineEdges(before[0].Rows, before[0].Columns);
    const std::vector<MeshEdge> newLines =
        active_ ? edges_ : GridLineEdges(start.Rows, start.Columns);
    const std::array<std::vector<Point>, 2> oldCorners = {before[0].Corners, before[1].Corners};
    const std::array<std::vector<Point>, 2> newCorners = {input_[0].Corners, input_[1].Corners};

    // The edges to redraw in both pictures: those in one list only; and in
    // one picture those in both lists whose corners moved there.
    std::vector<MeshEdge> gone, came, kept;
    size_t i = 0, j = 0;
    while (i < oldLines.size() || j < newLines.size()) {
        if (j == newLines.size() || (i < oldLines.size() && oldLines[i] < newLines[j])) {
            gone.push_back(oldLines[i++]);
        } else if (i == oldLines.size() || newLines[j] < oldLines[i]) {
            came.push_back(newLines[j++]);
        } else {
            kept.push_back(oldLines[i]);
            ++i;
            ++j;
        }
    }
    if (gone.size() + came.size() > kMostChangedEdges) return {WholePicture(), WholePicture()};

    std::array<QRegion, 2> areas;
    size_t lines = 0;
    for (size_t k = 0; k < 2; ++k) {
        const std::vector<Point>& o = oldCorners[k];
        const std::vector<Point>& n = newCorners[k];
        const auto add = [&](const MeshEdge& e, const std::vector<Point>& corners) {
            const auto a = static_cast<size_t>(e.A), b = static_cast<size_t>(e.B);
            if (b < corners.size()) areas[k] += LineArea(corners[a], corners[b], zoom);
            ++lines;
        };
        for (const MeshEdge& e : gone) add(e, o);
        for (const MeshEdge& e : came) add(e, n);
        for (const MeshEdge& e : kept) {
            const auto a = static_cast<size_t>(e.A), b = static_cast<size_t>(e.B);
            if (b < o.size() && b < n.size() && o[a] == n[a] && o[b] == n[b]) continue;
            add(e, o);
            add(e, n);
            if (lines > 2 * kMostChangedEdges) return {WholePicture(), WholePicture()};
        }
    }
    return areas;
}

}  // namespace fennix
