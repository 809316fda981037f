#include <gtest/gtest.h>

#include <set>

#include "EngineTestData.h"
#include "engine/Warp.h"

namespace fennix {
namespace {

using test::Cross;
using test::Grid;
using test::JitteredGrid;

int32_t At(const IndexMap& map, int x, int y) {
    return map.Index[static_cast<size_t>(y) * map.Width + x];
}

TriangleList List(std::initializer_list<Triangle> triangles) {
    TriangleList list(triangles.size());
    int i = 1;
    for (const Triangle& t : triangles) list[i++] = t;
    return list;
}

// How many triangles of the list claim each pixel, each painted on its own.
std::vector<int> CoverCount(const TriangleList& triangles, int width, int height) {
    std::vector<int> count(static_cast<size_t>(width) * height, 0);
    IndexMap single;
    for (int i = 1; i <= triangles.Count(); ++i) {
        PaintIndexMap(single, width, height, List({triangles[i]}));
        for (size_t p = 0; p < count.size(); ++p) count[p] += single.Index[p] != 0;
    }
    return count;
}

// A mesh of rows × columns cells over width × height, regular or moved.
struct MeshCase {
    int width, height, rows, columns;
    bool jittered;
};

class MeshCoverTest : public testing::TestWithParam<MeshCase> {};

// Every pixel of the image lies in exactly one triangle of a fold-free mesh
// with its border on the image border, and every triangle gets pixels.
TEST_P(MeshCoverTest, EveryPixelGetsExactlyOneIndex) {
    const MeshCase c = GetParam();
    const MatrixRecord grid = c.jittered ? JitteredGrid(c.width, c.height, c.rows, c.columns, 7)
                                         : Grid(c.width, c.height, c.rows, c.columns);
    const TriangleList mesh = BuildTriangles(grid);
    ASSERT_EQ(mesh.Count(), 2 * c.rows * c.columns);
    // A moved triangle that still turns the way its regular counterpart
    // turns has not folded over.
    const TriangleList regular = BuildTriangles(Grid(c.width, c.height, c.rows, c.columns));
    for (int i = 1; i <= mesh.Count(); ++i)
        ASSERT_EQ(Cross(mesh[i]) < 0, Cross(regular[i]) < 0) << "triangle " << i;

    const std::vector<int> count = CoverCount(mesh, c.width, c.height);
    for (size_t p = 0; p < count.size(); ++p)
        ASSERT_EQ(count[p], 1) << "pixel " << p % c.width << "," << p / c.width;

    IndexMap map;
    PaintIndexMap(map, c.width, c.height, mesh);
    EXPECT_EQ(map.Width, c.width);
    EXPECT_EQ(map.Height, c.height);
    // A cell of a single pixel has room for only one of its two triangles.
    if (c.width >= 2 * c.columns && c.height >= 2 * c.rows) {
        const std::set<int32_t> seen(map.Index.begin(), map.Index.end());
        EXPECT_EQ(seen.size(), static_cast<size_t>(mesh.Count()));
        EXPECT_EQ(*seen.begin(), 1);
        EXPECT_EQ(*seen.rbegin(), mesh.Count());
    }
}

INSTANTIATE_TEST_SUITE_P(Meshes, MeshCoverTest,
                         testing::Values(MeshCase{320, 240, 5, 5, false},
                                         MeshCase{320, 240, 5, 5, true},
                                         MeshCase{97, 61, 3, 7, false},
                                         MeshCase{97, 61, 7, 3, true},
                                         MeshCase{61, 97, 4, 2, true},
                                         MeshCase{640, 480, 10, 10, true},
                                         MeshCase{1, 1, 1, 1, false}));

TEST(IndexMapTest, FirstTrianglesOfTheFiveByFiveGrid) {
    const TriangleList mesh = BuildTriangles(Grid(320, 240, 5, 5));
    IndexMap map;
    PaintIndexMap(map, 320, 240, mesh);
    // Triangle 1 is (0,0), (0,48), (64,48), below the cell's diagonal;
    // triangle 2 is (0,0), (64,0), (64,48), above it.
    EXPECT_EQ(At(map, 0, 47), 1);
    EXPECT_EQ(At(map, 63, 1), 2);
    EXPECT_EQ(At(map, 319, 239), 50);
}

// Two triangles sharing the diagonal of an 8 × 8 square, in both windings.
TEST(IndexMapTest, SharedDiagonalGoesToTheTriangleOnItsRight) {
    const Triangle below{{0, 0}, {0, 8}, {8, 8}};
    const Triangle above{{0, 0}, {8, 0}, {8, 8}};
    for (bool reversed : {false, true}) {
        auto wind = [&](Triangle t) {
            if (reversed) std::swap(t.P1, t.P2);
            return t;
        };
        IndexMap map;
        PaintIndexMap(map, 8, 8, List({wind(below), wind(above)}));
        for (int d = 0; d < 8; ++d) {
            EXPECT_EQ(At(map, d, d), 2) << "diagonal " << d;        // a left edge of `above`
            EXPECT_EQ(At(map, d, 0), 2) << "top row " << d;         // a top edge
            if (d > 0) {
                EXPECT_EQ(At(map, 0, d), 1) << "left " << d;  // a left edge of `below`
            }
        }
        EXPECT_EQ(At(map, 2, 5), 1);
        EXPECT_EQ(At(map, 5, 2), 2);
    }
}

// Edges on the right and at the bottom belong to the neighbour there, so a
// triangle alone leaves them unpainted.
TEST(IndexMapTest, RightAndBottomEdgesAreLeftOpen) {
    IndexMap map;
    PaintIndexMap(map, 10, 10, List({{{2, 2}, {6, 2}, {6, 6}}, {{2, 2}, {6, 6}, {2, 6}}}));
    EXPECT_EQ(At(map, 2, 2), 1);  // top-left corner: on triangle 1's top and left edges
    EXPECT_EQ(At(map, 5, 5), 1);  // the diagonal is triangle 1's left edge
    EXPECT_EQ(At(map, 6, 4), 0);  // right edge x = 6
    EXPECT_EQ(At(map, 4, 6), 0);  // bottom edge y = 6
    EXPECT_EQ(At(map, 2, 5), 2);  // left edge x = 2
    EXPECT_EQ(At(map, 4, 2), 1);  // top edge y = 2
}

TEST(IndexMapTest, ZeroAreaTrianglesCoverNothing) {
    IndexMap map;
    PaintIndexMap(map, 20, 20,
                  List({{{3, 3}, {3, 3}, {3, 3}},
                        {{0, 5}, {10, 5}, {19, 5}},
                        {{4, 0}, {4, 19}, {4, 9}},
                        {{0, 0}, {19, 19}, {7, 7}}}));
    for (int32_t index : map.Index) ASSERT_EQ(index, 0);
}

TEST(IndexMapTest, LaterTrianglesCoverEarlierOnes) {
    IndexMap map;
    // A fold: triangle 2 reaches across into triangle 1; triangle 3 sits
    // wholly inside triangle 1.
    PaintIndexMap(map, 40, 40,
                  List({{{0, 0}, {0, 40}, {40, 40}},
                        {{0, 0}, {40, 0}, {10, 30}},
                        {{2, 30}, {8, 36}, {2, 36}}}));
    EXPECT_EQ(At(map, 10, 25), 2);  // below the diagonal, inside the fold
    EXPECT_EQ(At(map, 3, 33), 3);
    EXPECT_EQ(At(map, 20, 35), 1);
    EXPECT_EQ(At(map, 39, 10), 0);  // right of both
}

TEST(IndexMapTest, TrianglesReachingOutsideAreClipped) {
    IndexMap map;
    PaintIndexMap(map, 16, 12, List({{{-50, -40}, {100, -40}, {-50, 200}}}));
    for (int32_t index : map.Index) ASSERT_EQ(index, 1);
    PaintIndexMap(map, 16, 12, List({{{20, 0}, {30, 0}, {30, 10}}, {{-9, -9}, {-1, -9}, {-1, 0}}}));
    for (int32_t index : map.Index) ASSERT_EQ(index, 0);
}

// The row spans against a sample-by-sample evaluation of the rule, for
// triangles of every shape, both windings, partly off the map.
TEST(IndexMapTest, SpansMatchThePointRule) {
    auto owns = [](const Triangle& t, int x, int y) {
        Point a = t.P0, b = t.P1, c = t.P2;
        if (Cross(t) < 0) std::swap(b, c);
        for (auto [p, q] : {std::pair{a, b}, std::pair{b, c}, std::pair{c, a}}) {
            const int64_t dx = q.X - p.X, dy = q.Y - p.Y;
            const int64_t e = dx * (y - p.Y) - dy * (x - p.X);
            const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
            if (e < 0 || (e == 0 && !topLeft)) return false;
        }
        return true;
    };
    test::Lcg random(99);
    IndexMap map;
    for (int n = 0; n < 300; ++n) {
        Triangle t;
        // Some reach far off the map, so its rows lie far along their edges.
        const int reach = n % 7 == 0 ? 5000 : 0;
        for (Point* p : {&t.P0, &t.P1, &t.P2})
            *p = {random.Between(-8 - reach, 40 + reach), random.Between(-8 - reach, 30 + reach)};
        if (n % 10 == 0) t.P2.Y = t.P1.Y;  // horizontal edges too
        PaintIndexMap(map, 33, 23, List({t}));
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 33; ++x)
                ASSERT_EQ(At(map, x, y), Cross(t) != 0 && owns(t, x, y) ? 1 : 0)
                    << "triangle " << n << " pixel " << x << "," << y;
    }
}

// A map painted again holds what a new map would: meshes with folds, with
// holes and reaching off the picture, one after another, and a change of
// size in between.
TEST(IndexMapTest, AReusedMapHoldsWhatANewOneWould) {
    test::Lcg random(5);
    IndexMap reused;
    for (int n = 0; n < 40; ++n) {
        const int width = n == 20 ? 31 : 37, height = n == 20 ? 29 : 23;
        TriangleList mesh = BuildTriangles(JitteredGrid(width, height, 3, 4, 11 + n));
        for (int i = 1; i <= mesh.Count(); ++i)
            if (random.Between(0, 3) == 0)  // a few corners flung about
                mesh[i].P2 = {random.Between(-10, width + 10), random.Between(-10, height + 10)};
        IndexMap fresh;
        PaintIndexMap(fresh, width, height, mesh);
        PaintIndexMap(reused, width, height, mesh);
        ASSERT_EQ(reused.Width, fresh.Width);
        ASSERT_EQ(reused.Height, fresh.Height);
        ASSERT_EQ(reused.Index, fresh.Index) << "mesh " << n;
    }
}

// A large map is painted in parts at once (unless one thread is asked
// for); each pixel still gets the last triangle that claims it, as painting
// the triangles one by one shows.
TEST(IndexMapTest, LargeMapsKeepTheTriangleOrder) {
    const int width = 300, height = 270;
    TriangleList mesh = BuildTriangles(JitteredGrid(width, height, 4, 4, 3));
    test::Lcg random(8);
    for (int i = 1; i <= mesh.Count(); i += 3)  // folds across the middle rows
        mesh[i].P1 = {random.Between(0, width), random.Between(height / 3, 2 * height / 3)};
    std::vector<int32_t> expected(static_cast<size_t>(width) * height, 0);
    IndexMap single;
    for (int i = 1; i <= mesh.Count(); ++i) {
        PaintIndexMap(single, width, height, List({mesh[i]}));
        for (size_t p = 0; p < expected.size(); ++p)
            if (single.Index[p] != 0) expected[p] = i;
    }
    for (int threads : {0, 1, 2}) {
        IndexMap map;
        PaintIndexMap(map, width, height, mesh, threads);
        EXPECT_EQ(map.Index, expected) << "threads " << threads;
    }
}

TEST(IndexMapTest, EmptySizeGivesAnEmptyMap) {
    IndexMap map;
    PaintIndexMap(map, 0, 10, BuildTriangles(Grid(10, 10, 1, 1)));
    EXPECT_EQ(map.Width, 0);
    EXPECT_EQ(map.Height, 0);
    EXPECT_TRUE(map.Index.empty());
}

}  // namespace
}  // namespace fennix
