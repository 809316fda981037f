#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/FreeMesh.h"
#include "model/FreePairCheck.h"
#include "model/FreePointEditing.h"
#include "model/PointDrag.h"
#include "model/PointsFile.h"
#include "model/ProjectFile.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

using test::Grid;

struct Pair {
    Point start, end;
};

// One check for every way in: each set of pairs over a 2 × 2 grid of
// 100 × 100 (grid points every 50 pixels) passes or fails at its pair.
TEST(FreePairCheck, EachFaultNamesItsPair) {
    struct Case {
        const char* what;
        std::vector<Pair> pairs;
        FreePairFault fault;
        int pair, other;
    };
    const Case cases[] = {
        {"none", {}, FreePairFault::None, -1, -1},
        {"one inside", {{{30, 20}, {32, 21}}}, FreePairFault::None, -1, -1},
        {"on the outline", {{{0, 30}, {0, 31}}}, FreePairFault::None, -1, -1},
        {"on a grid line", {{{50, 25}, {50, 26}}}, FreePairFault::None, -1, -1},
        {"start beyond the width",
         {{{10, 10}, {10, 10}}, {{101, 10}, {99, 10}}},
         FreePairFault::StartOutside,
         1,
         -1},
        {"start above", {{{10, -1}, {10, 0}}}, FreePairFault::StartOutside, 0, -1},
        {"end beyond the height", {{{10, 10}, {10, 101}}}, FreePairFault::EndOutside, 0, -1},
        {"end left of the picture", {{{10, 10}, {-1, 10}}}, FreePairFault::EndOutside, 0, -1},
        {"on an inner grid point",
         {{{20, 20}, {20, 20}}, {{50, 50}, {52, 52}}},
         FreePairFault::OnGridPoint,
         1,
         -1},
        {"on a corner", {{{100, 100}, {99, 99}}}, FreePairFault::OnGridPoint, 0, -1},
        {"on a border grid point", {{{50, 0}, {50, 0}}}, FreePairFault::OnGridPoint, 0, -1},
        {"two on one start point",
         {{{30, 30}, {31, 31}}, {{70, 70}, {70, 70}}, {{30, 30}, {40, 40}}},
         FreePairFault::SameStart,
         2,
         0},
        {"end folds across the mesh", {{{30, 20}, {95, 95}}}, FreePairFault::Folds, 0, -1},
        {"the pair that folds, not its neighbour",
         {{{20, 30}, {20, 30}}, {{30, 20}, {30, 20}}, {{25, 27}, {90, 80}}},
         FreePairFault::Folds,
         2,
         -1},
        {"ends on one place fold",
         {{{20, 30}, {25, 25}}, {{30, 20}, {25, 25}}},
         FreePairFault::Folds,
         0,
         -1},
    };
    for (const Case& c : cases) {
        MatrixRecord start = Grid(100, 100, 2, 2), end = start;
        for (const Pair& p : c.pairs) {
            start.FreePoints.push_back(p.start);
            end.FreePoints.push_back(p.end);
        }
        const FreePairCheck check = CheckFreePairs(start, end);
        EXPECT_EQ(check.Fault, c.fault) << c.what;
        EXPECT_EQ(check.Pair, c.pair) << c.what;
        EXPECT_EQ(check.Other, c.other) << c.what;
        EXPECT_EQ(check.Passed(), c.fault == FreePairFault::None) << c.what;
        // A set that passes has a mesh without folds, every pair placed.
        if (check.Passed()) {
            EXPECT_TRUE(MeshUnfolded(start, end)) << c.what;
        }
        EXPECT_EQ(FreePairFaultText(check, 3).empty(), check.Passed()) << c.what;
    }
}

// A start point within the picture but outside the grid's outline (a grid
// that does not reach the picture's edge) finds no place.
TEST(FreePairCheck, OutsideTheGridFindsNoPlace) {
    MatrixRecord start = Grid(100, 100, 2, 2);
    for (int j = 1; j <= 3; ++j) start.Points(3, j).X = 80;  // the right side pulled in
    MatrixRecord end = start;
    start.FreePoints = {{20, 20}, {90, 50}};
    end.FreePoints = {{20, 20}, {90, 50}};
    const FreePairCheck check = CheckFreePairs(start, end);
    EXPECT_EQ(check.Fault, FreePairFault::NoPlace);
    EXPECT_EQ(check.Pair, 1);
}

