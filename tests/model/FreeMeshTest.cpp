#include <gtest/gtest.h>

#include <map>
#include <set>

#include "model/FreeMesh.h"
#include "model/FreePointEditing.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

using test::Grid;

int64_t TwiceArea(const Triangle& t) {
    return (int64_t{t.P1.X} - t.P0.X) * (int64_t{t.P2.Y} - t.P0.Y) -
           (int64_t{t.P1.Y} - t.P0.Y) * (int64_t{t.P2.X} - t.P0.X);
}

// The grid points moved a little, the same way for the same seed, borders
// kept on their border.
MatrixRecord Jittered(MatrixRecord m, int seed) {
    for (int j = 2; j <= m.Columns; ++j)
        for (int i = 2; i <= m.Rows; ++i) {
            const int step = ((i * 7 + j * 13 + seed) % 5) - 2;
            m.Points(i, j).X += step;
            m.Points(i, j).Y -= step;
        }
    return m;
}

// Without free points the morph's triangles are the grid's own, in order,
// whatever the grids look like.
TEST(FreeMesh, WithoutFreePointsTheGridsOwnTriangles) {
    struct Case {
        int width, height, rows, columns, seed;
    };
    for (const Case c : {Case{320, 240, 5, 5, 0}, Case{64, 48, 1, 1, 0}, Case{100, 60, 4, 2, 3},
                         Case{640, 480, 12, 9, 1}}) {
        const MatrixRecord start = Grid(c.width, c.height, c.rows, c.columns);
        const MatrixRecord end = Jittered(start, c.seed);
        TriangleList s, e;
        BuildMeshTriangles(start, end, s, e);
        EXPECT_EQ(s, BuildTriangles(start));
        EXPECT_EQ(e, BuildTriangles(end));
        EXPECT_TRUE(MeshUnfolded(start, end));
    }
}

// Free points join the mesh as corners; the triangles still cover the
// picture exactly once, with the grid's outline as their border, and the
// same corners make each triangle at the start and at the end.
TEST(FreeMesh, FreePointsJoinTheMeshInsideTheOutline) {
    struct Case {
        std::vector<Point> free;
        int extraTriangles;  // beyond the grid's
    };
    const Case cases[] = {
        {{{30, 20}}, 2},                          // inside a triangle
        {{{25, 25}}, 2},                          // on a cell's diagonal
        {{{50, 25}}, 2},                          // on an inner grid line
        {{{0, 30}}, 1},                           // on the outline
        {{{10, 10}, {40, 12}, {60, 70}, {99, 99}}, 8},
        {{{10, 10}, {11, 10}, {10, 11}, {11, 11}, {12, 12}}, 10},
    };
    for (const Case& c : cases) {
        MatrixRecord start = Grid(100, 100, 2, 2), end = Jittered(Grid(100, 100, 2, 2), 1);
        start.FreePoints = c.free;
        end.FreePoints = c.free;
        const FreeMesh mesh = BuildFreeMesh(start, end);
        EXPECT_EQ(mesh.Unplaced, 0);
        TriangleList s, e;
        BuildMeshTriangles(start, end, s, e);
        ASSERT_EQ(s.Count(), 8 + c.extraTriangles);
        ASSERT_EQ(e.Count(), s.Count());
        int64_t area = 0;
        std::set<std::pair<int, int>> corners;
        for (int t = 1; t <= s.Count(); ++t) {
            EXPECT_NE(TwiceArea(s[t]), 0);
            area += std::abs(TwiceArea(s[t]));
            for (Point p : {s[t].P0, s[t].P1, s[t].P2}) corners.insert({p.X, p.Y});
        }
        EXPECT_EQ(area, 2 * 100 * 100);
        for (Point p : c.free) EXPECT_TRUE(corners.count({p.X, p.Y})) << p.X << "," << p.Y;
        EXPECT_TRUE(MeshUnfolded(start, end));
    }
}

