#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "model/DocumentHistory.h"
#include "model/MatrixEditing.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

// A 5 × 5 grid on 320 × 240: points at x = 0, 64 … 320 and y = 0, 48 … 240.
MatrixRecord Grid(int pointerSize = 5) {
    MatrixRecord m = test::Grid(320, 240, 5, 5);
    m.PointerSize = pointerSize;
    return m;
}

TEST(HitPoint, TheRadiusItselfIsOutside) {
    EXPECT_FALSE(HitPoint(5, 0, 0, 0, 5));
    EXPECT_TRUE(HitPoint(4, 0, 0, 0, 5));
    EXPECT_FALSE(HitPoint(3, 4, 0, 0, 5));  // exactly on the circle
    EXPECT_TRUE(HitPoint(3, 3, 0, 0, 5));
    // Far positions do not overflow into a hit.
    EXPECT_FALSE(HitPoint(70000, 0, 0, 0, 5));
    constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
    EXPECT_FALSE(HitPoint(kMax, kMax, kMin, kMin, kMax));
    EXPECT_FALSE(HitPoint(kMax, 0, kMin, 0, kMin));
    EXPECT_TRUE(HitPoint(kMax - 1, kMax - 1, kMax, kMax, kMax));
    EXPECT_TRUE(HitPoint(kMin + 1, 0, kMin, 0, kMin));
}

// Points and marker sizes of a damaged project reach any 32-bit number;
// zoomed positions are computed in 64 bits.
TEST(FindHitPoint, ExtremePointsAndMarkersAtZoom3) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    MatrixRecord m = Grid(kMax);
    for (int j = 1; j <= 6; ++j)
        for (int i = 1; i <= 6; ++i) m.Points(i, j) = {kMax, kMax};
    EXPECT_EQ(FindHitPoint(m, 0, 0, 3), GridIndex{});
    m.Points(4, 5) = {kMax / 3, 0};
    EXPECT_EQ(FindHitPoint(m, 0, 0, 3), (GridIndex{4, 5}));
    m.PointerSize = 5;
    EXPECT_EQ(FindHitPoint(m, 0, 0, 3), GridIndex{});
}

TEST(InsidePolygon, ExtremeCornersDoNotOverflow) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    const std::vector<Point> square{{kMin, kMin}, {kMax, kMin}, {kMax, kMax}, {kMin, kMax}};
    EXPECT_TRUE(InsidePolygon(square, {0, 0}));
    const std::vector<Point> sliver{{kMin, kMin}, {kMax, kMax}, {kMax, kMax - 1}};
    EXPECT_FALSE(InsidePolygon(sliver, {0, 5}));
    // Points on the extreme edges, and one just off the long diagonal.
    EXPECT_TRUE(InsidePolygon(square, {kMax, 0}));
    EXPECT_TRUE(InsidePolygon(square, {kMin, kMin}));
    EXPECT_TRUE(InsidePolygon(sliver, {kMin, kMin}));
    EXPECT_FALSE(InsidePolygon({{kMin, kMin}, {kMax, kMax}, {kMax, kMin}}, {kMin, kMin + 1}));
}

TEST(FindHitPoint, RadiusStaysInPanePixelsAtZoom3AndPositionsRoundToEven) {
    const MatrixRecord m = Grid();
    // Point (2, 2) at (64, 48) is drawn at (192, 144) at zoom 3.
    EXPECT_EQ(FindHitPoint(m, 197, 144, 3), GridIndex{});
    EXPECT_EQ(FindHitPoint(m, 196, 144, 3), (GridIndex{2, 2}));
    EXPECT_EQ(FindHitPoint(m, 196.5, 144, 3), (GridIndex{2, 2}));  // 196.5 → 196
    EXPECT_EQ(FindHitPoint(m, 197.5, 144, 3), GridIndex{});        // 197.5 → 198
    EXPECT_EQ(FindHitPoint(m, 192, 139.5, 3), (GridIndex{2, 2}));  // 139.5 → 140
    // The radius is not scaled: 3 × 5 pane pixels away misses.
    EXPECT_EQ(FindHitPoint(m, 192 + 14, 144, 3), GridIndex{});
}

TEST(FindHitPoint, OverlappingMarkersGoToTheFirstInRowOrder) {
    MatrixRecord m = Grid();
    // (1, 2) has the smaller i but the larger j: the j loop is the outer one.
    m.Points(1, 2) = {100, 100};
    m.Points(2, 1) = {102, 100};
    EXPECT_EQ(FindHitPoint(m, 101, 100, 1), (GridIndex{2, 1}));
    // Within one row the smaller i wins.
    m.Points(3, 3) = {200, 200};
    m.Points(4, 3) = {201, 200};
    EXPECT_EQ(FindHitPoint(m, 201, 200, 1), (GridIndex{3, 3}));
}

