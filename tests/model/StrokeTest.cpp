#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

#include "core/AppFolder.h"
#include "model/FreeMesh.h"
#include "model/FreePairCheck.h"
#include "model/ProjectFile.h"
#include "model/StrokeMaking.h"
#include "support/TestFolder.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

std::vector<Point> Arc(double cx, double cy, double rx, double ry, double from, double to, int count) {
    std::vector<Point> curve;
    for (int k = 0; k < count; ++k) {
        const double a = from + (to - from) * k / (count - 1);
        curve.push_back({static_cast<int>(std::lround(cx + rx * std::cos(a))),
                         static_cast<int>(std::lround(cy + ry * std::sin(a)))});
    }
    return curve;
}

bool HasEdge(const FreeMesh& mesh, int u, int w) {
    return std::any_of(mesh.Triangles.begin(), mesh.Triangles.end(), [&](const MeshTriangle& t) {
        return std::count(t.begin(), t.end(), u) + std::count(t.begin(), t.end(), w) == 2;
    });
}

// True when u–w is an edge, or runs through a corner v with u–v and v–w
// held so.
bool Held(const FreeMesh& mesh, const std::vector<Point>& at, int u, int w) {
    if (HasEdge(mesh, u, w)) return true;
    const Point a = at[static_cast<size_t>(u)], b = at[static_cast<size_t>(w)];
    for (size_t v = 0; v < at.size(); ++v) {
        const Point p = at[v];
        const int64_t cross = int64_t{b.X - a.X} * (p.Y - a.Y) - int64_t{b.Y - a.Y} * (p.X - a.X);
        const int64_t along = int64_t{p.X - a.X} * (b.X - a.X) + int64_t{p.Y - a.Y} * (b.Y - a.Y);
        const int64_t length = int64_t{b.X - a.X} * (b.X - a.X) + int64_t{b.Y - a.Y} * (b.Y - a.Y);
        if (cross == 0 && along > 0 && along < length)
            return Held(mesh, at, u, static_cast<int>(v)) && Held(mesh, at, static_cast<int>(v), w);
    }
    return false;
}

// Every segment of every stroke is an edge of the mesh (or its pieces
// between the grid points it runs through are), the quick and the
// plain build give the same triangles, and the mesh does not fold: for
// strokes open and closed, beside free points, on grids of a few sizes,
// with the end grid bent.
TEST(StrokeMesh, SegmentsAreEdgesAndBothBuildsAgree) {
    struct Case {
        int rows;
        bool closed;
        bool freePoints;
        bool bentGrid;
    };
    for (const Case c : {Case{1, false, false, false}, Case{3, true, false, false}, Case{6, true, true, true},
                         Case{10, false, true, true}, Case{20, true, true, false}}) {
        MatrixRecord start = test::Grid(300, 200, c.rows, c.rows), end = start;
        if (c.bentGrid)
            for (int j = 2; j <= c.rows; ++j)
                for (int i = 2; i <= c.rows; ++i) end.Points(i, j).X += 3;
        if (c.freePoints) {
            start.FreePoints = {{21, 17}, {251, 163}};
            end.FreePoints = {{25, 19}, {247, 160}};
        }
        const auto startCurve = c.closed ? Arc(150, 100, 80, 60, 0, 2 * M_PI * 359 / 360, 360)
                                         : Arc(150, 100, 90, 50, 0.2, 2.9, 100);
        // The end curve of fewer points, a little moved and stretched (as
        // far again as the bent grid's points).
        // A grid as fine as the points' spacing holds the curve where it
        // is: moved, it would pass grid points on their other sides.
        const double x = c.bentGrid ? 155 : c.rows < 20 ? 152 : 150;
        const double stretch = c.rows < 20 ? 2 : 0;
        const auto endCurve = c.rows == 20 ? startCurve : c.closed ? Arc(x, 100, 80 + stretch, 60 - stretch / 2, 0, 2 * M_PI * 89 / 90, 90)
                                       : Arc(x, 100, 90 + stretch, 50 - stretch / 2, 0.2, 2.9, 40);
        ASSERT_EQ(AddStroke(start, end, startCurve, endCurve, c.closed), "") << c.rows;
        const auto& points = start.Strokes[0].Points;
        ASSERT_GE(points.size(), 15u);
        const FreeMesh quick = *BuildFreeMeshQuickly(start, end);
        const FreeMesh plain = BuildFreeMeshReference(start, end);
        EXPECT_EQ(quick.Triangles, plain.Triangles) << c.rows;
        EXPECT_EQ(quick.Unforced, 0);
        EXPECT_TRUE(MeshUnfolded(start, end));
        const int first = (c.rows + 1) * (c.rows + 1) + static_cast<int>(start.FreePoints.size());
        const int count = static_cast<int>(points.size());
        const std::vector<Point> at = SharedMeshCorners(start, start, end);
        for (int k = 0; k + 1 < count; ++k) EXPECT_TRUE(Held(quick, at, first + k, first + k + 1)) << k;
        if (c.closed) EXPECT_TRUE(Held(quick, at, first + count - 1, first));
    }
}

