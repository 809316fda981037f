#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "model/MatrixEditing.h"
#include "model/UnfoldedMove.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

std::vector<PointTarget> Targets(const MatrixRecord& m) {
    std::vector<PointTarget> t;
    for (int j = 1; j <= m.Columns + 1; ++j)
        for (int i = 1; i <= m.Rows + 1; ++i)
            t.push_back({double(m.Points(i, j).X), double(m.Points(i, j).Y)});
    return t;
}

PointTarget& At(std::vector<PointTarget>& t, const MatrixRecord& m, int i, int j) {
    return t[static_cast<size_t>(j - 1) * (m.Rows + 1) + (i - 1)];
}

// Every point of the result could have been let go there by hand: the
// release check of a drag passes for each, at 100 %.
void ExpectEveryReleaseAllowed(const MatrixRecord& m) {
    for (int j = 1; j <= m.Columns + 1; ++j)
        for (int i = 1; i <= m.Rows + 1; ++i)
            EXPECT_TRUE(ReleaseAllowed(m, i, j, m.Points(i, j).X, m.Points(i, j).Y, 1))
                << "point " << i << "," << j;
}

TEST(GridUnfolded, RegularGridsAndFolds) {
    MatrixRecord m = test::Grid(320, 240, 5, 4);
    EXPECT_TRUE(GridUnfolded(m));
    m.Points(3, 3).X = m.Points(4, 3).X + 1;  // past its right neighbour
    EXPECT_FALSE(GridUnfolded(m));
    m = test::Grid(320, 240, 5, 4);
    m.Points(3, 3) = m.Points(3, 2);  // onto its upper neighbour: flat triangles
    EXPECT_FALSE(GridUnfolded(m));
    m = test::Grid(320, 240, 5, 4);
    m.Rows = 6;  // counts that do not match the points
    EXPECT_FALSE(GridUnfolded(m));
}

// Targets that would fold the mesh in every way: what comes out is always
// unfolded, corners stay, border points stay on their border, and points
// whose target was harmless reach it.
TEST(MoveUnfolded, NeverFolds) {
    struct Case {
        const char* name;
        std::function<void(std::vector<PointTarget>&, const MatrixRecord&)> change;
        int heldBackAtMost;  // -1: any
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Case> cases = {
        {"a smooth shift",
         [](auto& t, auto& m) {
             for (int j = 2; j <= m.Columns; ++j)
                 for (int i = 2; i <= m.Rows; ++i) At(t, m, i, j).X += 10, At(t, m, i, j).Y -= 7;
         },
         0},
        {"one point past its neighbour", [](auto& t, auto& m) { At(t, m, 3, 3).X += 100; }, 1},
        {"two points swapped", [](auto& t, auto& m) { std::swap(At(t, m, 2, 2), At(t, m, 3, 2)); },
         2},
        {"everything onto one place",
         [](auto& t, auto&) {
             for (auto& p : t) p = {100, 100};
         },
         -1},
        {"a mirror image",
         [](auto& t, auto& m) {
             for (auto& p : t) p.X = m.Width - p.X;
         },
         -1},
        {"far outside, and not numbers",
         [nan](auto& t, auto& m) {
             At(t, m, 2, 2) = {-1e9, 1e12};
             At(t, m, 4, 3) = {nan, nan};
             At(t, m, 1, 3) = {50, 1e6};  // a left border point
         },
         -1},
        {"corners asked to move",
         [](auto& t, auto& m) {
             At(t, m, 1, 1) = {30, 30};
             At(t, m, m.Rows + 1, m.Columns + 1) = {10, 10};
         },
         0},
        {"random places",
         [](auto& t, auto& m) {
             unsigned seed = 7;
             for (auto& p : t) {
                 seed = seed * 1103515245u + 12345u;
                 p.X = (seed >> 8) % (m.Width + 1);
                 seed = seed * 1103515245u + 12345u;
                 p.Y = (seed >> 8) % (m.Height + 1);
             }
         },
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MatrixRecord m = test::Grid(320, 240, 5, 4);
        const MatrixRecord before = m;
        std::vector<PointTarget> targets = Targets(m);
        c.change(targets, m);
        const UnfoldedMoveResult result = MoveUnfolded(m, targets);
        EXPECT_TRUE(GridUnfolded(m));
        ExpectEveryReleaseAllowed(m);
        EXPECT_EQ(result.moved + result.heldBack, 30);
        if (c.heldBackAtMost >= 0) {
            EXPECT_LE(result.heldBack, c.heldBackAtMost);
        }
        EXPECT_EQ(m.Points(1, 1), before.Points(1, 1));
        EXPECT_EQ(m.Points(6, 5), before.Points(6, 5));
        for (int i = 1; i <= 6; ++i) {
            EXPECT_EQ(m.Points(i, 1).Y, 0);
            EXPECT_EQ(m.Points(i, 5).Y, 240);
        }
        for (int j = 1; j <= 5; ++j) {
            EXPECT_EQ(m.Points(1, j).X, 0);
            EXPECT_EQ(m.Points(6, j).X, 320);
        }
    }
}

// A point that would fold stops at the nearest place on its way that does
// not, rather than staying where it was.
TEST(MoveUnfolded, AFoldingPointGoesAsFarAsItCan) {
    MatrixRecord m = test::Grid(300, 300, 3, 3);  // points at 0, 100, 200, 300
    std::vector<PointTarget> targets = Targets(m);
    At(targets, m, 2, 2).X = 250;  // past its right neighbour at 200
    MoveUnfolded(m, targets);
    EXPECT_GE(m.Points(2, 2).X, 190);
    EXPECT_LT(m.Points(2, 2).X, 200);
    EXPECT_EQ(m.Points(2, 2).Y, 100);
}

// A grid folded before the move (an old project) comes out unfolded.
TEST(MoveUnfolded, AFoldedGridComesOutUnfolded) {
    MatrixRecord m = test::Grid(320, 240, 5, 4);
    m.Points(3, 3) = {300, 10};
    ASSERT_FALSE(GridUnfolded(m));
    std::vector<PointTarget> targets = Targets(m);
    MoveUnfolded(m, targets);
    EXPECT_TRUE(GridUnfolded(m));
}

}  // namespace
}  // namespace fennix
