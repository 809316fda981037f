// The smooth warp: its plain kernel against a straightforward rendering
// written here from the rules alone (barycentric coordinates in long
// double, a mip map of its own, bilinear reads in double), every vector
// path against the plain one, and what the smooth look is for: motion below
// a pixel per frame, and pictures turned and shrunk (beside OpenCV's
// bilinear piecewise-affine recipe).

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/EngineTestData.h"
#include "engine/SmoothWarp.h"
#include "engine/Warp.h"

namespace fennix {
namespace {

using test::Lcg;

TriangleList ListOf(std::initializer_list<Triangle> triangles) {
    TriangleList list(triangles.size());
    int i = 1;
    for (const Triangle& t : triangles) list[i++] = t;
    return list;
}

// The two triangles of the rectangle (x0, y0) – (x1, y1).
TriangleList Rectangle(int x0, int y0, int x1, int y1) {
    return ListOf({{{x0, y0}, {x0, y1}, {x1, y1}}, {{x0, y0}, {x1, y0}, {x1, y1}}});
}

// ---- The straightforward rendering ----

struct RefPicture {
    int w, h;
    std::vector<uint8_t> bits;
};

std::vector<RefPicture> RefLevels(const PixelBuffer& picture) {
    std::vector<RefPicture> levels{{picture.Width(), picture.Height(), picture.Bits}};
    while (levels.size() < 16 && (levels.back().w > 1 || levels.back().h > 1)) {
        const RefPicture& from = levels.back();
        RefPicture half{(from.w + 1) / 2, (from.h + 1) / 2, {}};
        half.bits.resize(static_cast<size_t>(half.w) * half.h * 4);
        for (int y = 0; y < half.h; ++y)
            for (int x = 0; x < half.w; ++x)
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < 2; ++dy)
                        for (int dx = 0; dx < 2; ++dx) {
                            const int sx = std::min(2 * x + dx, from.w - 1),
                                      sy = std::min(2 * y + dy, from.h - 1);
                            sum += from.bits[(static_cast<size_t>(sy) * from.w + sx) * 4 + c];
                        }
                    half.bits[(static_cast<size_t>(y) * half.w + x) * 4 + c] =
                        static_cast<uint8_t>((sum + 2) / 4);
                }
        levels.push_back(std::move(half));
    }
    return levels;
}

double Bilinear(const RefPicture& p, double x, double y, int c) {
    x = std::clamp(x, 0.0, p.w - 1.0);
    y = std::clamp(y, 0.0, p.h - 1.0);
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const int x1 = std::min(x0 + 1, p.w - 1), y1 = std::min(y0 + 1, p.h - 1);
    auto at = [&](int px, int py) {
        return double(p.bits[(static_cast<size_t>(py) * p.w + px) * 4 + c]);
    };
    const double fx = x - x0, fy = y - y0;
    return (at(x0, y0) * (1 - fx) + at(x1, y0) * fx) * (1 - fy) +
           (at(x0, y1) * (1 - fx) + at(x1, y1) * fx) * fy;
}

struct Bary {
    long double w0, w1, w2;
};

Bary BaryOf(const SmoothTriangle& t, long double x, long double y) {
    const long double det = (t.P1.X - t.P0.X) * static_cast<long double>(t.P2.Y - t.P0.Y) -
                            (t.P1.Y - t.P0.Y) * static_cast<long double>(t.P2.X - t.P0.X);
    const long double w1 =
        ((x - t.P0.X) * (t.P2.Y - t.P0.Y) - (y - t.P0.Y) * (t.P2.X - t.P0.X)) / det;
    const long double w2 =
        ((t.P1.X - t.P0.X) * (y - t.P0.Y) - (t.P1.Y - t.P0.Y) * (x - t.P0.X)) / det;
    return {1 - w1 - w2, w1, w2};
}