TEST(DragPosition, BorderPointsSlideAlongTheirBorderAndCornersStay) {
    const MatrixRecord m = Grid();
    // Left border point (1, 3): X stays 0, Y follows.
    EXPECT_EQ(DragPosition(m, 1, 3, 50, 100.4, 320, 240, 1), (Point{0, 100}));
    // Top border point (3, 1): Y stays 0.
    EXPECT_EQ(DragPosition(m, 3, 1, 150, 77, 320, 240, 1), (Point{150, 0}));
    // Right and bottom borders sit on the pane's width and height.
    EXPECT_EQ(DragPosition(m, 6, 3, 10, 100, 320, 240, 1), (Point{320, 100}));
    EXPECT_EQ(DragPosition(m, 3, 6, 100, 10, 320, 240, 1), (Point{100, 240}));
    for (const auto& [i, j, corner] : {std::tuple{1, 1, Point{0, 0}},
                                       {6, 1, Point{320, 0}},
                                       {1, 6, Point{0, 240}},
                                       {6, 6, Point{320, 240}}}) {
        EXPECT_EQ(DragPosition(m, i, j, 150, 120, 320, 240, 1), corner);
        EXPECT_EQ(DragPosition(m, i, j, -500, 900, 320, 240, 1), corner);
    }
}

TEST(DragPosition, PositionsBeyondThePaneStayOnTheImage) {
    const MatrixRecord m = Grid();
    EXPECT_EQ(DragPosition(m, 3, 3, 1000, 1000, 320, 240, 1), (Point{320, 240}));
    EXPECT_EQ(DragPosition(m, 3, 3, -20, -1, 320, 240, 1), (Point{0, 0}));
    // At zoom 2 the pane is 640 × 480 and the stored point the image's border.
    EXPECT_EQ(DragPosition(m, 3, 3, 700, 500, 320, 240, 2), (Point{320, 240}));
}

TEST(DragPosition, Zoom2DividesAndRoundsTiesToEven) {
    const MatrixRecord m = Grid();
    EXPECT_EQ(DragPosition(m, 2, 2, 81, 61, 320, 240, 2), (Point{40, 30}));  // 40.5, 30.5
    EXPECT_EQ(DragPosition(m, 2, 2, 83, 61, 320, 240, 2), (Point{42, 30}));  // 41.5 → 42
    EXPECT_EQ(DragPosition(m, 2, 2, 80.6, 61.2, 320, 240, 2), (Point{40, 31}));
}

TEST(InsidePolygon, EvenOddRuleWithTheOutlineInside) {
    const std::vector<Point> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_TRUE(InsidePolygon(square, {5, 5}));
    EXPECT_TRUE(InsidePolygon(square, {10, 5}));  // on the outline
    EXPECT_TRUE(InsidePolygon(square, {0, 0}));
    EXPECT_FALSE(InsidePolygon(square, {11, 5}));
    EXPECT_FALSE(InsidePolygon(square, {5, -1}));
    // A star drawn in one stroke: its middle is covered twice, so even-odd
    // leaves it out while its points are in.
    const std::vector<Point> star{{0, -100}, {59, 81}, {-95, -31}, {95, -31}, {-59, 81}};
    EXPECT_FALSE(InsidePolygon(star, {0, 0}));
    EXPECT_TRUE(InsidePolygon(star, {0, -80}));
    // A ray through a vertex counts that vertex once.
    const std::vector<Point> diamond{{0, -10}, {10, 0}, {0, 10}, {-10, 0}};
    EXPECT_TRUE(InsidePolygon(diamond, {-5, 0}));
    EXPECT_FALSE(InsidePolygon(diamond, {-11, 0}));
    EXPECT_FALSE(InsidePolygon({{0, 0}, {5, 5}}, {0, 0}));
}

TEST(ReleaseAllowed, InnerPointMustStayInsideTheHexagonOfItsNeighbours) {
    const MatrixRecord m = Grid();
    // Point (2, 2) at (64, 48): hexagon (0,0) (64,0) (128,48) (128,96) (64,96) (0,48).
    EXPECT_TRUE(ReleaseAllowed(m, 2, 2, 100, 50, 1));
    EXPECT_TRUE(ReleaseAllowed(m, 2, 2, 10, 10, 1));
    // (20, 80) lies in the cell square left below but beyond the line from
    // (64, 96) to (0, 48), and (110, 10) beyond the one from (64, 0) to (128, 48).
    EXPECT_FALSE(ReleaseAllowed(m, 2, 2, 20, 80, 1));
    EXPECT_FALSE(ReleaseAllowed(m, 2, 2, 110, 10, 1));
    // At zoom 2 the release position is halved first (200, 100) → (100, 50).
    EXPECT_TRUE(ReleaseAllowed(m, 2, 2, 200, 100, 2));
    EXPECT_FALSE(ReleaseAllowed(m, 2, 2, 40, 160, 2));
}