// Many points at random places (on grid lines and on one another too): the
// triangles always cover the picture once and every point is a corner (one
// on top of another or of a grid point is left out, its place being one).
TEST(FreeMesh, RandomPointsAlwaysTileThePicture) {
    uint32_t state = 12345;
    const auto next = [&state](int below) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<uint32_t>(below));
    };
    for (int round = 0; round < 60; ++round) {
        const int cells = 1 + round % 4;
        MatrixRecord start = Grid(60, 40, cells, cells), end = start;
        const int count = 1 + next(25);
        for (int n = 0; n < count; ++n) {
            // Coarse places in some rounds, so points meet lines and each other.
            const int step = round % 3 == 0 ? 10 : 1;
            start.FreePoints.push_back({next(60 / step + 1) * step, next(40 / step + 1) * step});
        }
        end.FreePoints = start.FreePoints;
        TriangleList s, e;
        BuildMeshTriangles(start, end, s, e);
        int64_t area = 0;
        std::set<std::pair<int, int>> corners;
        for (int t = 1; t <= s.Count(); ++t) {
            ASSERT_NE(TwiceArea(s[t]), 0) << "round " << round;
            area += std::abs(TwiceArea(s[t]));
            for (Point p : {s[t].P0, s[t].P1, s[t].P2}) corners.insert({p.X, p.Y});
        }
        EXPECT_EQ(area, 2 * 60 * 40) << "round " << round;
        for (Point p : start.FreePoints) EXPECT_TRUE(corners.count({p.X, p.Y})) << "round " << round;
        // With the end as the start, only a point without a place counts as a fold.
        const FreeMesh mesh = BuildFreeMesh(start, end);
        EXPECT_EQ(mesh.Unplaced > 0, !MeshUnfolded(start, end)) << "round " << round;
    }
}

// Each corner inserted makes the triangles around it Delaunay: four points
// close together in one cell are joined to one another, not to far grid
// corners across them.
TEST(FreeMesh, InsertedPointsFlipToTheirNearNeighbours) {
    MatrixRecord start = Grid(100, 100, 1, 1), end = start;
    start.FreePoints = end.FreePoints = {{40, 50}, {60, 50}};
    TriangleList s, e;
    BuildMeshTriangles(start, end, s, e);
    bool joined = false;
    for (int t = 1; t <= s.Count(); ++t) {
        std::set<std::pair<int, int>> c{{s[t].P0.X, s[t].P0.Y}, {s[t].P1.X, s[t].P1.Y}, {s[t].P2.X, s[t].P2.Y}};
        joined |= c.count({40, 50}) && c.count({60, 50});
        // The long diagonal of the cell is gone.
        EXPECT_FALSE(c.count({0, 0}) && c.count({100, 100}));
    }
    EXPECT_TRUE(joined);
}

// Points on top of one another or outside the outline take no part and
// make the mesh count as folded; pairs without a partner are left out.
TEST(FreeMesh, PointsWithoutAPlace) {
    MatrixRecord start = Grid(100, 100, 2, 2), end = start;
    start.FreePoints = {{50, 50}, {30, 30}, {30, 30}, {130, 30}};
    end.FreePoints = start.FreePoints;
    EXPECT_EQ(BuildFreeMesh(start, end).Unplaced, 3);
    EXPECT_FALSE(MeshUnfolded(start, end));
    end.FreePoints.resize(2);  // only two pairs
    EXPECT_EQ(FreePairCount(start, end), 2);
    EXPECT_EQ(BuildFreeMesh(start, end).Unplaced, 1);
}

// A free end point may go anywhere its triangles keep their turn (an edge
// the start picture could have either way round takes the way that does
// not fold); beyond that the mesh folds.
TEST(FreeMesh, FoldsOfTheEndMesh) {
    struct Case {
        Point endPoint;
        bool unfolded;
    };
    for (const Case c : {Case{{30, 20}, true}, Case{{35, 28}, true}, Case{{60, 20}, false},
                         Case{{20, 30}, true}, Case{{80, 80}, false}, Case{{0, 0}, false}}) {
        MatrixRecord start = Grid(100, 100, 2, 2), end = start;
        start.FreePoints = {{30, 20}};
        end.FreePoints = {c.endPoint};
        EXPECT_EQ(MeshUnfolded(start, end), c.unfolded) << c.endPoint.X << "," << c.endPoint.Y;
    }
}

// A place maps to the same place of its triangle in the other picture.
TEST(FreeMesh, MapThroughMesh) {
    MatrixRecord start = Grid(100, 100, 2, 2), end = start;
    for (int j = 1; j <= 3; ++j) end.Points(2, j).X = 60;  // the middle line moves right
    end.Points(2, 1).X = 60;
    struct Case {
        int from;
        Point p, expected;
    };
    for (const Case c : {Case{1, {25, 25}, {30, 25}}, Case{1, {50, 80}, {60, 80}},
                         Case{1, {75, 10}, {80, 10}}, Case{2, {30, 40}, {25, 40}},
                         Case{1, {0, 0}, {0, 0}}, Case{1, {100, 100}, {100, 100}}}) {
        const auto mapped = MapThroughMesh(start, end, c.from, c.p);
        ASSERT_TRUE(mapped);
        EXPECT_EQ(*mapped, c.expected) << c.p.X << "," << c.p.Y;
    }
    EXPECT_FALSE(MapThroughMesh(start, end, 1, {101, 50}));
    EXPECT_FALSE(MapThroughMesh(start, end, 3, {10, 10}));
}