// The source position of (x, y) in triangle `source`.
void Map(const SmoothTriangle& shape, const Triangle& source, long double x, long double y,
         long double& sx, long double& sy) {
    const Bary b = BaryOf(shape, x, y);
    sx = b.w0 * source.P0.X + b.w1 * source.P1.X + b.w2 * source.P2.X;
    sy = b.w0 * source.P0.Y + b.w1 * source.P1.Y + b.w2 * source.P2.Y;
}

// The filtered sample of one picture for pixel (x, y) of `shape`.
double RefSample(const std::vector<RefPicture>& levels, const SmoothTriangle& shape,
                 const Triangle& source, int x, int y, int c) {
    long double sx, sy, ax, ay, bx, by;
    Map(shape, source, x, y, sx, sy);
    Map(shape, source, x + 1, y, ax, ay);
    Map(shape, source, x, y + 1, bx, by);
    const double step = std::sqrt(std::max(double((ax - sx) * (ax - sx) + (ay - sy) * (ay - sy)),
                                           double((bx - sx) * (bx - sx) + (by - sy) * (by - sy))));
    const double lod = std::log2(step) - 0.5;
    auto at = [&](int level) {
        const double scale = std::ldexp(1.0, -level);
        const double px = level == 0 ? double(sx) : (double(sx) + 0.5) * scale - 0.5;
        const double py = level == 0 ? double(sy) : (double(sy) + 0.5) * scale - 0.5;
        return Bilinear(levels[static_cast<size_t>(level)], px, py, c);
    };
    const int last = static_cast<int>(levels.size()) - 1;
    if (!(lod > 0)) return at(0);
    const int level = static_cast<int>(std::floor(lod));
    if (level >= last) return at(last);
    const double mix = lod - level;
    return at(level) * (1 - mix) + at(level + 1) * mix;
}

// Whether (x, y) lies in the triangle by the top-left rule; `sure` turns
// false when it lies too close to an edge for long double to tell.
bool RefInside(const SmoothTriangle& t, int x, int y, bool& sure) {
    SmoothPoint p[3] = {t.P0, t.P1, t.P2};
    const long double area2 = (p[1].X - p[0].X) * (long double)(p[2].Y - p[0].Y) -
                              (p[1].Y - p[0].Y) * (long double)(p[2].X - p[0].X);
    if (area2 == 0) return false;
    if (area2 < 0) std::swap(p[1], p[2]);
    bool inside = true, close = false;
    for (int e = 0; e < 3; ++e) {
        const SmoothPoint& a = p[e];
        const SmoothPoint& b = p[(e + 1) % 3];
        const long double dx = b.X - a.X, dy = b.Y - a.Y;
        const long double value = dx * (y - a.Y) - dy * (x - a.X);
        const long double distance = value / std::sqrt(dx * dx + dy * dy);
        if (distance < -1e-6) return false;  // clearly outside
        if (std::fabs(distance) < 1e-6) close = true;
        const bool owned = dy < 0 || (dy == 0 && dx > 0);
        if (!(value > 0 || (owned && value == 0))) inside = false;
    }
    if (close) sure = false;
    return inside;
}

struct Case {
    std::string name;
    int width, height;
    TriangleList startList, endList;
    float f, t;
};

std::vector<Case> SmallCases() {
    std::vector<Case> cases;
    const TriangleList grid = BuildTriangles(test::Grid(48, 36, 3, 3));
    cases.push_back({"affine pieces", 48, 36, grid,
                     BuildTriangles(test::JitteredGrid(48, 36, 3, 3, 7)), 0.37f, 0.37f});
    cases.push_back({"affine pieces, eased dissolve", 48, 36, grid,
                     BuildTriangles(test::JitteredGrid(48, 36, 3, 3, 9)), 0.81f, 0.25f});
    // One point dragged over its neighbours: the mesh folds, and the later
    // triangles cover the earlier ones.
    MatrixRecord folded = test::Grid(48, 36, 3, 3);
    folded.Points(2, 2) = {40, 30};
    cases.push_back({"a fold", 48, 36, grid, BuildTriangles(folded), 0.6f, 0.6f});
    // The whole start picture shrinks into an eighth of it.
    cases.push_back(
        {"shrunk 8 times", 64, 64, Rectangle(0, 0, 64, 64), Rectangle(4, 4, 12, 12), 1.0f, 0.5f});
    cases.push_back({"shrunk about 6 times", 64, 64, Rectangle(0, 0, 64, 64),
                     Rectangle(4, 4, 12, 12), 0.95f, 0.5f});
    // And an eighth of it grows over the whole picture.
    cases.push_back({"enlarged 8 times", 64, 64, Rectangle(20, 20, 28, 28), Rectangle(0, 0, 63, 63),
                     0.9f, 0.1f});
    return cases;
}

