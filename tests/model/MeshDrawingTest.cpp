#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "media/PicturePane.h"
#include "model/FreeMesh.h"
#include "model/MarkerDensity.h"
#include "model/MatrixDrawing.h"
#include "model/MeshEdges.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

constexpr QRgb kBlack = 0xFF000000, kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

MatrixRecord Grid(int width, int height, int cells) {
    MatrixRecord m = test::Grid(width, height, cells, cells);
    m.PointerSize = 5;
    m.PointerColor = 0x0000FF;  // red
    m.MatrixColor = 0xFF0000;   // blue
    return m;
}

PicturePane BlackPane(int width, int height) {
    PicturePane pane;
    pane.SetBackColor(0);
    pane.SetSize(width, height);
    return pane;
}

TEST(MarkerLook, ShrinksThenHidesAsThePointsCrowd) {
    const struct {
        int32_t size;
        double spacing;
        MarkerLook look;
    } cases[] = {
        {5, 1000, {5, true}},
        {5, 33, {5, true}},    // 3 × 11: the record's own size still fits
        {5, 32.9, {4, true}},  // the largest radius whose width fits a third
        {5, 27, {4, true}},
        {5, 26.9, {3, true}},
        {5, 15, {2, true}},  // a dot
        {5, 14.9, {0, false}},
        {5, 13.9, {0, false}},  // a 40 × 40 grid over 640 × 480 at 100 %
        {5, 0, {0, false}},
        {5, -4, {0, false}},
        {5, std::numeric_limits<double>::quiet_NaN(), {0, false}},
        {5, std::numeric_limits<double>::infinity(), {5, true}},
        {1, 9, {1, true}},  // its own size, smaller than a dot, while it fits
        {1, 8.9, {0, false}},
        {0, 3, {0, true}},
        {0, 2.9, {0, false}},
        {-5, 100, {-5, true}},  // drawn as 5 is
        {-5, 20, {2, true}},
        {std::numeric_limits<int32_t>::max(), 1e9, {166666666, true}},
        {std::numeric_limits<int32_t>::min(), 1e30, {std::numeric_limits<int32_t>::min(), true}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MarkerLookFor(c.size, c.spacing), c.look) << c.size << " at " << c.spacing;
}

TEST(MarkerLook, SpacingOfGridsAndFreePoints) {
    EXPECT_DOUBLE_EQ(PointSpacing(Grid(640, 480, 40), 1), std::sqrt(16.0 * 12.0));
    EXPECT_DOUBLE_EQ(PointSpacing(Grid(640, 480, 40), ZoomScale::Ratio(1, 2)),
                     std::sqrt(16.0 * 12.0) / 2);
    EXPECT_DOUBLE_EQ(PointSpacing(Grid(320, 240, 5), 2), 2 * std::sqrt(64.0 * 48.0));
    MatrixRecord m = Grid(100, 100, 1);
    m.FreePoints.assign(3, Point{50, 50});  // four cells' worth of points
    EXPECT_DOUBLE_EQ(PointSpacing(m, 1), 50);
    EXPECT_EQ(PointSpacing(MatrixRecord{}, 1), std::numeric_limits<double>::infinity());
    // A grid pressed onto one place has no room at all: its markers hide.
    m.Points.Redim(2, 2);
    EXPECT_FALSE(MarkerLookOf(m, 3).Shown);
    // The default 5 × 5 grid on the samples keeps its markers whole.
    EXPECT_FALSE(MarkersReduced(Grid(320, 240, 5), 1));
    EXPECT_TRUE(MarkersReduced(Grid(640, 480, 40), 1));
}

// A dense grid: the markers go, the picture between the lines shows; the
// held point and the chosen free pair keep their full size.
TEST(MarkerLook, DenseGridsShowOnlyTheHeldAndChosenPoints) {
    MatrixRecord m = Grid(200, 200, 40);  // points 5 pixels apart
    m.FreePoints = {{102, 102}};
    PicturePane pane = BlackPane(200, 200);
    DrawMatrix(pane, m, 1);
    EXPECT_EQ(pane.Layer().pixel(51, 49), kBlack);    // beside point (11, 11) at (50, 50)
    EXPECT_EQ(pane.Layer().pixel(103, 102), kBlack);  // no free square either

    GridOverlay overlay;
    overlay.Held = {11, 11};
    overlay.ChosenFree = 0;
    DrawMatrix(pane, m, 1, overlay);
    EXPECT_EQ(pane.Layer().pixel(51, 49), kRed);
    EXPECT_EQ(pane.Layer().pixel(54, 46), kBlack);  // just outside its radius of 5
    EXPECT_EQ(pane.Layer().pixel(106, 99), kBlue);  // the chosen square, filled
    EXPECT_EQ(pane.Layer().pixel(56, 49), kBlack);  // beside point (12, 11): hidden
}

TEST(MeshEdges, GridLinesAreEachCellsSidesAndDiagonalOnce) {
    const std::vector<MeshEdge> lines = GridLineEdges(3, 2);
    EXPECT_EQ(lines.size(), 4u * 2 + 3 * 3 + 3 * 2);
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end()));
    EXPECT_TRUE(GridLineEdges(0, 4).empty());
    // The grid's own triangles have exactly the grid's lines as edges.
    MatrixRecord m = Grid(90, 60, 3);
    m.Columns = 2;
    InitMatrix(m);
    EXPECT_EQ(EdgesOfTriangles(BuildFreeMeshReference(m, m).Triangles), lines);
}

