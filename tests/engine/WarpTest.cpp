#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "EngineTestData.h"
#include "core/Rounding.h"
#include "engine/OffsetTable.h"
#include "engine/Warp.h"
#include "engine/WarpKernels.h"

namespace fennix {
namespace {

using test::Grid;
using test::JitteredGrid;
using test::Picture;
using test::PixelAt;

TriangleList List(std::initializer_list<Triangle> triangles) {
    TriangleList list(triangles.size());
    int i = 1;
    for (const Triangle& t : triangles) list[i++] = t;
    return list;
}

// ---- InterpolateTriangles ----

TEST(InterpolateTest, EndsGiveTheTwoListsExactly) {
    const TriangleList start = BuildTriangles(Grid(320, 240, 5, 5));
    const TriangleList end = BuildTriangles(JitteredGrid(320, 240, 5, 5, 3));
    EXPECT_EQ(InterpolateTriangles(start, end, 0, 30), start);
    EXPECT_EQ(InterpolateTriangles(start, end, 30, 30), end);
    EXPECT_EQ(InterpolateTriangles(start, end, 1, 1), end);
}

TEST(InterpolateTest, FractionIsAFloatAndTiesGoToEven) {
    auto coordinate = [](int from, int to, int k, int n) {
        const TriangleList a = List({{{from, 0}, {0, 0}, {0, 0}}});
        const TriangleList b = List({{{to, 0}, {0, 0}, {0, 0}}});
        return InterpolateTriangles(a, b, k, n)[1].P0.X;
    };
    EXPECT_EQ(coordinate(0, 100, 1, 3), 33);  // 100 · 0.33333334
    EXPECT_EQ(coordinate(100, 0, 1, 3), 67);  // −100 · 0.33333334 + 100
    // 0.1 as a float is 0.100000001: 5 · f is just above one half, where
    // the double 0.1 would give exactly 0.5 and round to 0.
    EXPECT_EQ(coordinate(0, 5, 1, 10), 1);
    EXPECT_EQ(coordinate(0, 25, 1, 10), 3);
    EXPECT_EQ(coordinate(0, 45, 1, 2), 22);  // 22.5 to the even neighbour
    EXPECT_EQ(coordinate(0, 75, 1, 2), 38);  // 37.5
    EXPECT_EQ(coordinate(-7, 7, 1, 2), 0);
}

TEST(InterpolateTest, BadArgumentsGiveAnEmptyList) {
    const TriangleList grid = BuildTriangles(Grid(10, 10, 2, 2));
    EXPECT_EQ(InterpolateTriangles(grid, grid, 0, 0).Count(), 0);
    EXPECT_EQ(InterpolateTriangles(grid, grid, 4, 3).Count(), 0);
    EXPECT_EQ(InterpolateTriangles(grid, BuildTriangles(Grid(10, 10, 1, 1)), 1, 2).Count(), 0);
}

// ---- TriangleArea and PixelWeights ----

TEST(WeightsTest, AreaIsUnsignedAndSurvivesAVerticalEdge) {
    const Triangle flatEdge{{0, 0}, {64, 0}, {64, 48}};
    const Triangle verticalEdge{{0, 0}, {0, 48}, {64, 48}};
    EXPECT_EQ(TriangleArea(flatEdge), 1536.0f);
    EXPECT_EQ(TriangleArea(verticalEdge), 1536.0f);  // through the 1e20 slope guard
    EXPECT_EQ(TriangleArea({{64, 48}, {0, 48}, {0, 0}}), 1536.0f);
    EXPECT_NEAR(TriangleArea({{3, 7}, {50, 20}, {10, 41}}), 753.5f, 1e-3);
    EXPECT_NEAR(TriangleArea({{3, 7}, {10, 41}, {50, 20}}), 753.5f, 1e-3);
    EXPECT_EQ(TriangleArea({{5, 5}, {5, 5}, {9, 1}}), 0.0f);
    EXPECT_EQ(TriangleArea({{0, 3}, {10, 3}, {25, 3}}), 0.0f);
}

TEST(WeightsTest, CornersGetTheirOwnWeight) {
    const Triangle t{{0, 0}, {0, 48}, {64, 48}};
    const float area = TriangleArea(t);

    const Weights atP1 = PixelWeights(t, area, 0, 48);  // the 1e7 guard, distance 0
    EXPECT_EQ(atP1.w0, 0.0f);
    EXPECT_NEAR(atP1.w1, 1.0f, 1e-6);
    EXPECT_NEAR(atP1.w2, 0.0f, 1e-6);

    const Weights atP0 = PixelWeights(t, area, 0, 0);
    EXPECT_NEAR(atP0.w0, 1.0f, 1e-6);
    EXPECT_EQ(atP0.w1, 0.0f);

    const Weights atP2 = PixelWeights(t, area, 64, 48);
    EXPECT_NEAR(atP2.w0, 0.0f, 1e-6);
    EXPECT_NEAR(atP2.w1, 0.0f, 1e-6);
    EXPECT_NEAR(atP2.w2, 1.0f, 1e-6);
}

TEST(WeightsTest, InsideTheyAreBarycentric) {
    const Triangle t{{3, 7}, {50, 20}, {10, 41}};
    const Weights w = PixelWeights(t, TriangleArea(t), 20, 22);
    // Solving 20 = 3·w0 + 50·w1 + 10·w2, 22 = 7·w0 + 20·w1 + 41·w2.
    EXPECT_NEAR(w.w0, 550.0 / 1507.0, 1e-6);
    EXPECT_NEAR(w.w1, 473.0 / 1507.0, 1e-6);
    EXPECT_EQ(w.w2, static_cast<float>(1.0 - double(w.w0) - double(w.w1)));
}

// ---- WarpFrame ----

// The warp written out plainly, one pixel after the other, with the area
// kept from the previous covered pixel, the positions rounded before they
// are clamped; the engine must give the same bytes with any thread count.
PixelBuffer ReferenceWarp(const PixelBuffer& start, const TriangleList& startList,
                          const PixelBuffer& end, const TriangleList& endList, PixelBuffer output,
                          const IndexMap& map, const TriangleList& intermediate, float t) {
    const int w = map.Width, h = map.Height, n = intermediate.Count();
    const float keep = static_cast<float>(1.0 - t);
    int remembered = 0;
    float area = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int i = map.Index[static_cast<size_t>(y) * w + x];
            if (i == 0 || i > n) continue;
            if (i != remembered) area = TriangleArea(intermediate[i]);
            const Weights wt = PixelWeights(intermediate[i], area, x, y);
            auto source = [&](const Triangle& q, bool alongX, int limit) {
                const double v = alongX ? q.P1.X * double(wt.w1) + q.P0.X * double(wt.w0) +
                                              q.P2.X * double(wt.w2)
                                        : q.P1.Y * double(wt.w1) + q.P0.Y * double(wt.w0) +
                                              q.P2.Y * double(wt.w2);
                return static_cast<int>(std::max(std::min(RoundEven(v), double(limit)), 0.0));
            };
            const uint8_t* s = PixelAt(start, source(startList[i], true, w - 1),
                                       source(startList[i], false, h - 1));
            const uint8_t* e =
                PixelAt(end, source(endList[i], true, w - 1), source(endList[i], false, h - 1));
            uint8_t* o = output.Bits.data() + (static_cast<size_t>(y) * w + x) * 4;
            for (int c = 0; c < 3; ++c)
                o[c] = static_cast<uint8_t>(RoundEven(s[c] * double(keep) + e[c] * double(t)));
            remembered = i;
        }
    }
    return output;
}