TEST(SmoothWarpTest, PlainPathMatchesAStraightforwardRendering) {
    ASSERT_TRUE(SetWarpPath(WarpPath::Plain));
    for (const Case& c : SmallCases()) {
        SCOPED_TRACE(c.name);
        const PixelBuffer start = test::Picture(c.width, c.height, 11);
        const PixelBuffer end = test::Picture(c.width, c.height, 12);
        const SmoothPicture startPicture(start.Bits.data(), c.width, c.height);
        const SmoothPicture endPicture(end.Bits.data(), c.width, c.height);
        const SmoothMesh mesh = InterpolateSmoothAt(c.startList, c.endList, c.f);
        std::vector<uint8_t> output(start.Bits.size(), 0x55);
        WarpSmoothBits(startPicture, c.startList, endPicture, c.endList, output.data(), mesh, c.t,
                       1);
        IndexMap map;
        PaintSmoothIndexMap(map, c.width, c.height, mesh);
        const std::vector<RefPicture> startLevels = RefLevels(start), endLevels = RefLevels(end);
        int compared = 0, coverageCompared = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                // The last triangle the pixel lies in, unless it lies too
                // close to an edge for long double to tell for sure.
                int owner = 0;
                bool sure = true;
                for (int i = 1; i <= mesh.Count(); ++i)
                    if (RefInside(mesh[i], x, y, sure)) owner = i;
                const int32_t index = map.Index[static_cast<size_t>(y) * c.width + x];
                if (sure) {
                    ++coverageCompared;
                    ASSERT_EQ(index, owner) << "pixel " << x << ", " << y;
                }
                const uint8_t* o = output.data() + (static_cast<size_t>(y) * c.width + x) * 4;
                if (index == 0) {
                    for (int ch = 0; ch < 4; ++ch) ASSERT_EQ(o[ch], 0x55);
                    continue;
                }
                ++compared;
                for (int ch = 0; ch < 3; ++ch) {
                    const double s =
                        RefSample(startLevels, mesh[index], c.startList[index], x, y, ch);
                    const double e = RefSample(endLevels, mesh[index], c.endList[index], x, y, ch);
                    const double expected = s * (1.0 - c.t) + e * c.t;
                    ASSERT_NEAR(o[ch], expected, 1.0)
                        << "pixel " << x << ", " << y << ", channel " << ch;
                }
                ASSERT_EQ(o[3], 0x55);
            }
        EXPECT_GT(coverageCompared, c.width * c.height * 4 / 5);
        EXPECT_GT(compared, 50);
    }
    SetWarpPath(WarpPath::Auto);
}

TEST(SmoothWarpTest, AFoldFreeMeshCoversEveryPixelOnce) {
    // Sharing an edge, two triangles never both miss a pixel on it: every
    // pixel is covered, and the warp says so.
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        const TriangleList startList = BuildTriangles(test::Grid(97, 61, 7, 5));
        const TriangleList endList = BuildTriangles(test::JitteredGrid(97, 61, 7, 5, seed));
        const float f = static_cast<float>(seed) / 21.0f;
        IndexMap map;
        PaintSmoothIndexMap(map, 97, 61, InterpolateSmoothAt(startList, endList, f));
        for (int32_t index : map.Index) ASSERT_NE(index, 0);
    }
}

