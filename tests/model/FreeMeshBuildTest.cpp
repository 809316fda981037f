#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/FreeMesh.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

using test::Grid;

// A small, fixed generator so every run sees the same point sets.
class Random {
  public:
    explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    int Below(int n) {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<int>((state_ >> 8) % static_cast<uint32_t>(n));
    }
    int Between(int low, int high) { return low + Below(high - low + 1); }

  private:
    uint32_t state_;
};

// Inner grid points moved by up to `shake` pixels, border points along
// their border, so that the grid still tiles its rectangle when the shake
// is small against the cells.
MatrixRecord Shaken(MatrixRecord m, int shake, Random& random) {
    if (shake == 0) return m;
    for (int j = 1; j <= m.Columns + 1; ++j)
        for (int i = 1; i <= m.Rows + 1; ++i) {
            const bool cornerI = i == 1 || i == m.Rows + 1, cornerJ = j == 1 || j == m.Columns + 1;
            if (!cornerI) m.Points(i, j).X += random.Between(-shake, shake);
            if (!cornerJ) m.Points(i, j).Y += random.Between(-shake, shake);
        }
    return m;
}

// How the free start points of a round are laid.
enum class Layout { Scattered, Coarse, Collinear, Diagonal, Cocircular, OnGridLines, Clustered };

std::vector<Point> StartPoints(Layout layout, int count, const MatrixRecord& grid, Random& random) {
    const int w = grid.Width, h = grid.Height;
    std::vector<Point> points;
    for (int n = 0; n < count; ++n) {
        switch (layout) {
            case Layout::Scattered:
                points.push_back({random.Between(-3, w + 3), random.Between(-3, h + 3)});
                break;
            case Layout::Coarse:  // on one another, on grid lines and corners
                points.push_back({random.Between(0, 6) * w / 6, random.Between(0, 6) * h / 6});
                break;
            case Layout::Collinear:
                points.push_back({random.Between(0, w), h / 3});
                break;
            case Layout::Diagonal: {
                const int t = random.Between(0, std::min(w, h));
                points.push_back({t, t});
                break;
            }
            case Layout::Cocircular: {
                // The whole-number points of the circle of radius 25 (and
                // 65, which has many): every four of them share a circle.
                static const int kRim[][2] = {
                    {25, 0},   {24, 7},   {20, 15}, {15, 20},  {7, 24},   {0, 25},    {-7, 24},
                    {-15, 20}, {-20, 15}, {-24, 7}, {-25, 0},  {-24, -7}, {-20, -15}, {-15, -20},
                    {-7, -24}, {0, -25},  {7, -24}, {15, -20}, {20, -15}, {24, -7}};
                const int k = random.Below(20);
                const int scale = random.Below(4) == 0 ? 2 : 1;
                points.push_back({w / 2 + kRim[k][0] * scale, h / 2 + kRim[k][1] * scale});
                break;
            }
            case Layout::OnGridLines: {
                const int i = random.Between(1, grid.Rows + 1), j = random.Between(1, grid.Columns);
                const Point a = grid.Points(i, j), b = grid.Points(i, j + 1);
                const int t = random.Between(0, 4);
                points.push_back({a.X + (b.X - a.X) * t / 4, a.Y + (b.Y - a.Y) * t / 4});
                break;
            }
            case Layout::Clustered:
                points.push_back({w / 2 + random.Between(-2, 2), h / 2 + random.Between(-2, 2)});
                break;
        }
    }
    return points;
}

std::string Describe(int round, Layout layout, int count) {
    return "round " + std::to_string(round) + ", layout " +
           std::to_string(static_cast<int>(layout)) + ", " + std::to_string(count) + " points";
}

void ExpectSameMesh(const MatrixRecord& start, const MatrixRecord& end, const std::string& what) {
    // A grid that tiles its rectangle is always built the quick way.
    const auto quickly = BuildFreeMeshQuickly(start, end);
    ASSERT_EQ(quickly.has_value(), TilesRectangle(start)) << what;
    const FreeMesh quick = BuildFreeMesh(start, end);
    if (quickly) {
        ASSERT_EQ(quickly->Triangles, quick.Triangles) << what;
    }
    const FreeMesh plain = BuildFreeMeshReference(start, end);
    ASSERT_EQ(quick.Triangles, plain.Triangles) << what;
    EXPECT_EQ(quick.Unplaced, plain.Unplaced) << what;
    EXPECT_EQ(quick.FirstUnplaced, plain.FirstUnplaced) << what;
}