// Without strokes the mesh is what it always was; a stroke that crosses
// another, or whose end curve turns its points round, is refused and
// leaves the records as they were.
TEST(StrokeMesh, CrossingOrFoldingStrokesAreRefused) {
    MatrixRecord start = test::Grid(200, 200, 4, 4), end = start;
    ASSERT_EQ(AddStroke(start, end, {{30, 100}, {170, 100}}, {{30, 100}, {170, 100}}, false), "");
    const MatrixRecord startBefore = start, endBefore = end;
    const std::string crossing = AddStroke(start, end, {{110, 20}, {110, 180}}, {{110, 20}, {110, 180}}, false);
    EXPECT_NE(crossing.find("線 2："), std::string::npos) << crossing;
    EXPECT_NE(crossing.find("メッシュの辺にできません"), std::string::npos) << crossing;
    EXPECT_EQ(start, startBefore);
    EXPECT_EQ(end, endBefore);
    // The end curve running the other way round a grid point folds the mesh.
    const std::string folds = AddStroke(start, end, {{20, 20}, {90, 20}}, {{90, 45}, {20, 45}}, false);
    EXPECT_FALSE(folds.empty());
    EXPECT_EQ(start, startBefore);
    // Removing the stroke gives the grid's own mesh back.
    ASSERT_TRUE(RemoveStroke(start, end, 0));
    EXPECT_FALSE(RemoveStroke(start, end, 0));
    EXPECT_EQ(BuildFreeMesh(start, end).Triangles, BuildFreeMesh(test::Grid(200, 200, 4, 4), test::Grid(200, 200, 4, 4)).Triangles);
}