TEST(ReleaseAllowed, InnerPointUsesTheUnclampedReleasePosition) {
    const MatrixRecord m = Grid();
    // Point (5, 2) at (256, 48) next to the right border: the clamped position
    // (320, 60) would lie on its hexagon's outline, the real one beyond it.
    EXPECT_TRUE(ReleaseAllowed(m, 5, 2, 320, 60, 1));
    EXPECT_FALSE(ReleaseAllowed(m, 5, 2, 330, 60, 1));
}

TEST(ReleaseAllowed, BorderPointsStayWithinTheirNeighboursInclusive) {
    const MatrixRecord m = Grid();
    // Top border point (3, 1) between x = 64 and x = 192.
    EXPECT_FALSE(ReleaseAllowed(m, 3, 1, 63.5, 0, 1));
    EXPECT_TRUE(ReleaseAllowed(m, 3, 1, 64, 0, 1));
    EXPECT_TRUE(ReleaseAllowed(m, 3, 1, 192, -40, 1));  // y does not matter
    EXPECT_FALSE(ReleaseAllowed(m, 3, 1, 192.5, 0, 1));
    // Bottom border at zoom 2: 128 ≤ x ≤ 384.
    EXPECT_TRUE(ReleaseAllowed(m, 3, 6, 128, 480, 2));
    EXPECT_FALSE(ReleaseAllowed(m, 3, 6, 127, 480, 2));
    // Left border point (1, 3) between y = 48 and y = 144.
    EXPECT_TRUE(ReleaseAllowed(m, 1, 3, 0, 144, 1));
    EXPECT_FALSE(ReleaseAllowed(m, 1, 3, 0, 145, 1));
    EXPECT_FALSE(ReleaseAllowed(m, 6, 3, 320, 47, 1));
}

TEST(ReleaseAllowed, CornersAreNeverCheckedAndBadIndicesNeverPass) {
    const MatrixRecord m = Grid();
    EXPECT_TRUE(ReleaseAllowed(m, 1, 1, 5000, 5000, 1));
    EXPECT_TRUE(ReleaseAllowed(m, 6, 6, -5000, 0, 3));
    EXPECT_FALSE(ReleaseAllowed(m, 0, 3, 0, 100, 1));
    EXPECT_FALSE(ReleaseAllowed(m, 7, 3, 0, 100, 1));
}

TEST(GridCountsFit, CellsOfAtLeastFivePixels) {
    EXPECT_FALSE(GridCountsFit(40, 40, 10, 10));
    EXPECT_TRUE(GridCountsFit(50, 50, 10, 10));
    EXPECT_FALSE(GridCountsFit(50, 49, 10, 10));  // 4.9 pixels high
    EXPECT_TRUE(GridCountsFit(320, 240, 40, 40));
    EXPECT_FALSE(GridCountsFit(320, 240, 0, 5));
    EXPECT_FALSE(GridCountsFit(320, 240, 5, -1));
}

TEST(RepeatPixels, EveryPixelBecomesABlock) {
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, 0xFF112233);
    image.setPixel(1, 0, 0xFF445566);
    const QImage zoomed = RepeatPixels(image, 3);
    ASSERT_EQ(zoomed.size(), QSize(6, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(zoomed.pixel(x, y), x < 3 ? 0xFF112233 : 0xFF445566);
    EXPECT_EQ(RepeatPixels(image, 1), image);
}

TEST(DocumentSnapshot, RestoringKeepsTheImagePaths) {
    MorphDocument document;
    document.Matrix(1) = Grid();
    document.Matrix(1).ImagePath = "/saved/start.bmp";
    DocumentSnapshot old = TakeSnapshot(document, 0x123456);
    old.matrices[0].Points(2, 2) = {1, 2};
    old.LastFrame = 7;
    EXPECT_EQ(RestoreSnapshot(document, old), 0x123456);
    EXPECT_EQ(document.Matrix(1).Points(2, 2), (Point{1, 2}));
    EXPECT_EQ(document.LastFrame, 7);
    EXPECT_EQ(document.Matrix(1).ImagePath, "/saved/start.bmp");
}

}  // namespace
}  // namespace fennix