// The quick build gives the plain build's triangles, in its order, for
// point sets of every kind: scattered (some outside the grid), on one
// another, along a line, on a circle, on the grid's lines and corners,
// crowded into a few pixels; with end points where the start points are,
// shaken a little or thrown anywhere (which forbids flips that fold).
TEST(FreeMeshBuild, QuickBuildGivesThePlainTriangles) {
    const Layout layouts[] = {Layout::Scattered, Layout::Coarse,     Layout::Collinear,
                              Layout::Diagonal,  Layout::Cocircular, Layout::OnGridLines,
                              Layout::Clustered};
    int quickRounds = 0;
    for (int round = 0; round < 420; ++round) {
        Random random(static_cast<uint32_t>(round));
        const Layout layout = layouts[round % 7];
        const int cells = 1 + random.Below(6);
        const int w = 120 + random.Below(200), h = 90 + random.Below(150);
        MatrixRecord start =
            Shaken(Grid(w, h, cells, cells + random.Below(3)), random.Below(3) * 2, random);
        MatrixRecord end = Shaken(start, 3, random);
        const int count = 1 + random.Below(round % 5 == 0 ? 400 : 60);
        start.FreePoints = StartPoints(layout, count, start, random);
        const int endKind = round / 7 % 3;
        for (const Point p : start.FreePoints)
            end.FreePoints.push_back(
                endKind == 0   ? p
                : endKind == 1 ? Point{p.X + random.Between(-4, 4), p.Y + random.Between(-4, 4)}
                               : Point{random.Between(0, w), random.Between(0, h)});
        quickRounds += TilesRectangle(start);
        ExpectSameMesh(start, end, Describe(round, layout, count));
    }
    // Nearly every grid above takes the quick way.
    EXPECT_GT(quickRounds, 380);
}

// Grids the quick way does not take (folded, flat cells, an outline off
// the rectangle, a mirrored grid) still give the plain triangles.
TEST(FreeMeshBuild, OtherGridsGiveThePlainTriangles) {
    const auto bend = [](MatrixRecord m, int kind) {
        switch (kind) {
            case 0:  // an inner point pulled across its neighbour: folded
                m.Points(2, 2) = m.Points(3, 3);
                m.Points(2, 2).X += 7;
                break;
            case 1:  // a flat cell
                m.Points(2, 2) = m.Points(2, 3);
                break;
            case 2:  // a border point off the border
                m.Points(1, 2).X += 9;
                break;
            case 3:  // mirrored left to right
                for (int j = 1; j <= m.Columns + 1; ++j)
                    for (int i = 1; i <= m.Rows + 1; ++i)
                        m.Points(i, j).X = m.Width - m.Points(i, j).X;
                break;
        }
        return m;
    };
    for (int kind = 0; kind < 4; ++kind)
        for (int round = 0; round < 20; ++round) {
            Random random(static_cast<uint32_t>(1000 + round));
            MatrixRecord start = bend(Grid(160, 120, 4, 3), kind);
            EXPECT_FALSE(TilesRectangle(start)) << kind;
            MatrixRecord end = start;
            start.FreePoints =
                StartPoints(round % 2 ? Layout::Scattered : Layout::Coarse, 40, start, random);
            for (const Point p : start.FreePoints)
                end.FreePoints.push_back(
                    {p.X + random.Between(-5, 5), p.Y + random.Between(-5, 5)});
            ExpectSameMesh(start, end,
                           "kind " + std::to_string(kind) + ", round " + std::to_string(round));
        }
}

TEST(FreeMeshBuild, WhichGridsTileTheirRectangle) {
    MatrixRecord regular = Grid(100, 80, 4, 4);
    EXPECT_TRUE(TilesRectangle(regular));
    EXPECT_TRUE(TilesRectangle(Grid(7, 5, 1, 1)));
    MatrixRecord moved = regular;
    moved.Points(3, 3).X += 9;  // inside its cells still
    EXPECT_TRUE(TilesRectangle(moved));
    MatrixRecord slid = regular;
    slid.Points(3, 1).X += 5;  // along the top border
    EXPECT_TRUE(TilesRectangle(slid));
    MatrixRecord past = regular;
    past.Points(3, 1).X = past.Points(4, 1).X;  // onto its neighbour on the border
    EXPECT_FALSE(TilesRectangle(past));
    MatrixRecord off = regular;
    off.Points(1, 3).X = 1;  // off the left border
    EXPECT_FALSE(TilesRectangle(off));
    MatrixRecord crossed = regular;
    crossed.Points(3, 3).X = crossed.Points(4, 3).X + 2;  // over its neighbour
    EXPECT_FALSE(TilesRectangle(crossed));
    MatrixRecord partial = regular;
    partial.Points.Redim(3, 3);
    EXPECT_FALSE(TilesRectangle(partial));
}

// Two thousand pairs over a fine grid: still the plain triangles, every
// point placed, the shaken mesh unfolded.
TEST(FreeMeshBuild, ManyPairsGiveThePlainTriangles) {
    Random random(77);
    MatrixRecord start = Grid(1000, 800, 10, 10), end = start;
    for (int n = 0; n < 2000; ++n) {
        const Point p{random.Between(1, 999), random.Between(1, 799)};
        start.FreePoints.push_back(p);
        end.FreePoints.push_back(p);
    }
    const auto quickly = BuildFreeMeshQuickly(start, end);
    ASSERT_TRUE(quickly.has_value());
    const FreeMesh& quick = *quickly;
    const FreeMesh plain = BuildFreeMeshReference(start, end);
    ASSERT_EQ(quick.Triangles, plain.Triangles);
    EXPECT_EQ(quick.Unplaced, plain.Unplaced);
    EXPECT_EQ(quick.Triangles.size(), 200 + 2 * (2000 - static_cast<size_t>(quick.Unplaced)));
}

}  // namespace
}  // namespace fennix