// Points along both curves at the same fractions of their lengths: every
// ~12 pixels of the start curve, both ends of an open curve, a closed one
// not repeating its first; places taken by grid points, free points or
// another stroke are left out.
TEST(StrokeMaking, PointsAtEqualFractionsOfBothCurves) {
    const auto open = PlaceAlongCurves({{0, 0}, {120, 0}}, {{0, 10}, {0, 70}}, false);
    ASSERT_EQ(open.size(), 11u);
    EXPECT_EQ(open[0], (FreePair{{0, 0}, {0, 10}}));
    EXPECT_EQ(open[5], (FreePair{{60, 0}, {0, 40}}));
    EXPECT_EQ(open[10], (FreePair{{120, 0}, {0, 70}}));
    const auto closed = PlaceAlongCurves({{0, 0}, {60, 0}, {60, 60}, {0, 60}}, {{0, 0}, {30, 0}, {30, 30}, {0, 30}}, true);
    ASSERT_EQ(closed.size(), 20u);
    EXPECT_EQ(closed[5], (FreePair{{60, 0}, {30, 0}}));
    EXPECT_EQ(closed[19].Start, (Point{0, 12}));
    EXPECT_EQ(PlaceAlongCurves({{5, 5}}, {{7, 7}}, false).size(), 2u);  // one point twice
    EXPECT_TRUE(PlaceAlongCurves({}, {{7, 7}}, false).empty());

    MatrixRecord start = test::Grid(120, 120, 2, 2);
    start.FreePoints = {{24, 30}};
    const StrokeSides sides = MakeStrokeSides(start, {{0, 30}, {120, 30}}, {{0, 40}, {120, 40}}, false);
    // (0, 30) lies on the border between grid points; (24, 30) is the
    // free point's place.
    std::set<int> xs;
    for (const Point& p : sides.Start.Points) xs.insert(p.X);
    EXPECT_EQ(xs.count(24), 0u);
    EXPECT_EQ(xs.count(0), 1u);
    const StrokeSides onGrid = MakeStrokeSides(start, {{0, 60}, {120, 60}}, {{0, 60}, {120, 60}}, false);
    for (const Point& p : onGrid.Start.Points) EXPECT_TRUE(p.X != 0 && p.X != 60 && p.X != 120) << p.X;
}

// Redrawing one side places the points of both again; a redraw that does
// not pass leaves the stroke as it was.
TEST(StrokeMaking, RedrawOneSide) {
    MatrixRecord start = test::Grid(200, 200, 2, 2), end = start;
    ASSERT_EQ(AddStroke(start, end, {{20, 30}, {140, 30}}, {{20, 30}, {140, 30}}, false), "");
    ASSERT_EQ(RedrawStroke(start, end, 0, 2, {{20, 50}, {80, 50}}), "");
    EXPECT_EQ(start.Strokes[0].Points.size(), 11u);
    EXPECT_EQ(end.Strokes[0].Points[5], (Point{50, 50}));
    EXPECT_EQ(end.Strokes[0].Curve, (std::vector<Point>{{20, 50}, {80, 50}}));
    ASSERT_EQ(RedrawStroke(start, end, 0, 1, {{20, 70}, {80, 70}}), "");
    EXPECT_EQ(start.Strokes[0].Points.size(), 6u);
    const MatrixRecord before = end;
    EXPECT_NE(RedrawStroke(start, end, 0, 2, {{300, 50}, {380, 50}}), "");  // outside
    EXPECT_EQ(end, before);
    EXPECT_NE(RedrawStroke(start, end, 1, 2, {{20, 50}}), "");
}

// A drawn curve counts as closed when it ends near its start; a stroke is
// hit near its line, at any zoom.
TEST(StrokeMaking, ClosedCurvesAndHits) {
    EXPECT_TRUE(CurveLooksClosed({{0, 0}, {60, 0}, {60, 60}, {0, 60}, {0, 8}}));
    EXPECT_FALSE(CurveLooksClosed({{0, 0}, {60, 0}, {60, 60}, {0, 60}, {0, 30}}));
    EXPECT_FALSE(CurveLooksClosed({{0, 0}, {10, 0}, {0, 2}}));  // too short
    MatrixRecord m = test::Grid(200, 200, 1, 1);
    m.Strokes.push_back({{}, {{20, 20}, {100, 20}}, false});
    m.Strokes.push_back({{}, {{50, 10}, {50, 90}, {90, 90}}, true});
    EXPECT_EQ(FindHitStroke(m, 30, 23, 1), 0);
    EXPECT_EQ(FindHitStroke(m, 50, 21, 1), 1);  // the later one first
    EXPECT_EQ(FindHitStroke(m, 70, 50, 1), 1);  // on the closing segment
    EXPECT_EQ(FindHitStroke(m, 30, 26, 1), std::nullopt);
    EXPECT_EQ(FindHitStroke(m, 60, 43, 2), 0);
}