// Refining doubles the counts, keeps every point, and places the new ones
// on the old mesh; a regular grid refines into the regular finer grid.
TEST(FreeMesh, RefineKeepsEveryCorrespondence) {
    MatrixRecord start = Grid(100, 100, 2, 2), end = start;
    RefineGrids(start, end);
    EXPECT_EQ(start.Points, Grid(100, 100, 4, 4).Points);
    EXPECT_EQ(end.Points, Grid(100, 100, 4, 4).Points);
    EXPECT_EQ(start.Rows, 4);
    EXPECT_EQ(end.Columns, 4);

    MatrixRecord s = Grid(120, 90, 3, 3), e = Jittered(Grid(120, 90, 3, 3), 2);
    e.Points(2, 2) = {48, 25};
    s.FreePoints = {{55, 40}};
    e.FreePoints = {{62, 44}};
    const MatrixRecord oldStart = s, oldEnd = e;
    RefineGrids(s, e);
    ASSERT_EQ(s.Points.CountI(), 7);
    for (int j = 1; j <= 4; ++j)
        for (int i = 1; i <= 4; ++i) {
            EXPECT_EQ(s.Points(2 * i - 1, 2 * j - 1), oldStart.Points(i, j));
            EXPECT_EQ(e.Points(2 * i - 1, 2 * j - 1), oldEnd.Points(i, j));
        }
    for (int j = 1; j <= 7; ++j)
        for (int i = 1; i <= 7; ++i) {
            const auto mapped = MapThroughMesh(oldStart, oldEnd, 1, s.Points(i, j));
            ASSERT_TRUE(mapped);
            EXPECT_EQ(e.Points(i, j), *mapped);
        }
    EXPECT_EQ(s.FreePoints, oldStart.FreePoints);
    EXPECT_EQ(e.FreePoints, oldEnd.FreePoints);
    EXPECT_TRUE(MeshUnfolded(s, e));
}

// Adding pairs and holding points in a document, where the window's own
// test does not reach: a pair added on the end picture, one refused or
// kept inside the picture, a grid point whose move would fold the mesh
// with a free point, and a held free point dropped. (Adding on the start
// picture, dragging, putting back, removing and undo go through the window.)
TEST(FreePointEditing, AddAndHoldAtTheEdges) {
    MorphDocument document;
    document.Matrix(1) = Grid(100, 100, 2, 2);
    document.Matrix(2) = document.Matrix(1);
    for (int j = 1; j <= 3; ++j) document.Matrix(2).Points(2, j).X = 60;
    document.Matrix(1).PointerSize = document.Matrix(2).PointerSize = 4;

    ASSERT_EQ(AddFreePair(document, 1, 25, 25, 100, 100), 0);
    EXPECT_EQ(document.Matrix(2).FreePoints, (std::vector<Point>{{30, 25}}));
    // Added on the end picture: the partner in the start picture.
    ASSERT_EQ(AddFreePair(document, 2, 80, 80, 100, 100), 1);
    EXPECT_EQ(document.Matrix(1).FreePoints[1], (Point{75, 80}));
    // On top of a point that is there: refused. Outside the picture: kept in.
    EXPECT_FALSE(AddFreePair(document, 1, 25, 25, 100, 100));
    EXPECT_FALSE(AddFreePair(document, 1, 50, 50, 100, 100));
    ASSERT_EQ(AddFreePair(document, 1, 140, 10, 100, 100), 2);
    EXPECT_EQ(document.Matrix(1).FreePoints[2], (Point{100, 10}));
    EXPECT_TRUE(MeshUnfolded(document.Matrix(1), document.Matrix(2)));

    // A grid point that would fold the mesh with a free point goes back.
    document.Matrix(1).FreePoints[0] = {40, 40};
    document.Matrix(2).FreePoints[0] = {45, 40};
    ASSERT_TRUE(MeshUnfolded(document.Matrix(1), document.Matrix(2)));
    ASSERT_TRUE(PressPoint(document, 2, 60, 50).Found());
    MoveHeldPoint(document, 2, 38, 38, 100, 100);
    EXPECT_EQ(ReleaseHeldPoint(document, 2, 38, 38).result, PointRelease::PutBack);
    EXPECT_EQ(document.Matrix(2).Points(2, 2), (Point{60, 50}));

    // A held free point dropped goes back unchecked.
    HoldFreePoint(document, 1, 1);
    MoveHeldFreePoint(document, 1, 70, 70, 100, 100);
    EXPECT_TRUE(DropHeldPoint(document));
    EXPECT_EQ(document.Matrix(1).FreePoints[1], (Point{75, 80}));
}

}  // namespace
}  // namespace fennix