// One frame of a morph from the regular grid to a moved one.
struct Frame {
    PixelBuffer start, end, output;
    TriangleList startList, endList, intermediate;
    IndexMap map;
    float t = 0;

    Frame(int width, int height, int rows, int columns, int k, int n)
        : start(Picture(width, height, 1)),
          end(Picture(width, height, 2)),
          output(Picture(width, height, 3)),
          startList(BuildTriangles(Grid(width, height, rows, columns))),
          endList(BuildTriangles(JitteredGrid(width, height, rows, columns, 11))),
          intermediate(InterpolateTriangles(startList, endList, k, n)),
          t(static_cast<float>(static_cast<double>(k) / n)) {
        PaintIndexMap(map, width, height, intermediate);
        for (size_t p = 3; p < output.Bits.size(); p += 4) output.Bits[p] = 0x5A;
    }

    void Warp(int threads = 0) {
        WarpFrame(start, startList, end, endList, output, map, intermediate, t, threads);
    }
};

void ExpectSameColours(const PixelBuffer& actual, const PixelBuffer& expected) {
    ASSERT_EQ(actual.Bits.size(), expected.Bits.size());
    for (int y = 0; y < actual.Height(); ++y)
        for (int x = 0; x < actual.Width(); ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(PixelAt(actual, x, y)[c], PixelAt(expected, x, y)[c])
                    << "pixel " << x << "," << y << " channel " << c;
}

// Every warp case runs on each path the CPU has (the others are skipped),
// and each must give the reference's bytes.
class WarpFrameTest : public testing::TestWithParam<WarpPath> {
  protected:
    void SetUp() override {
        if (!SetWarpPath(GetParam())) GTEST_SKIP() << "this CPU has no " << WarpPathName(GetParam());
    }
    void TearDown() override { SetWarpPath(WarpPath::Auto); }
};

// With the intermediate mesh equal to one side's mesh, the weights of every
// pixel point back at the pixel itself, so the first frame is the start
// picture and the last the end picture, byte for byte.
TEST_P(WarpFrameTest, FirstFrameIsTheStartPicture) {
    for (auto [w, h, rows, columns] : {std::array{320, 240, 5, 5}, std::array{97, 61, 3, 7}}) {
        Frame f(w, h, rows, columns, 0, 20);
        f.Warp();
        ExpectSameColours(f.output, f.start);
    }
}

TEST_P(WarpFrameTest, LastFrameIsTheEndPicture) {
    for (auto [w, h, rows, columns] : {std::array{320, 240, 5, 5}, std::array{97, 61, 7, 3}}) {
        Frame f(w, h, rows, columns, 20, 20);
        f.Warp();
        ExpectSameColours(f.output, f.end);
    }
}

TEST_P(WarpFrameTest, FourthByteIsNeverWritten) {
    Frame f(160, 120, 4, 4, 7, 20);
    f.Warp();
    for (size_t p = 3; p < f.output.Bits.size(); p += 4) ASSERT_EQ(f.output.Bits[p], 0x5A);
}

TEST_P(WarpFrameTest, UncoveredPixelsKeepTheirColour) {
    Frame f(64, 48, 2, 2, 5, 10);
    const int n = f.intermediate.Count();
    f.map.Index[0] = 0;
    f.map.Index[100] = n + 1;
    f.map.Index[101] = 10 * n;
    const PixelBuffer before = f.output;
    f.Warp();
    for (size_t p : {size_t{0}, size_t{100}, size_t{101}})
        for (size_t c = 0; c < 4; ++c) EXPECT_EQ(f.output.Bits[p * 4 + c], before.Bits[p * 4 + c]);
    EXPECT_NE(f.output.Bits, before.Bits);  // the covered ones did change
}

// A picture whose pixel (x, y) has blue 10·x, green 10·y and red 77.
PixelBuffer Ramp(int width, int height) {
    PixelBuffer b = Picture(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = b.Bits.data() + (static_cast<size_t>(y) * width + x) * 4;
            p[0] = static_cast<uint8_t>(10 * x);
            p[1] = static_cast<uint8_t>(10 * y);
            p[2] = 77;
        }
    return b;
}

// The start mesh spans −1 … 9 over the 8 × 8 picture, so the first column
// reads from x = −1 and the last from x = 7.75, which rounds to 8 = W.
TEST_P(WarpFrameTest, PositionsOffThePictureAreClampedToItsBorder) {
    const int size = 8;
    const PixelBuffer start = Ramp(size, size);
    PixelBuffer output = Picture(size, size, 5);
    const TriangleList mesh = List({{{0, 0}, {0, 8}, {8, 8}}, {{0, 0}, {8, 0}, {8, 8}}});
    const TriangleList wide = List({{{-1, -1}, {-1, 9}, {9, 9}}, {{-1, -1}, {9, -1}, {9, 9}}});
    IndexMap map;
    PaintIndexMap(map, size, size, mesh);
    WarpFrame(start, wide, start, wide, output, map, mesh, 0.0f);

    auto source = [&](int x, int y) {
        const uint8_t* p = PixelAt(output, x, y);
        return std::array{p[0] / 10, p[1] / 10};
    };
    EXPECT_EQ(source(0, 0), (std::array{0, 0}));
    EXPECT_EQ(source(7, 7), (std::array{7, 7}));
    EXPECT_EQ(source(0, 7), (std::array{0, 7}));
    EXPECT_EQ(source(7, 0), (std::array{7, 0}));
    EXPECT_EQ(source(4, 4), (std::array{4, 4}));
}

// A zero-area intermediate triangle makes the weights enormous (the 5e20
// guard); every read must still land on a pixel of the picture.
TEST_P(WarpFrameTest, HugeWeightsOfAFlatTriangleStayOnThePicture) {
    const int size = 16;
    const PixelBuffer start = Ramp(size, size);
    PixelBuffer output = Picture(size, size, 5);
    const TriangleList flat = List({{{0, 0}, {10, 0}, {20, 0}}});
    const TriangleList source = List({{{0, 0}, {15, 0}, {0, 15}}});
    ASSERT_EQ(TriangleArea(flat[1]), 0.0f);
    IndexMap map{size, size, std::vector<int32_t>(size * size, 1)};
    WarpFrame(start, source, start, source, output, map, flat, 0.0f);

    int onBorder = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const uint8_t* p = PixelAt(output, x, y);
            ASSERT_EQ(p[2], 77);
            ASSERT_EQ(p[0] % 10, 0);
            ASSERT_EQ(p[1] % 10, 0);
            ASSERT_LT(p[0] / 10, size);
            ASSERT_LT(p[1] / 10, size);
            const int sx = p[0] / 10, sy = p[1] / 10;
            onBorder += sx == 0 || sx == size - 1 || sy == 0 || sy == size - 1;
        }
    EXPECT_GT(onBorder, size * size / 2);
}