// The strokes file: blank and # lines skipped, decimals rounded, each
// fault named at its line.
TEST(StrokesFile, ReadsStrokesAndNamesTheBadLine) {
    const StrokesFile good = ParseStrokesFile(
        "# eyes\n\nstroke\n10 20\n30.5 20\r\nto\n11 21\n 31  22 \nstroke closed\n1 1\n9 1\n9 9\nto\n2 2\n");
    ASSERT_EQ(good.Fault, StrokesFileFault::None);
    ASSERT_EQ(good.Strokes.size(), 2u);
    EXPECT_EQ(good.Strokes[0].Start, (std::vector<Point>{{10, 20}, {30, 20}}));
    EXPECT_EQ(good.Strokes[0].End, (std::vector<Point>{{11, 21}, {31, 22}}));
    EXPECT_FALSE(good.Strokes[0].Closed);
    EXPECT_TRUE(good.Strokes[1].Closed);
    EXPECT_EQ(good.Strokes[1].Line, 9);
    EXPECT_EQ(good.Strokes[1].End.size(), 1u);
    struct Case {
        const char* text;
        StrokesFileFault fault;
        int line;
    };
    const Case cases[] = {
        {"10 20\n", StrokesFileFault::NotStroke, 1},
        {"stroke open\n1 1\nto\n2 2\n", StrokesFileFault::NotStroke, 1},
        {"stroke\n1 1\n2 x\n", StrokesFileFault::NotPoint, 3},
        {"stroke\n1 1 1\n", StrokesFileFault::NotPoint, 2},
        {"stroke\n1 1\nto\n2 2\nto\n", StrokesFileFault::NotPoint, 5},
        {"stroke\n1 1\n1e10 2\n", StrokesFileFault::NotPoint, 3},
        {"stroke\n1 1\n2 2\n", StrokesFileFault::NoTo, 3},
        {"stroke\n1 1\nstroke\n", StrokesFileFault::NoTo, 3},
        {"stroke\nto\n1 1\n", StrokesFileFault::TooFew, 2},
        {"stroke\n1 1\nto\n\n# none\n", StrokesFileFault::TooFew, 5},
    };
    for (const Case& c : cases) {
        const StrokesFile bad = ParseStrokesFile(c.text);
        EXPECT_EQ(bad.Fault, c.fault) << c.text;
        EXPECT_EQ(bad.FaultLine, c.line) << c.text;
        EXPECT_TRUE(bad.Strokes.empty());
    }
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class StrokeProjectTest : public testing::Test {
  protected:
    StrokeProjectTest() {
        for (MatrixRecord* m : {&start, &end}) {
            *m = test::Grid(200, 150, 2, 2);
            m->ImagePath = app.Path() + (m == &start ? "/start.bmp" : "/end.bmp");
            test::WriteFile(m->ImagePath, "BM");
        }
    }
    std::string Save(const std::string& path) {
        return SaveMorphFile(path, start, end, app.Path(), 9, 0x808080, nullptr, ProjectAdditions{});
    }
    test::AppFolderScope app;
    test::TestFolder folder;
    MatrixRecord start, end;
};

// Strokes go into the block behind the plain lines and come back as they
// were, beside free points.
TEST_F(StrokeProjectTest, StrokesRoundTripBehindThePlainLines) {
    const std::string plainPath = folder.File("plain.mph");
    ASSERT_EQ(Save(plainPath), "");
    const std::vector<std::string> plain = Lines(test::ReadFile(plainPath));
    start.FreePoints = {{30, 130}};
    end.FreePoints = {{32, 128}};
    ASSERT_EQ(AddStroke(start, end, {{20, 30}, {80, 30}, {80, 60}}, {{25, 35}, {85, 35}, {85, 62}}, false), "");
    ASSERT_EQ(AddStroke(start, end, Arc(150, 100, 30, 30, 0, 6, 40), Arc(150, 100, 25, 35, 0, 6, 20), true), "");
    const std::string path = folder.File("strokes.mph");
    ASSERT_EQ(Save(path), "");
    const std::vector<std::string> lines = Lines(test::ReadFile(path));
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), lines.begin()));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "[strokes]"), lines.end());
    MorphProject read;
    ASSERT_EQ(LoadMorphFile(path, read), "");
    EXPECT_EQ(read.Matrix1, start);
    EXPECT_EQ(read.Matrix2, end);
    // Without them, the plain file again.
    ASSERT_TRUE(RemoveStroke(start, end, 1) && RemoveStroke(start, end, 0));
    start.FreePoints.clear();
    end.FreePoints.clear();
    ASSERT_EQ(Save(path), "");
    EXPECT_EQ(test::ReadFile(path), test::ReadFile(plainPath));
}

