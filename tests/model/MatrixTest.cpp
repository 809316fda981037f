#include <gtest/gtest.h>

#include <limits>

#include "media/PicturePane.h"
#include "model/MatrixDrawing.h"
#include "model/MatrixRecord.h"
#include "model/Triangulation.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

MatrixRecord Grid(int width, int height, int rows, int columns) {
    MatrixRecord m = test::Grid(width, height, rows, columns);
    m.PointerSize = 5;
    m.MatrixColor = 16777215;
    m.PointerColor = 255;
    return m;
}

std::vector<int> XsOfFirstRow(const MatrixRecord& m) {
    std::vector<int> xs;
    for (int i = 1; i <= m.Rows + 1; ++i) xs.push_back(m.Points(i, 1).X);
    return xs;
}

TEST(InitMatrix, RegularGridOn320x240) {
    const MatrixRecord m = Grid(320, 240, 5, 5);
    ASSERT_EQ(m.Points.CountI(), 6);
    ASSERT_EQ(m.Points.CountJ(), 6);
    EXPECT_EQ(XsOfFirstRow(m), (std::vector<int>{0, 64, 128, 192, 256, 320}));
    for (int j = 1; j <= 6; ++j) EXPECT_EQ(m.Points(3, j).Y, 48 * (j - 1));
    EXPECT_EQ(m.Points(6, 6), (Point{320, 240}));
}

TEST(InitMatrix, StepsAre32BitFloatsAndTiesGoToEven) {
    EXPECT_EQ(static_cast<float>(100.0 / 3), 33.333332f);
    EXPECT_EQ(XsOfFirstRow(Grid(100, 10, 3, 1)), (std::vector<int>{0, 33, 67, 100}));
    EXPECT_EQ(XsOfFirstRow(Grid(45, 10, 2, 1)), (std::vector<int>{0, 22, 45}));
    EXPECT_EQ(XsOfFirstRow(Grid(75, 10, 2, 1)), (std::vector<int>{0, 38, 75}));
}

TEST(InitMatrix, ReplacesEarlierPoints) {
    MatrixRecord m = Grid(320, 240, 5, 5);
    m.Points(2, 2) = {1, 1};
    m.Rows = 2;
    m.Columns = 3;
    InitMatrix(m);
    EXPECT_EQ(m.Points.CountI(), 3);
    EXPECT_EQ(m.Points.CountJ(), 4);
    EXPECT_EQ(m.Points(2, 2), (Point{160, 80}));
}

TEST(BuildTriangles, NumberingAndVertexOrder) {
    const TriangleList t = BuildTriangles(Grid(320, 240, 5, 5));
    ASSERT_EQ(t.Count(), 50);
    EXPECT_EQ(t[1], (Triangle{{0, 0}, {0, 48}, {64, 48}}));
    EXPECT_EQ(t[2], (Triangle{{0, 0}, {64, 0}, {64, 48}}));
    // Cell (2, 1) comes next: the top band of cells is numbered first.
    EXPECT_EQ(t[3], (Triangle{{64, 0}, {64, 48}, {128, 48}}));
    EXPECT_EQ(t[50], (Triangle{{256, 192}, {320, 192}, {320, 240}}));
}

TEST(BuildTriangles, RowsAndColumnsMayDiffer) {
    const MatrixRecord m = Grid(80, 40, 4, 2);
    EXPECT_EQ(m.Points.CountI(), 5);
    EXPECT_EQ(m.Points.CountJ(), 3);
    const TriangleList t = BuildTriangles(m);
    ASSERT_EQ(t.Count(), 16);
    EXPECT_EQ(t[7], (Triangle{{60, 0}, {60, 20}, {80, 20}}));  // cell (4, 1)
    EXPECT_EQ(t[9], (Triangle{{0, 20}, {0, 40}, {20, 40}}));   // cell (1, 2)
}

TEST(BuildTriangles, OneByOneGridHasTheCornersOnly) {
    const MatrixRecord m = Grid(30, 20, 1, 1);
    EXPECT_EQ(m.Points(1, 1), (Point{0, 0}));
    EXPECT_EQ(m.Points(2, 1), (Point{30, 0}));
    EXPECT_EQ(m.Points(1, 2), (Point{0, 20}));
    EXPECT_EQ(m.Points(2, 2), (Point{30, 20}));
    const TriangleList t = BuildTriangles(m);
    ASSERT_EQ(t.Count(), 2);
    EXPECT_EQ(t[1], (Triangle{{0, 0}, {0, 20}, {30, 20}}));
    EXPECT_EQ(t[2], (Triangle{{0, 0}, {30, 0}, {30, 20}}));
}