TEST_P(WarpFrameTest, HalfwayBlendRoundsTiesToEven) {
    PixelBuffer start = Picture(4, 4, 0), end = Picture(4, 4, 0), output = Picture(4, 4, 0);
    for (size_t p = 0; p < start.Bits.size(); p += 4) {
        start.Bits[p] = 10, start.Bits[p + 1] = 11, start.Bits[p + 2] = 200;
        end.Bits[p] = 11, end.Bits[p + 1] = 12, end.Bits[p + 2] = 201;
    }
    const TriangleList mesh = BuildTriangles(Grid(4, 4, 1, 1));
    IndexMap map;
    PaintIndexMap(map, 4, 4, mesh);
    WarpFrame(start, mesh, end, mesh, output, map, mesh, 0.5f);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const uint8_t* p = PixelAt(output, x, y);
            EXPECT_EQ(p[0], 10);   // 10.5
            EXPECT_EQ(p[1], 12);   // 11.5
            EXPECT_EQ(p[2], 200);  // 200.5
        }
}

TEST_P(WarpFrameTest, AnyThreadCountGivesTheReferenceBytes) {
    for (auto [w, h] : {std::array{640, 480}, std::array{333, 217}}) {
        Frame f(w, h, 10, 10, 3, 7);
        const PixelBuffer expected =
            ReferenceWarp(f.start, f.startList, f.end, f.endList, f.output, f.map, f.intermediate, f.t);
        const PixelBuffer before = f.output;
        for (int threads : {1, 2, 3, 5, 0, h}) {
            f.output = before;
            f.Warp(threads);
            ASSERT_EQ(f.output.Bits, expected.Bits) << w << "x" << h << " threads " << threads;
        }
    }
}