// A damaged strokes section is refused with its line and why.
TEST_F(StrokeProjectTest, DamagedStrokeSectionsAreRefused) {
    const std::string path = folder.File("m.mph");
    ASSERT_EQ(Save(path), "");
    const std::vector<std::string> plain = Lines(test::ReadFile(path));
    const std::string head = "[fennix-additions]\r\nversion=1\r\n[strokes]\r\n";
    const std::string good = "stroke open 2 2 2\r\n10 10\r\n60 10\r\n10 12\r\n60 12\r\n10 10 10 12\r\n60 10 60 12\r\n";
    struct Case {
        std::string body;
        size_t line;  // the failing line, the marker being 1; 0 when it reads
        const char* why;
    };
    const Case cases[] = {
        {"count=1\r\n" + good, 0, ""},
        {"count=0\r\n", 4, "線の数は 1 から 1000 までの整数です"},
        {"count=2\r\n" + good, 12, nullptr},
        {"stroke open 2 2 2\r\n", 4, "線の数の行（count=）がありません"},
        {"count=1\r\nstroke bent 2 2 2\r\n", 5, nullptr},
        {"count=1\r\nstroke open 2 2 1\r\n", 5, nullptr},
        {"count=1\r\nstroke open 2 2 2 9\r\n", 5, nullptr},
        {"count=1\r\nstroke open 2 2 2\r\n10 10\r\n60 x\r\n", 7, "曲線の行は「x y」の二つの整数です"},
        {"count=1\r\nstroke open 2 2 2\r\n10 10\r\n60 10\r\n10 12\r\n60 12\r\n10 10 10 12\r\n", 11, "点の行は「x1 y1 x2 y2」の四つの整数です"},
        {"count=1\r\nstroke open 2 2 2\r\n10 10\r\n600 10\r\n10 12\r\n60 12\r\n10 10 10 12\r\n60 10 60 12\r\n", 5, "線の曲線が画像の外にあります"},
        {"count=1\r\nstroke open 2 2 2\r\n10 10\r\n60 10\r\n10 12\r\n60 12\r\n10 10 10 12\r\n10 10 60 12\r\n", 5, nullptr},
        {"count=1\r\nstroke open 2 2 2\r\n10 10\r\n60 10\r\n10 12\r\n60 12\r\n0 0 10 12\r\n60 10 60 12\r\n", 5, nullptr},
    };
    for (const Case& c : cases) {
        std::string text;
        for (const std::string& line : plain) text += line + "\r\n";
        text += head + c.body + "[end]\r\n";
        test::WriteFile(path, text);
        MorphProject read;
        const std::string message = LoadMorphFile(path, read);
        if (c.line == 0) {
            EXPECT_EQ(message, "");
            EXPECT_EQ(read.Matrix1.Strokes.size(), 1u);
            continue;
        }
        const std::string where = "（" + std::to_string(plain.size() + c.line) + " 行目：";
        EXPECT_NE(message.find(where), std::string::npos) << c.body << message;
        if (c.why) EXPECT_NE(message.find(c.why), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace fennix