// A grid that folds by itself (the plain format allows one) is not laid at
// the pairs' door; their places are still checked.
TEST(FreePairCheck, AGridFoldedByItselfIsNotThePairsFault) {
    MatrixRecord start = Grid(100, 100, 2, 2), end = start;
    end.Points(2, 2) = {95, 95};  // folds the end grid alone
    start.FreePoints = {{30, 20}};
    end.FreePoints = {{30, 20}};
    EXPECT_TRUE(CheckFreePairs(start, end).Passed());
    start.FreePoints.push_back({50, 50});
    end.FreePoints.push_back({60, 60});
    EXPECT_EQ(CheckFreePairs(start, end).Fault, FreePairFault::OnGridPoint);
}

// The whole set is checked, not its beginnings: three pairs that move a
// patch bodily pass together, though the first alone folds the mesh.
TEST(FreePairCheck, TheWholeSetCounts) {
    const std::vector<Pair> patch = {
        {{22, 40}, {47, 61}}, {{36, 47}, {61, 68}}, {{36, 44}, {61, 65}}};
    MatrixRecord start = Grid(160, 120, 2, 2), end = start;
    for (size_t n = 0; n < patch.size(); ++n) {
        start.FreePoints.push_back(patch[n].start);
        end.FreePoints.push_back(patch[n].end);
        const FreePairCheck check = CheckFreePairs(start, end);
        if (n == 0) {
            EXPECT_EQ(check.Fault, FreePairFault::Folds);
            EXPECT_EQ(check.Pair, 0);
        }
        if (n == 2) {
            EXPECT_TRUE(check.Passed());
        }
    }
    EXPECT_TRUE(MeshUnfolded(start, end));
}

// The window's edits keep to the same check: a free point let go on a
// grid point or on another pair's start point goes back even where the
// grid folds by itself (which excuses only folds).
TEST(FreePairCheck, TheWindowsEditsKeepToIt) {
    MorphDocument document;
    document.Matrix(1) = Grid(100, 100, 2, 2);
    document.Matrix(2) = document.Matrix(1);
    document.Matrix(2).Points(2, 2) = {95, 95};  // folds the end grid alone
    document.Matrix(1).PointerSize = document.Matrix(2).PointerSize = 4;
    ASSERT_EQ(AddFreePair(document, 1, 30, 20, 100, 100), 0);
    ASSERT_EQ(AddFreePair(document, 1, 70, 20, 100, 100), 1);
    EXPECT_FALSE(AddFreePair(document, 1, 50, 50, 100, 100));  // a grid point
    EXPECT_FALSE(AddFreePair(document, 1, 30, 20, 100, 100));  // a start point
    const struct {
        int x, y;
        PointRelease::Result result;
    } releases[] = {{50, 50, PointRelease::PutBack},
                    {30, 20, PointRelease::PutBack},
                    {100, 100, PointRelease::PutBack},
                    {60, 30, PointRelease::Moved}};
    for (const auto& r : releases) {
        HoldFreePoint(document, 1, 1);
        MoveHeldFreePoint(document, 1, r.x, r.y, 100, 100);
        EXPECT_EQ(ReleaseHeldFreePoint(document, 1).result, r.result) << r.x << "," << r.y;
        EXPECT_TRUE(CheckFreePairs(document.Matrix(1), document.Matrix(2)).Passed());
    }
    EXPECT_EQ(document.Matrix(1).FreePoints[1], (Point{60, 30}));
}