TEST(SmoothWarpTest, TheMeshKeepsItsFractions) {
    const TriangleList start = ListOf({{{0, 0}, {10, 0}, {0, 10}}});
    const TriangleList end = ListOf({{{1, 0}, {13, 2}, {0, 11}}});
    const SmoothMesh mesh = InterpolateSmoothAt(start, end, 0.3f);
    ASSERT_EQ(mesh.Count(), 1);
    EXPECT_DOUBLE_EQ(mesh[1].P0.X, 1 * double(0.3f));
    EXPECT_DOUBLE_EQ(mesh[1].P1.X, 3 * double(0.3f) + 10);
    EXPECT_DOUBLE_EQ(mesh[1].P2.Y, double(0.3f) + 10);
    EXPECT_EQ(InterpolateSmoothAt(start, end, 1.5f).Count(), 0);
    EXPECT_EQ(InterpolateSmoothAt(start, TriangleList(), 0.5f).Count(), 0);
}

TEST(SmoothWarpTest, LevelsFollowHowMuchATriangleShrinks) {
    // The intermediate triangle against pictures of 1, 2, 8 and 1/4 times
    // its size.
    const SmoothTriangle shape{{0, 0}, {10, 0}, {0, 10}};
    struct Row {
        int scale4;  // the picture's size in quarters
        int level;
        float mix;
    } rows[] = {{4, 0, 0},     {16, 1, 0.5f}, {6, 0, 0.0849625f}, {8, 0, 0.5f},
                {32, 2, 0.5f}, {1, 0, 0},     {4096, 5, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scale4);
        const int s = 10 * row.scale4 / 4;
        const SmoothSampling sampling = SmoothSamplingOf(shape, {{0, 0}, {s, 0}, {0, s}}, 6);
        EXPECT_EQ(sampling.Level, row.level);
        EXPECT_NEAR(sampling.Mix, row.mix, 1e-5);
        EXPECT_DOUBLE_EQ(sampling.A, s / 10.0);
    }
}

TEST(SmoothWarpTest, EveryPathGivesThePlainPathsBytes) {
    struct Scene {
        std::string name;
        int width, height;
        TriangleList startList, endList;
    };
    std::vector<Scene> scenes;
    for (const Case& c : SmallCases())
        scenes.push_back({c.name, c.width, c.height, c.startList, c.endList});
    scenes.push_back({"dense grid", 203, 149, BuildTriangles(test::Grid(203, 149, 25, 20)),
                      BuildTriangles(test::JitteredGrid(203, 149, 25, 20, 5))});
    scenes.push_back({"coarse grid", 331, 211, BuildTriangles(test::Grid(331, 211, 4, 3)),
                      BuildTriangles(test::JitteredGrid(331, 211, 4, 3, 6))});
    // A mesh that reaches beyond the picture and leaves parts uncovered,
    // and one shrunk to nothing in one direction.
    scenes.push_back(
        {"partly off the picture", 120, 90, Rectangle(0, 0, 120, 90), Rectangle(-50, 30, 200, 60)});
    scenes.push_back({"squashed", 120, 90, Rectangle(0, 0, 120, 90), Rectangle(10, 40, 110, 40)});
    for (WarpPath path : {WarpPath::Avx2, WarpPath::Avx512}) {
        if (!WarpPathAvailable(path)) {
            std::printf("this CPU has no %s: not compared\n", WarpPathName(path));
            continue;
        }
        for (const Scene& scene : scenes) {
            const PixelBuffer start = test::Picture(scene.width, scene.height, 21);
            const PixelBuffer end = test::Picture(scene.width, scene.height, 22);
            // The frame before as it comes, and with every fourth byte 0xFF,
            // which the vector path is then promised (and need not read).
            PixelBuffer before = test::Picture(scene.width, scene.height, 23), opaque = before;
            for (size_t p = 3; p < opaque.Bits.size(); p += 4) opaque.Bits[p] = 0xFF;
            const SmoothPicture startPicture(start.Bits.data(), scene.width, scene.height);
            const SmoothPicture endPicture(end.Bits.data(), scene.width, scene.height);
            for (float f : {0.0f, 0.13f, 0.5f, 0.77f, 1.0f})
                for (const PixelBuffer* from : {&before, &opaque}) {
                    SCOPED_TRACE(scene.name + ", " + WarpPathName(path) + ", f " +
                                 std::to_string(f) + (from == &opaque ? ", opaque" : ""));
                    const SmoothMesh mesh = InterpolateSmoothAt(scene.startList, scene.endList, f);
                    std::vector<uint8_t> expected(start.Bits.size(), 0),
                        actual(start.Bits.size(), 1);
                    ASSERT_TRUE(SetWarpPath(WarpPath::Plain));
                    const bool covered =
                        WarpSmoothBits(startPicture, scene.startList, endPicture, scene.endList,
                                       expected.data(), mesh, f, 1, from->Bits.data());
                    ASSERT_TRUE(SetWarpPath(path));
                    EXPECT_EQ(WarpSmoothBits(startPicture, scene.startList, endPicture,
                                             scene.endList, actual.data(), mesh, f, 3,
                                             from->Bits.data(), from == &opaque),
                              covered);
                    ASSERT_TRUE(expected == actual);
                }
        }
    }
    SetWarpPath(WarpPath::Auto);
}