TEST(MeshEdges, BuiltOnlyWhenThePointsChange) {
    MatrixRecord start = Grid(320, 240, 5), end = start;
    MeshEdgeCache cache;
    cache.Update(start, end);
    EXPECT_EQ(cache.Edges(), nullptr);  // the grid draws its own lines
    EXPECT_EQ(cache.Builds(), 0);

    start.FreePoints = {{100, 70}};
    end.FreePoints = {{104, 72}};
    cache.Update(start, end);
    ASSERT_NE(cache.Edges(), nullptr);
    EXPECT_EQ(*cache.Edges(), EdgesOfTriangles(BuildFreeMesh(start, end).Triangles));
    cache.Update(start, end);
    start.ImagePath = "another.bmp";  // nothing the mesh reads
    start.PointerSize = 9;
    cache.Update(start, end);
    EXPECT_EQ(cache.Builds(), 1);
    end.Points(2, 2).X += 1;
    cache.Update(start, end);
    EXPECT_EQ(cache.Builds(), 2);
    end.FreePoints.clear();  // no pair left
    cache.Update(start, end);
    EXPECT_EQ(cache.Edges(), nullptr);
}

// The mesh's edges take the place of the grid's lines: a free point's
// edges show, and a diagonal the mesh flipped away does not.
TEST(MeshEdges, DrawnInPlaceOfTheGridLines) {
    MatrixRecord start = Grid(200, 200, 2), end = start;
    start.FreePoints = {{60, 30}};
    end.FreePoints = {{60, 30}};
    MeshEdgeCache cache;
    cache.Update(start, end);
    ASSERT_NE(cache.Edges(), nullptr);
    // The diagonal of cell (1, 1) from (0, 0) to (100, 100) went.
    const std::vector<Point> corners = MeshCorners(start);
    for (const MeshEdge& e : *cache.Edges())
        ASSERT_FALSE(corners[e.A] == (Point{0, 0}) && corners[e.B] == (Point{100, 100}));
    GridOverlay overlay;
    overlay.MeshEdges = cache.Edges();
    PicturePane pane = BlackPane(200, 200);
    DrawMatrix(pane, start, 1, overlay);
    EXPECT_EQ(pane.Layer().pixel(80, 80), kBlack);   // on the old diagonal
    EXPECT_EQ(pane.Layer().pixel(150, 150), kBlue);  // the diagonal of cell (2, 2) stays
    EXPECT_EQ(pane.Layer().pixel(80, 15), kBlue);    // free point to (100, 0)
    EXPECT_EQ(pane.Layer().pixel(80, 65), kBlue);    // free point to (100, 100)
    // Without the overlay the grid is drawn as ever.
    DrawMatrix(pane, start, 1);
    EXPECT_EQ(pane.Layer().pixel(80, 80), kBlue);
    EXPECT_EQ(pane.Layer().pixel(80, 15), kBlack);
    // Edges naming corners a record lacks are left out, not read.
    const std::vector<MeshEdge> damaged = {{0, 9999}, {-1, 2}, {0, 1}};
    overlay.MeshEdges = &damaged;
    DrawMatrix(pane, start, 1, overlay);
    EXPECT_EQ(pane.Layer().pixel(50, 0), kBlue);
}