// Starting from the frame before: the same bytes as warping a copy of it,
// uncovered pixels and the fourth byte included, for any thread count.
TEST_P(WarpFrameTest, StartingFromThePreviousFrameIsWarpingACopyOfIt) {
    Frame f(333, 217, 6, 6, 3, 7);
    for (size_t p = 0; p < f.map.Index.size(); p += 7) f.map.Index[p] = 0;  // holes
    const PixelBuffer previous = f.output;
    f.Warp();
    for (int threads : {1, 2, 0}) {
        PixelBuffer output = Picture(333, 217, 9);
        WarpFrameBits(f.start.Bits.data(), f.startList, f.end.Bits.data(), f.endList, output.Bits.data(),
                      f.map, f.intermediate, f.t, threads, previous.Bits.data());
        ASSERT_EQ(output.Bits, f.output.Bits) << "threads " << threads;
    }
}

// Over a picture whose fourth bytes are all 0xFF, the promise that they are
// gives the same bytes, from the frame before and in place alike.
TEST_P(WarpFrameTest, AnOpaquePictureGivesTheSameBytesWithoutBeingRead) {
    Frame f(333, 217, 6, 6, 3, 7);
    for (size_t p = 0; p < f.map.Index.size(); p += 7) f.map.Index[p] = 0;  // holes
    PixelBuffer previous = Picture(333, 217, 9);
    for (size_t p = 3; p < previous.Bits.size(); p += 4) previous.Bits[p] = 0xFF;
    for (const bool inPlace : {false, true})
        for (int threads : {1, 2}) {
            PixelBuffer expected = inPlace ? previous : Picture(333, 217, 4);
            PixelBuffer output = expected;
            const uint8_t* from = inPlace ? nullptr : previous.Bits.data();
            WarpFrameBits(f.start.Bits.data(), f.startList, f.end.Bits.data(), f.endList,
                          expected.Bits.data(), f.map, f.intermediate, f.t, threads, from);
            WarpFrameBits(f.start.Bits.data(), f.startList, f.end.Bits.data(), f.endList,
                          output.Bits.data(), f.map, f.intermediate, f.t, threads, from, true);
            ASSERT_EQ(output.Bits, expected.Bits)
                << (inPlace ? "in place, " : "") << threads << " threads";
        }
}

