#pragma once

#include <array>
#include <optional>
#include <vector>

#include "model/MatrixRecord.h"
#include "model/Triangulation.h"

namespace fennix {

// The mesh of a morph whose grids carry free points: the grid points and
// the free points triangulated together, one list of corner indices for the
// start, the end and every mesh in between.
//
// Corners are numbered as MeshCorners lists them: the grid points row by
// row (j outer, i inner), then the free points. The grid's own triangles
// (BuildTriangles) are the starting mesh; each free point is put into the
// triangle of the start mesh that holds it (split in three, or the two
// triangles beside an edge it lies on split in two each), and then the
// edges around it are flipped while the start positions ask for it
// (Delaunay: a corner inside the circle through a triangle's corners). A
// flip happens only where the four corners form a convex shape in both
// pictures, so it never folds the end mesh, and the grid's outline is
// never flipped: it stays the border. Without free points the mesh is the
// grid's own triangles, in their order.
//
// The points of strokes go in after the free points, the same way. Then
// each segment between consecutive points of a stroke (and from the last
// back to the first of a closed one) is made an edge by flipping the edges
// that cross it, where the four corners are convex in the start picture
// and the flip folds no end triangle; such an edge is not flipped again,
// so the stroke holds like a line. Without strokes nothing of this happens.

using MeshTriangle = std::array<int, 3>;

struct FreeMesh {
    std::vector<MeshTriangle> Triangles;
    // Free points that found no place in the start mesh (one on top of
    // another point, or outside the grid's outline): they take no part.
    int Unplaced = 0;
    // The pair index of the first of them (free pairs first, then the
    // strokes' pairs in turn); -1 when all found their place.
    int FirstUnplaced = -1;
    // Stroke segments that could not be made edges of the mesh (a point on
    // the segment, strokes crossing, the end picture folding), and the
    // stroke of the first; -1 when all are edges.
    int Unforced = 0;
    int FirstUnforced = -1;
};

// The corners of a record's mesh: grid points, then free points, then the
// strokes' points stroke by stroke.
std::vector<Point> MeshCorners(const MatrixRecord& matrix);

// The corners of `matrix` (start or end) as the shared mesh numbers them:
// grid points, the free points of the pairs the records share, the shared
// strokes' points of the pairs they share; grid points alone when the
// records share no mesh.
std::vector<Point> SharedMeshCorners(const MatrixRecord& matrix, const MatrixRecord& start,
                                     const MatrixRecord& end);

// The number of free point pairs the two records hold together.
int FreePairCount(const MatrixRecord& start, const MatrixRecord& end);

// The number of point pairs of the strokes the two records share.
int StrokePairCount(const MatrixRecord& start, const MatrixRecord& end);

// Free pairs and stroke pairs together: the points the mesh puts in.
int MeshPairCount(const MatrixRecord& start, const MatrixRecord& end);

// True when the two records can share one mesh with their free points:
// both grids have the same counts and at least one pair (free or of a
// stroke) exists.
bool UsesFreeMesh(const MatrixRecord& start, const MatrixRecord& end);

// The mesh of the two records (see above): the grid's own triangles alone
// where they share no pair; no triangles when the start record's points do
// not match its counts.
// For a grid that tiles the rectangle of its corners (its outline along
// the rectangle's sides, no triangle turned over or flat: every grid the
// window, the fit and `new` make), each point's triangle is found by
// walking to it and the triangles beside an edge from a map of the edges,
// so that ten thousand pairs take a moment; other grids are built by
// BuildFreeMeshReference. Either way the triangles, and their order, are
// BuildFreeMeshReference's exactly.
FreeMesh BuildFreeMesh(const MatrixRecord& start, const MatrixRecord& end);

// True when the grid tiles the rectangle of its corners as BuildFreeMesh
// asks for its quick way.
bool TilesRectangle(const MatrixRecord& matrix);

// BuildFreeMesh's quick way alone: nothing for records without a shared
// mesh of free points, for a grid that does not tile its rectangle, and
// should the mesh stop being a tiling on the way (it never does).
std::optional<FreeMesh> BuildFreeMeshQuickly(const MatrixRecord& start, const MatrixRecord& end);

// The same mesh built the plain way: each point's triangle and each
// triangle beside an edge sought by looking at every triangle in the list,
// the first that qualifies taken. It defines the mesh; BuildFreeMesh must
// give its triangles for every input.
FreeMesh BuildFreeMeshReference(const MatrixRecord& start, const MatrixRecord& end);

// The start and end triangle lists the morph warps along: BuildTriangles of
// each grid when there are no free points (bit for bit what a grid alone
// gives), the free mesh's triangles otherwise.
void BuildMeshTriangles(const MatrixRecord& start, const MatrixRecord& end, TriangleList& startList,
                        TriangleList& endList);

// True when no triangle of the shared mesh folds: every triangle has an
// area in the start picture, and the same turning sense in the end picture.
// Every free point must have found its place, and every stroke segment
// must be an edge.
bool MeshUnfolded(const MatrixRecord& start, const MatrixRecord& end);

// Where the mesh takes position `p` of picture `from` (1 start, 2 end) in
// the other picture: the same place of the triangle holding it, rounded to
// whole pixels and kept within the other picture's size. None when no
// triangle holds it.
std::optional<Point> MapThroughMesh(const MatrixRecord& start, const MatrixRecord& end, int from,
                                    Point p);

// Puts grid points of `end` back where `before` (the end grid before a
// move that knew nothing of strokes) has them, until the mesh of the grids
// and the strokes (free points left out) neither folds nor leaves a stroke
// segment out: each round, the corners of every folded triangle go back;
// a segment left out sends the whole grid back. Returns how many went
// back. Nothing happens without strokes or when `before` has other counts.
int RestoreGridForStrokes(const MatrixRecord& start, MatrixRecord& end, const PointGrid& before);

// Both grids with their rows and columns doubled: each existing point keeps
// its place (point (i, j) becomes (2i − 1, 2j − 1)), a new point of the
// start grid lies halfway along its edge (or the cell's top-left to
// bottom-right diagonal), and its partner in the end grid where the
// current mesh, free points included, takes that place. Free points stay,
// but for a pair whose start point a new grid point lies on: that grid
// point does its part, and the pair goes.
void RefineGrids(MatrixRecord& start, MatrixRecord& end);

}  // namespace fennix