// A picture of soft blobs and sharp stripes, something like a photo.
PixelBuffer Texture(int width, int height) {
    PixelBuffer b = test::Picture(width, height, 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = b.Bits.data() + (static_cast<size_t>(y) * width + x) * 4;
            const double v =
                128 + 60 * std::sin(x * 0.31 + y * 0.17) + 50 * std::cos(x * 0.05 - y * 0.23);
            p[0] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
            p[1] = static_cast<uint8_t>(((x / 7 + y / 5) % 2) * 200 + 20);
            p[2] = static_cast<uint8_t>(std::clamp(255 - v, 0.0, 255.0));
        }
    return b;
}

TEST(SmoothWarpTest, ASlowDriftMovesEveryFrameAndEvenly) {
    // The middle of the grid drifts 3 pixels to the right over 60 frames
    // (its border stays), over an end picture that is the start picture
    // moved by those 3 pixels: in the middle cells both pictures show the
    // same, and only the motion changes a frame there.
    constexpr int W = 120, H = 90, N = 60;
    const PixelBuffer picture = Texture(W, H);
    PixelBuffer shifted = picture;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            std::memcpy(shifted.Bits.data() + (static_cast<size_t>(y) * W + x) * 4,
                        picture.Bits.data() + (static_cast<size_t>(y) * W + std::max(x - 3, 0)) * 4,
                        4);
    MatrixRecord moved = test::Grid(W, H, 4, 4);
    for (int j = 2; j <= 4; ++j)
        for (int i = 2; i <= 4; ++i) moved.Points(i, j).X += 3;
    const TriangleList startList = BuildTriangles(test::Grid(W, H, 4, 4));
    const TriangleList endList = BuildTriangles(moved);
    const SmoothPicture from(picture.Bits.data(), W, H), to(shifted.Bits.data(), W, H);
    // The middle cells, which move as a whole.
    auto middle = [&](const std::vector<uint8_t>& frame) {
        std::vector<uint8_t> part;
        for (int y = 26; y < 64; ++y)
            part.insert(part.end(), frame.begin() + (y * W + 36) * 4,
                        frame.begin() + (y * W + 84) * 4);
        return part;
    };
    std::vector<std::vector<uint8_t>> smooth, exact;
    for (int k = 0; k <= N; ++k) {
        const float f = static_cast<float>(static_cast<double>(k) / N);
        std::vector<uint8_t> frame(picture.Bits.size(), 0);
        WarpSmoothBits(from, startList, to, endList, frame.data(),
                       InterpolateSmoothAt(startList, endList, f), f);
        smooth.push_back(middle(frame));
        WarpMeshBits(picture.Bits.data(), startList, shifted.Bits.data(), endList, frame.data(), W,
                     H, InterpolateTrianglesAt(startList, endList, f), f);
        exact.push_back(middle(frame));
    }
    int exactRepeats = 0;
    std::vector<double> steps;
    for (int k = 1; k <= N; ++k) {
        EXPECT_NE(smooth[k], smooth[k - 1]) << "frame " << k;
        if (exact[k] == exact[k - 1]) ++exactRepeats;
        // How far the frame moved: the mean change of the middle's pixels.
        double change = 0;
        for (size_t at = 0; at < smooth[k].size(); ++at)
            change += std::abs(smooth[k][at] - smooth[k - 1][at]);
        steps.push_back(change);
    }
    // The exact frames stand still for many frames, then jump a pixel.
    EXPECT_GT(exactRepeats, N / 2);
    const double least = *std::min_element(steps.begin(), steps.end());
    const double most = *std::max_element(steps.begin(), steps.end());
    EXPECT_GT(least, most / 3) << "the smooth motion is uneven";
}

