#pragma once

#include <QRegion>
#include <array>
#include <vector>

#include "model/FreeMesh.h"
#include "model/MatrixRecord.h"
#include "model/ZoomScale.h"

namespace fennix {

// One edge of a mesh: two corner indices as MeshCorners numbers them,
// A < B.
struct MeshEdge {
    int A = 0;
    int B = 0;
    friend bool operator==(const MeshEdge&, const MeshEdge&) = default;
    friend auto operator<=>(const MeshEdge&, const MeshEdge&) = default;
};

// Every edge of the triangles once, sorted.
std::vector<MeshEdge> EdgesOfTriangles(const std::vector<MeshTriangle>& triangles);

// The lines a grid of rows × columns cells draws (each cell's sides and its
// top-left to bottom-right diagonal), as edges between grid corners, once
// each, sorted.
std::vector<MeshEdge> GridLineEdges(int rows, int columns);

// The edges the window draws over both pictures in place of the grid's
// lines while the two records share a mesh with free points: exactly
// BuildFreeMesh's triangles, so an edge a flip took away from the grid is
// not drawn and every edge a free point brings is. The mesh is built again
// only when the grids' counts, points or free points changed since the last
// call, not for every paint.
class MeshEdgeCache {
  public:
    // Brings the edges up to date with the two records.
    void Update(const MatrixRecord& start, const MatrixRecord& end);

    // The same, giving the pane areas of the start and the end picture (at
    // `zoom`) where the drawn lines changed: every edge that went, came or
    // had a corner moved, at its former and at its new place, with a margin
    // of two pixels. While neither state has a free mesh, nothing (the grid
    // draws its lines as it always does). When many edges changed at once,
    // the whole of each picture.
    std::array<QRegion, 2> UpdateArea(const MatrixRecord& start, const MatrixRecord& end,
                                      ZoomScale zoom);

    // The edges to draw in place of the grid's lines; null when the records
    // share no free mesh, or the mesh has no triangles (the grid's own lines
    // are drawn then).
    const std::vector<MeshEdge>* Edges() const { return active_ ? &edges_ : nullptr; }

    // How many times the mesh was built; for tests.
    int Builds() const { return builds_; }

  private:
    // What BuildFreeMesh reads of one record.
    struct Input {
        int32_t Rows = -1;
        int32_t Columns = -1;
        PointGrid Points;
        std::vector<Point> Corners;  // MeshCorners: grid, free and stroke points
        friend bool operator==(const Input&, const Input&) = default;
    };
    static Input InputOf(const MatrixRecord& m);

    bool Stale(const MatrixRecord& start, const MatrixRecord& end) const;

    std::array<Input, 2> input_;
    bool built_ = false;
    bool active_ = false;
    std::vector<MeshEdge> edges_;
    int builds_ = 0;
};

}  // namespace fennix