// A frame made band by band is the frame made from the whole index map,
// for meshes that cover the picture, leave holes, reach off it or fold,
// heights that are no multiple of a band, and any thread count; the result
// says whether every pixel was covered.
TEST_P(WarpFrameTest, BandByBandIsTheWholeMapsFrame) {
    struct Case {
        const char* what;
        int width, height;
        TriangleList mesh;
    };
    const int w = 211, h = 77;
    const TriangleList grid = BuildTriangles(JitteredGrid(w, h, 7, 5, 4));
    TriangleList holes = grid;
    for (int i = 1; i <= holes.Count(); i += 5) holes[i] = {{0, 0}, {0, 0}, {0, 0}};
    const Case cases[] = {
        {"covering mesh", w, h, grid},
        {"holes", w, h, holes},
        {"one row", w, 1, BuildTriangles(Grid(w, 1, 2, 3))},
        {"off the picture and folded", w, h,
         List({{{-40, -30}, {300, 20}, {10, 200}}, {{100, 5}, {20, 70}, {180, 60}}, {{-5, 90}, {400, 90}, {50, 300}}})},
    };
    for (const Case& c : cases) {
        const TriangleList startList = c.mesh;
        const TriangleList endList = c.mesh;
        PixelBuffer start = Picture(c.width, c.height, 1), end = Picture(c.width, c.height, 2);
        const PixelBuffer previous = Picture(c.width, c.height, 3);
        IndexMap map;
        PaintIndexMap(map, c.width, c.height, c.mesh);
        PixelBuffer expected = Picture(c.width, c.height, 9);
        WarpFrameBits(start.Bits.data(), startList, end.Bits.data(), endList, expected.Bits.data(), map, c.mesh,
                      0.375f, 1, previous.Bits.data());
        const bool covered = std::find(map.Index.begin(), map.Index.end(), 0) == map.Index.end();
        for (int threads : {1, 2, 0}) {
            PixelBuffer output = Picture(c.width, c.height, 9);
            EXPECT_EQ(WarpMeshBits(start.Bits.data(), startList, end.Bits.data(), endList, output.Bits.data(),
                                   c.width, c.height, c.mesh, 0.375f, threads, previous.Bits.data()),
                      covered)
                << c.what;
            ASSERT_EQ(output.Bits, expected.Bits) << c.what << ", threads " << threads;
        }
    }
}