// The common recipe of OpenCV: each triangle's affine map from the frame to
// a picture (getAffineTransform of the fractional corners), bilinear
// warpAffine of the picture as 32-bit floats, the dissolve, rounded to 8
// bits; each pixel taken from its triangle of `map`.
std::vector<uint8_t> OpenCvRecipe(const PixelBuffer& start, const TriangleList& startList, const PixelBuffer& end,
                                  const TriangleList& endList, const SmoothMesh& mesh, const IndexMap& map,
                                  double t) {
    const int W = start.Width(), H = start.Height();
    auto asFloat = [&](const PixelBuffer& b) {
        cv::Mat bgr, floats;
        cv::cvtColor(cv::Mat(H, W, CV_8UC4, const_cast<uint8_t*>(b.Bits.data())), bgr, cv::COLOR_BGRA2BGR);
        bgr.convertTo(floats, CV_32FC3);
        return floats;
    };
    const cv::Mat startPixels = asFloat(start), endPixels = asFloat(end);
    std::vector<uint8_t> frame(start.Bits.size(), 0);
    auto corners = [](const Triangle& tr) {
        return std::array<cv::Point2f, 3>{cv::Point2f(tr.P0.X, tr.P0.Y), cv::Point2f(tr.P1.X, tr.P1.Y),
                                          cv::Point2f(tr.P2.X, tr.P2.Y)};
    };
    for (int i = 1; i <= mesh.Count(); ++i) {
        const std::array<cv::Point2f, 3> shape = {cv::Point2f(mesh[i].P0.X, mesh[i].P0.Y),
                                                  cv::Point2f(mesh[i].P1.X, mesh[i].P1.Y),
                                                  cv::Point2f(mesh[i].P2.X, mesh[i].P2.Y)};
        cv::Mat fromStart, fromEnd;
        cv::warpAffine(startPixels, fromStart, cv::getAffineTransform(shape.data(), corners(startList[i]).data()),
                       startPixels.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_REFLECT_101);
        cv::warpAffine(endPixels, fromEnd, cv::getAffineTransform(shape.data(), corners(endList[i]).data()),
                       endPixels.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_REFLECT_101);
        cv::Mat blend = (1.0 - t) * fromStart + t * fromEnd, bytes;
        blend.convertTo(bytes, CV_8UC3);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (map.Index[static_cast<size_t>(y) * W + x] == i)
                    for (int c = 0; c < 3; ++c)
                        frame[(static_cast<size_t>(y) * W + x) * 4 + c] = bytes.at<cv::Vec3b>(y, x)[c];
    }
    return frame;
}