// A finer grid puts a grid point where a pair's start point was: the
// pair goes (the grid point took its end point from the mesh), the others
// stay, and the set still passes.
TEST(FreePairCheck, RefiningDropsPairsOnTheNewGridPoints) {
    MatrixRecord start = Grid(100, 100, 2, 2), end = start;
    start.FreePoints = {{30, 20}, {25, 50}, {75, 75}};
    end.FreePoints = {{32, 21}, {27, 52}, {76, 75}};
    ASSERT_TRUE(CheckFreePairs(start, end).Passed());
    RefineGrids(start, end);
    EXPECT_EQ(start.FreePoints, (std::vector<Point>{{30, 20}}));
    EXPECT_EQ(end.FreePoints, (std::vector<Point>{{32, 21}}));
    EXPECT_EQ(end.Points(2, 3), (Point{27, 52}));
    EXPECT_EQ(end.Points(4, 4), (Point{76, 75}));
    EXPECT_TRUE(CheckFreePairs(start, end).Passed());
}

// The points file's form: pairs and their lines, or the first bad line.
TEST(PointsFile, ParsesPairsOrNamesTheLine) {
    struct Case {
        std::string text;
        std::vector<Pair> pairs;
        std::vector<int> lines;
        PointsFileFault fault;
        int line;
    };
    const Case cases[] = {
        {"", {}, {}, PointsFileFault::None, 0},
        {"\n\n# nothing\n   \n", {}, {}, PointsFileFault::None, 0},
        {"1 2 3 4", {{{1, 2}, {3, 4}}}, {1}, PointsFileFault::None, 0},
        {"# x1 y1 x2 y2\r\n\r\n 10\t20  30 40 \r\n5 6 7 8\n",
         {{{10, 20}, {30, 40}}, {{5, 6}, {7, 8}}},
         {3, 4},
         PointsFileFault::None,
         0},
        {"2.5 3.5 -0.5 1e1\n", {{{2, 4}, {0, 10}}}, {1}, PointsFileFault::None, 0},
        {"1 2 3 4\n1 2 3\n", {}, {}, PointsFileFault::NotFourNumbers, 2},
        {"1 2 3 4 5\n", {}, {}, PointsFileFault::NotFourNumbers, 1},
        {"1 2 a 4\n", {}, {}, PointsFileFault::NotFourNumbers, 1},
        {"1 2 3 4 # note\n", {}, {}, PointsFileFault::NotFourNumbers, 1},
        {"1 2 3 1e9\n", {}, {}, PointsFileFault::NotFourNumbers, 1},
        {"1 2 3 nan\n", {}, {}, PointsFileFault::NotFourNumbers, 1},
        {"1 2 3 0x10\n", {}, {}, PointsFileFault::NotFourNumbers, 1},
        {"1,5 2 3 4\n", {}, {}, PointsFileFault::NotFourNumbers, 1},
        {std::string("1 2 3 4\n5 6 7\0 8\n", 17), {}, {}, PointsFileFault::NotFourNumbers, 2},
    };
    for (const Case& c : cases) {
        const PointPairs read = ParsePointPairs(c.text);
        EXPECT_EQ(read.Fault, c.fault) << c.text;
        EXPECT_EQ(read.FaultLine, c.line) << c.text;
        std::vector<Point> starts, ends;
        for (const Pair& p : c.pairs) {
            starts.push_back(p.start);
            ends.push_back(p.end);
        }
        EXPECT_EQ(read.Start, starts) << c.text;
        EXPECT_EQ(read.End, ends) << c.text;
        EXPECT_EQ(read.Lines, c.lines) << c.text;
    }
}

TEST(PointsFile, AtMostTheProjectsPairs) {
    std::string text;
    for (int n = 0; n < kMaxFreePairs; ++n) text += "1 2 3 4\n";
    EXPECT_EQ(ParsePointPairs(text).Start.size(), static_cast<size_t>(kMaxFreePairs));
    const PointPairs over = ParsePointPairs(text + "# one more\n5 6 7 8\n");
    EXPECT_EQ(over.Fault, PointsFileFault::TooMany);
    EXPECT_EQ(over.FaultLine, kMaxFreePairs + 2);
    EXPECT_TRUE(over.Start.empty());
}

}  // namespace
}  // namespace fennix