TEST_P(WarpFrameTest, MismatchedInputsChangeNothing) {
    Frame f(64, 48, 2, 2, 5, 10);
    const PixelBuffer before = f.output;

    PixelBuffer small = Picture(64, 47, 9);
    WarpFrame(small, f.startList, f.end, f.endList, f.output, f.map, f.intermediate, f.t);
    EXPECT_EQ(f.output.Bits, before.Bits);

    const TriangleList shorter = BuildTriangles(Grid(64, 48, 1, 2));
    WarpFrame(f.start, shorter, f.end, f.endList, f.output, f.map, f.intermediate, f.t);
    EXPECT_EQ(f.output.Bits, before.Bits);

    IndexMap empty;
    WarpFrame(f.start, f.startList, f.end, f.endList, f.output, empty, f.intermediate, f.t);
    EXPECT_EQ(f.output.Bits, before.Bits);
}

// Meshes that reach every corner of the arithmetic: folds (later triangles
// cover earlier ones), flat triangles (the 5e20 guard), vertical edges and
// pixels on corners (the slope guards), points off the picture (clamping),
// corners far beyond it (products of a coordinate and a weight no longer
// exact), and widths that leave spans of every length for the vector tails.
TEST_P(WarpFrameTest, HardMeshesGiveTheReferenceBytes) {
    test::Lcg random(77);
    for (auto [w, h] : {std::array{67, 45}, std::array{130, 33}, std::array{9, 70}}) {
        const PixelBuffer start = Picture(w, h, 21), end = Picture(w, h, 22);
        for (int round = 0; round < 6; ++round) {
            TriangleList startList(24), endList(24), shape(24);
            for (TriangleList* list : {&startList, &endList, &shape})
                for (int i = 1; i <= list->Count(); ++i) {
                    Point p[3];
                    for (Point& point : p) point = {random.Between(-w / 4, w + w / 4), random.Between(-h / 4, h + h / 4)};
                    if (i % 5 == 0) p[1].X = p[0].X;                  // a vertical first edge
                    if (i % 7 == 0) p[2] = {p[0].X + (p[1].X - p[0].X) * 2, p[0].Y + (p[1].Y - p[0].Y) * 2};  // flat
                    // A corner far out: a coordinate times a weight is no longer exact.
                    if (list != &shape && i % 11 == 0)
                        p[0] = {(i % 2 ? 1 : -1) * ((1 << 29) + random.Between(0, 999)), p[0].Y};
                    (*list)[i] = {p[0], p[1], p[2]};
                }
            IndexMap map;
            PaintIndexMap(map, w, h, shape);
            map.Index[3] = 9999;  // beyond the triangle count: left alone
            const float t = std::array{0.0f, 1.0f, 0.5f, 0.37f, 0.9f, 0.05f}[round];
            const PixelBuffer before = Picture(w, h, 23 + round);
            const PixelBuffer expected = ReferenceWarp(start, startList, end, endList, before, map, shape, t);
            for (int threads : {1, 2}) {
                PixelBuffer output = before;
                WarpFrame(start, startList, end, endList, output, map, shape, t, threads);
                ASSERT_EQ(output.Bits, expected.Bits) << w << "x" << h << " round " << round;
            }
        }
    }
}