// A step of a drag redraws only what UpdateArea gives: every pixel that
// differs between the whole drawings before and after lies within it, in
// both pictures, and redrawing that area gives the whole drawing.
TEST(MeshEdges, ChangeAreaCoversEveryChangedPixel) {
    const struct {
        const char* name;
        int k;     // the picture whose point moves
        int free;  // the free point moved, or -1 for grid point (2, 2)
        Point to;
        ZoomScale zoom;
    } cases[] = {
        {"free point, start", 1, 0, {70, 40}, 1},
        {"free point across a diagonal", 1, 0, {30, 75}, 1},
        {"free point into another cell", 1, 0, {150, 60}, 1},
        {"free point, end", 2, 1, {150, 120}, 2},
        {"grid point", 1, -1, {110, 95}, ZoomScale::Ratio(2, 3)},
        {"no move", 1, 0, {60, 30}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::array<MatrixRecord, 2> m = {Grid(200, 200, 2), Grid(200, 200, 2)};
        m[0].FreePoints = {{60, 30}, {140, 150}};
        m[1].FreePoints = {{62, 33}, {141, 148}};
        MeshEdgeCache cache;
        cache.Update(m[0], m[1]);
        const int w = static_cast<int>(c.zoom.PaneLength(200)) + 1;
        std::array<PicturePane, 2> before = {BlackPane(w, w), BlackPane(w, w)};
        for (size_t k = 0; k < 2; ++k) {
            GridOverlay overlay;
            overlay.MeshEdges = cache.Edges();
            DrawMatrix(before[k], m[k], c.zoom, overlay);
        }

        MatrixRecord& moved = m[static_cast<size_t>(c.k - 1)];
        QRegion pointArea;
        if (c.free >= 0) {
            pointArea = FreeMarkerArea(moved.FreePoints[static_cast<size_t>(c.free)], 5, c.zoom);
            moved.FreePoints[static_cast<size_t>(c.free)] = c.to;
            pointArea += FreeMarkerArea(c.to, 5, c.zoom);
        } else {
            pointArea = PointArea(moved, 2, 2, c.zoom);
            moved.Points(2, 2) = c.to;
            pointArea += PointArea(moved, 2, 2, c.zoom);
        }
        const std::array<QRegion, 2> areas = cache.UpdateArea(m[0], m[1], c.zoom);
        for (size_t k = 0; k < 2; ++k) {
            GridOverlay overlay;
            overlay.MeshEdges = cache.Edges();
            PicturePane after = BlackPane(w, w);
            DrawMatrix(after, m[k], c.zoom, overlay);
            const QRegion area =
                areas[k] + (static_cast<int>(k) == c.k - 1 ? pointArea : QRegion());
            for (int y = 0; y < w; ++y)
                for (int x = 0; x < w; ++x) {
                    if (after.Layer().pixel(x, y) == before[k].Layer().pixel(x, y)) continue;
                    ASSERT_TRUE(area.contains(QPoint(x, y)))
                        << "picture " << k + 1 << " at " << x << ", " << y;
                }
            DrawMatrixArea(before[k], m[k], c.zoom, area, overlay);
            EXPECT_TRUE(before[k].Layer() == after.Layer()) << "picture " << k + 1;
        }
    }
}

TEST(MeshEdges, ChangeAreaOfAPlainGridIsNothing) {
    MatrixRecord start = Grid(320, 240, 5), end = start;
    MeshEdgeCache cache;
    cache.Update(start, end);
    start.Points(2, 2) = {70, 50};
    const auto areas = cache.UpdateArea(start, end, 1);
    EXPECT_TRUE(areas[0].isEmpty());
    EXPECT_TRUE(areas[1].isEmpty());
    // The first pair turns the grid's lines into the mesh's: the lines that
    // went and came are in the area, nothing else of the picture.
    start.FreePoints = {{100, 70}};
    end.FreePoints = {{100, 70}};
    const auto first = cache.UpdateArea(start, end, 1);
    EXPECT_TRUE(first[0].contains(QPoint(100, 70)));
    EXPECT_FALSE(first[0].contains(QPoint(300, 200)));
}

}  // namespace
}  // namespace fennix