TEST(DrawMatrix, MarkersKeepTheirRadiusAtZoomThree) {
    MatrixRecord m = Grid(40, 40, 2, 2);  // points at 0, 20, 40
    m.PointerSize = 4;
    m.PointerColor = 0x0000FF;  // red
    m.MatrixColor = 0xFF0000;   // blue
    PicturePane pane;
    pane.SetBackColor(0);
    pane.SetSize(120, 120);
    int refreshed = 0;
    pane.SetChangedHandler([&] { ++refreshed; });
    DrawMatrix(pane, m, 3);
    EXPECT_EQ(refreshed, 1);

    const QImage& layer = pane.Layer();
    const QRgb red = 0xFFFF0000, blue = 0xFF0000FF, black = 0xFF000000;
    // The centre point (20, 20) is drawn at (60, 60); off the lines the
    // marker reaches 3 pixels out, not 4 × 3.
    EXPECT_EQ(layer.pixel(58, 62), red);
    EXPECT_EQ(layer.pixel(62, 58), red);
    EXPECT_EQ(layer.pixel(52, 66), black);
    // Lines at three times the coordinates, over the markers.
    EXPECT_EQ(layer.pixel(60, 60), blue);
    EXPECT_EQ(layer.pixel(90, 60), blue);  // horizontal line y = 60
    EXPECT_EQ(layer.pixel(60, 90), blue);  // vertical line x = 60
    EXPECT_EQ(layer.pixel(75, 75), blue);  // diagonal of cell (2, 2)
    EXPECT_EQ(layer.pixel(75, 85), black);

    // Drawing again starts from a clean layer.
    m.Points(2, 2) = {10, 10};
    DrawMatrix(pane, m, 3);
    EXPECT_EQ(pane.Layer().pixel(58, 62), black);
    EXPECT_EQ(pane.Layer().pixel(28, 30), red);
}

// A damaged project may hold any 32-bit number as a position or a marker
// size. Drawing computes in 64 bits and shows what falls in the
// pane as an endless layer would.
TEST(DrawMatrix, ExtremePositionsAndMarkerSizesDrawWhatShows) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    MatrixRecord m;
    m.Rows = 1;
    m.Columns = 1;
    m.Points.Redim(2, 2);
    m.Points(1, 1) = {0, 0};
    m.Points(2, 1) = {kMax, 0};
    m.Points(1, 2) = {0, kMax};
    m.Points(2, 2) = {kMax, kMax};
    m.PointerSize = 5;
    m.PointerColor = 0x0000FF;  // red
    m.MatrixColor = 0xFF0000;   // blue
    PicturePane pane;
    pane.SetBackColor(0);
    pane.SetSize(40, 40);
    const QRgb red = 0xFFFF0000, blue = 0xFF0000FF, black = 0xFF000000;

    for (int zoom : {1, 3}) {
        DrawMatrix(pane, m, zoom);
        const QImage& layer = pane.Layer();
        EXPECT_EQ(layer.pixel(20, 0), blue);   // top edge towards x = zoom · INT32_MAX
        EXPECT_EQ(layer.pixel(0, 20), blue);   // left edge
        EXPECT_EQ(layer.pixel(25, 25), blue);  // the diagonal keeps its direction
        EXPECT_EQ(layer.pixel(2, 3), red);     // the marker at the origin
        EXPECT_EQ(layer.pixel(30, 10), black);
    }

    // A marker as large as a 32-bit number covers the pane; one of either
    // sign centred far outside it leaves the pane alone.
    m.PointerSize = kMax;
    DrawMatrix(pane, m, 3);
    EXPECT_EQ(pane.Layer().pixel(30, 10), red);
    m.PointerSize = kMin;
    DrawMatrix(pane, m, 3);
    EXPECT_EQ(pane.Layer().pixel(30, 10), red);
    m.Points(1, 1) = {kMin, kMin};
    m.Points(2, 1) = {kMin, kMax};
    m.Points(1, 2) = {kMax, kMin};
    m.PointerSize = kMax / 2;
    DrawMatrix(pane, m, 3);
    EXPECT_EQ(pane.Layer().pixel(30, 10), black);

    DrawMarker(pane, Point{kMax, kMax}, kMax, 3, 0x0000FF);
    EXPECT_EQ(pane.Layer().pixel(30, 10), black);
    DrawMarker(pane, Point{kMax / 3, 0}, kMax, 3, 0x0000FF);
    EXPECT_EQ(pane.Layer().pixel(30, 10), red);
}

}  // namespace
}  // namespace fennix