// The vector paths read slopes, roots and lengths from a table of
// offsets as far as it reaches and compute them beyond: a table bounded to
// a few rows leaves spans of both kinds in every frame.
TEST_P(WarpFrameTest, SpansBeyondTheOffsetTableGiveTheReferenceBytes) {
    struct Unbound {
        ~Unbound() { warp::LimitOffsetTables(0); }
    } unbound;
    warp::LimitOffsetTables(3000);
    for (auto [w, h, rows, columns] : {std::array{333, 217, 3, 4}, std::array{640, 480, 10, 10}}) {
        Frame f(w, h, rows, columns, 3, 7);
        const PixelBuffer expected =
            ReferenceWarp(f.start, f.startList, f.end, f.endList, f.output, f.map, f.intermediate, f.t);
        f.Warp();
        ASSERT_EQ(f.output.Bits, expected.Bits) << w << "x" << h;
    }
}

// The blend of every pair of bytes (start x beside end y on a 256 × 256
// picture whose mesh stays put, each channel turned differently) for
// fractions that give exact halves (ties to even), near halves, the ends and
// fractions far below a run's steps; and beside it warps of moved grids,
// coarse and dense, at the same fractions: each path gives the exact
// arithmetic's bytes.
TEST_P(WarpFrameTest, EveryBytePairAndFractionGivesTheExactBlend) {
    PixelBuffer start = Picture(256, 256, 0), end = Picture(256, 256, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            uint8_t* s = start.Bits.data() + (static_cast<size_t>(y) * 256 + x) * 4;
            uint8_t* e = end.Bits.data() + (static_cast<size_t>(y) * 256 + x) * 4;
            const uint8_t channels[3][2] = {{uint8_t(x), uint8_t(y)}, {uint8_t(y), uint8_t(x)}, {uint8_t(255 - x), uint8_t(y ^ 0x55)}};
            for (int c = 0; c < 3; ++c) s[c] = channels[c][0], e[c] = channels[c][1];
        }
    const TriangleList mesh = BuildTriangles(Grid(256, 256, 3, 3));
    IndexMap map;
    PaintIndexMap(map, 256, 256, mesh);
    const float fractions[] = {0.0f,  1.0f,         0.5f,      0.25f,      0.75f,       1.0f / 60, 29.0f / 60,
                               0.125f, 1.0f / 3,    2.0f / 3,  0.1f,       0.9f,        1e-7f,     1.0f - 6e-8f,
                               3e-4f,  0.00390625f, 0.999f,    17.0f / 128, 0.4999999f, 0.5000001f};
    for (float t : fractions) {
        PixelBuffer output = Picture(256, 256, 5);
        WarpFrame(start, mesh, end, mesh, output, map, mesh, t);
        const double keep = static_cast<float>(1.0 - t);
        for (size_t p = 0; p < output.Bits.size(); p += 4)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(output.Bits[p + c], static_cast<uint8_t>(RoundEven(start.Bits[p + c] * keep +
                                                                             end.Bits[p + c] * double(t))))
                    << "t " << t << " pixel " << p / 4 << " channel " << c;
    }
    for (int grid : {1, 10, 40})
        for (float t : fractions) {
            Frame f(200, 150, grid, grid, 0, 1);
            f.intermediate = InterpolateTrianglesAt(f.startList, f.endList, t);
            f.t = t;
            PaintIndexMap(f.map, 200, 150, f.intermediate);
            const PixelBuffer expected =
                ReferenceWarp(f.start, f.startList, f.end, f.endList, f.output, f.map, f.intermediate, f.t);
            f.Warp(1);
            ASSERT_EQ(f.output.Bits, expected.Bits) << "grid " << grid << " t " << t;
        }
}