TEST(SmoothWarpTest, ATurnedAndShrunkPairIsCloserToASupersampledRendering) {
    // The end grid is the start grid turned by 20° and shrunk to a quarter
    // about the centre; the mesh three quarters of the way there reads the
    // start picture shrunk more than twice. Each quality's frame, and
    // OpenCV's common recipe, against 8 × 8 samples per pixel of the same
    // mesh, read bilinearly.
    constexpr int W = 240, H = 180;
    const PixelBuffer start = Texture(W, H);
    PixelBuffer end = Texture(W, H);
    for (size_t p = 0; p < end.Bits.size(); p += 4) std::swap(end.Bits[p], end.Bits[p + 2]);
    const MatrixRecord grid = test::Grid(W, H, 6, 6);
    MatrixRecord turned = grid;
    const double angle = 20 * M_PI / 180, scale = 0.25, cx = W / 2.0, cy = H / 2.0;
    for (int j = 1; j <= 7; ++j)
        for (int i = 1; i <= 7; ++i) {
            const double x = grid.Points(i, j).X - cx, y = grid.Points(i, j).Y - cy;
            turned.Points(i, j) = {
                static_cast<int32_t>(std::lround(cx + scale * (std::cos(angle) * x - std::sin(angle) * y))),
                static_cast<int32_t>(std::lround(cy + scale * (std::sin(angle) * x + std::cos(angle) * y)))};
        }
    const TriangleList startList = BuildTriangles(grid), endList = BuildTriangles(turned);
    const float f = 0.75f, t = 0.5f;
    const SmoothMesh mesh = InterpolateSmoothAt(startList, endList, f);
    const SmoothPicture startPicture(start.Bits.data(), W, H), endPicture(end.Bits.data(), W, H);
    std::vector<uint8_t> smooth(start.Bits.size(), 0), exact(start.Bits.size(), 0);
    WarpSmoothBits(startPicture, startList, endPicture, endList, smooth.data(), mesh, t);
    WarpMeshBits(start.Bits.data(), startList, end.Bits.data(), endList, exact.data(), W, H,
                 InterpolateTrianglesAt(startList, endList, f), t);
    IndexMap map;
    PaintSmoothIndexMap(map, W, H, mesh);
    const std::vector<uint8_t> recipe = OpenCvRecipe(start, startList, end, endList, mesh, map, t);
    const std::vector<RefPicture> startLevels = RefLevels(start), endLevels = RefLevels(end);
    double smoothError = 0, exactError = 0, recipeError = 0;
    int pixels = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int i = map.Index[static_cast<size_t>(y) * W + x];
            if (i == 0) continue;
            // Pixels well inside the mesh only: near its outline the
            // renderings cover different pixels.
            bool inner = true;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const int px = std::clamp(x + dx, 0, W - 1), py = std::clamp(y + dy, 0, H - 1);
                    if (map.Index[static_cast<size_t>(py) * W + px] == 0) inner = false;
                }
            if (!inner) continue;
            ++pixels;
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int sy = 0; sy < 8; ++sy)
                    for (int sx = 0; sx < 8; ++sx) {
                        const long double px = x - 0.5L + (sx + 0.5L) / 8, py = y - 0.5L + (sy + 0.5L) / 8;
                        long double ax, ay, bx, by;
                        Map(mesh[i], startList[i], px, py, ax, ay);
                        Map(mesh[i], endList[i], px, py, bx, by);
                        sum += Bilinear(startLevels[0], double(ax), double(ay), c) * (1 - t) +
                               Bilinear(endLevels[0], double(bx), double(by), c) * t;
                    }
                const double truth = sum / 64;
                const size_t at = (static_cast<size_t>(y) * W + x) * 4 + c;
                smoothError += std::abs(smooth[at] - truth);
                exactError += std::abs(exact[at] - truth);
                recipeError += std::abs(recipe[at] - truth);
            }
        }
    ASSERT_GT(pixels, W * H / 10);
    std::printf("mean error against 8 x 8 samples: smooth %.2f, exact %.2f, OpenCV recipe %.2f\n",
                smoothError / pixels / 3, exactError / pixels / 3, recipeError / pixels / 3);
    EXPECT_LT(smoothError, exactError * 0.8);
    EXPECT_LE(smoothError, recipeError);
}

}  // namespace
}  // namespace fennix