INSTANTIATE_TEST_SUITE_P(EveryPath, WarpFrameTest,
                         testing::Values(WarpPath::Plain, WarpPath::Avx2, WarpPath::Avx512),
                         [](const testing::TestParamInfo<WarpPath>& info) {
                             return std::string(WarpPathName(info.param));
                         });

TEST(WarpPathTest, ChoosingAPath) {
    EXPECT_TRUE(WarpPathAvailable(WarpPath::Plain));
    ASSERT_TRUE(SetWarpPath(WarpPath::Plain));
    EXPECT_EQ(CurrentWarpPath(), WarpPath::Plain);
    ASSERT_TRUE(SetWarpPath(WarpPath::Auto));
    EXPECT_NE(CurrentWarpPath(), WarpPath::Auto);
    EXPECT_TRUE(WarpPathAvailable(CurrentWarpPath()));
    // A path the CPU lacks is refused and changes nothing.
    for (WarpPath path : {WarpPath::Avx2, WarpPath::Avx512})
        if (!WarpPathAvailable(path)) {
            EXPECT_FALSE(SetWarpPath(path));
        }
    EXPECT_TRUE(WarpPathAvailable(CurrentWarpPath()));
}

}  // namespace
}  // namespace fennix

namespace fennix {
namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every entry a span finds is the value the weights would compute for the
// pixel's own offset, bit for bit (the sign of a zero included), whichever
// side of the corners the span lies on; spans beyond the reach find none.
TEST(OffsetTableTest, SpansFindTheWeightsOwnValues) {
    const warp::OffsetTable table(20, 12);
    const Triangle shapes[] = {{{10, 10}, {14, 3}, {0, 0}}, {{3, 20}, {30, 15}, {9, 9}}, {{7, 8}, {7, 2}, {1, 1}}};
    for (const Triangle& t : shapes)
        for (int y = 0; y < 24; ++y)
            for (int x0 = 0; x0 < 24; x0 += 5) {
                const int x1 = x0 + 9;
                warp::CornerEntries p1{}, p0{};
                auto near = [](int dxA, int dxB, int dy) {
                    return std::abs(dxA) <= 20 && std::abs(dxB) <= 20 && std::abs(dy) <= 12;
                };
                const bool inReach = near(x0 - t.P1.X, x1 - 1 - t.P1.X, y - t.P1.Y) &&
                                     near(t.P0.X - x0, t.P0.X - x1 + 1, t.P0.Y - y);
                ASSERT_EQ(warp::FindEntries(table, t, y, x0, x1, p1, p0), inReach) << y << " " << x0;
                if (!inReach) continue;
                for (int x = x0; x < x1; ++x) {
                    const int at1 = p1.sign * (x - p1.origin), at0 = p0.sign * (x - p0.origin);
                    const double e = x == t.P1.X ? warp::kPixelSlope : double(y - t.P1.Y) / double(x - t.P1.X);
                    ASSERT_TRUE(SameBits(p1.slopes[at1], e)) << x << "," << y;
                    ASSERT_TRUE(SameBits(p1.roots[at1], std::sqrt(e * e + 1)));
                    ASSERT_TRUE(SameBits(p1.lengths[at1],
                                         std::sqrt(double(warp::SquaredDistance(x - t.P1.X, y - t.P1.Y)))));
                    ASSERT_TRUE(SameBits(p0.lengths[at0],
                                         std::sqrt(double(warp::SquaredDistance(t.P0.X - x, t.P0.Y - y)))));
                    if (x == t.P0.X) continue;  // the kernels put the steep guard there
                    const double o = double(t.P0.Y - y) / double(t.P0.X - x);
                    ASSERT_TRUE(SameBits(p0.slopes[at0], o)) << x << "," << y;
                    ASSERT_TRUE(SameBits(p0.roots[at0], std::sqrt(o * o + 1)));
                }
            }
    warp::CornerEntries p1{}, p0{};
    EXPECT_FALSE(warp::FindEntries(table, shapes[0], 5, 0, 40, p1, p0));  // 30 pixels right of P1
}

}  // namespace
}  // namespace fennix
