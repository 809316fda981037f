#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/GridFit.h"
#include "model/UnfoldedMove.h"
#include "support/TestGrids.h"
#include "support/WarpedPair.h"

namespace fennix {
namespace {

struct Errors {
    double median = 0, p90 = 0;
    size_t count = 0;
};

// The distances of the fitted interior points from their true places,
// leaving out points whose true place lies outside the end picture.
Errors FitErrors(const MatrixRecord& start, const PointGrid& fitted, const test::WarpTruth& truth) {
    std::vector<double> d;
    for (int j = 2; j <= start.Columns; ++j)
        for (int i = 2; i <= start.Rows; ++i) {
            double qx, qy;
            truth.Forward(start.Points(i, j).X, start.Points(i, j).Y, qx, qy);
            if (qx < 2 || qy < 2 || qx > start.Width - 3 || qy > start.Height - 3) continue;
            d.push_back(std::hypot(fitted(i, j).X - qx, fitted(i, j).Y - qy));
        }
    Errors e;
    e.count = d.size();
    if (d.empty()) return e;
    std::sort(d.begin(), d.end());
    e.median = d[d.size() / 2];
    e.p90 = d[std::min(d.size() - 1, d.size() * 9 / 10)];
    return e;
}

struct FitCase {
    const char* name;
    const char* photo;
    int width;
    int rows, columns;
    test::WarpRecipe recipe;
    std::vector<FitReference> references;  // in start and end pixels
};

test::WarpRecipe Field(double amplitude, double waves) {
    test::WarpRecipe r;
    r.Amplitude = amplitude;
    r.Waves = waves;
    return r;
}

test::WarpRecipe Similar(double amplitude, double scale, double degrees, double dx, double dy) {
    test::WarpRecipe r = Field(amplitude, 1.2);
    r.Scale = scale;
    r.Degrees = degrees;
    r.ShiftX = dx;
    r.ShiftY = dy;
    return r;
}

// Real photos warped by a known smooth field (one also turned, scaled and
// shifted), with changed colours and noise in every case: the fitted
// interior points lie within about a pixel of the truth (median) and three
// pixels (90th percentile), and the grid never folds.
TEST(GridFit, FindsTheKnownWarp) {
    const std::vector<FitCase> cases = {
        {"fruits, a gentle field", "fruits.jpg", 400, 10, 10, Field(6, 1.2), {}},
        {"baboon, a finer grid", "baboon.jpg", 360, 16, 16, Field(5, 1.5), {}},
        {"building, a stronger field", "building.jpg", 400, 8, 8, Field(9, 1.0), {}},
        {"fruits, turned, scaled and shifted",
         "fruits.jpg",
         400,
         10,
         10,
         Similar(4, 1.12, 9, 14, -9),
         {}},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage start = test::Photo(c.photo, c.width);
        ASSERT_FALSE(start.isNull()) << test::PhotoPath(c.photo);
        const QImage end = test::WarpedPicture(start, c.recipe);
        const MatrixRecord startGrid = test::Grid(start.width(), start.height(), c.rows, c.columns);
        GridFitOptions options;
        options.References = c.references;
        const GridFitResult result = FitEndGrid(start, end, startGrid, startGrid, options);
        ASSERT_EQ(result.Outcome, FitOutcome::Fitted) << result.Message;
        MatrixRecord fitted = startGrid;
        fitted.Points = result.Points;
        EXPECT_TRUE(GridUnfolded(fitted));
        const Errors e = FitErrors(startGrid, result.Points,
                                   test::WarpTruth(c.recipe, start.width(), start.height()));
        EXPECT_GT(e.count, static_cast<size_t>((c.rows - 1) * (c.columns - 1) / 2));
        EXPECT_LE(e.median, 1.2);
        EXPECT_LE(e.p90, 3.0);
        std::printf("[ %s ] median %.2f px, 90th percentile %.2f px over %zu points, %d trusted\n",
                    c.name, e.median, e.p90, e.count, result.Trusted);
    }
}

// Pictures with nothing in common: no fold and no failure, and the grid is
// at worst left nearly as it was.
TEST(GridFit, UnrelatedPicturesNeitherFoldNorFail) {
    const std::vector<std::pair<const char*, const char*>> pairs = {
        {"fruits.jpg", "baboon.jpg"},
        {"building.jpg", "sudoku.png"},
        {"starry_night.jpg", "messi5.jpg"}};
    for (const auto& [a, b] : pairs) {
        SCOPED_TRACE(std::string(a) + " / " + b);
        QImage start = test::Photo(a, 320), end = test::Photo(b, 320);
        ASSERT_FALSE(start.isNull() || end.isNull());
        end = end.scaled(start.size());
        const MatrixRecord grid = test::Grid(start.width(), start.height(), 8, 6);
        const GridFitResult result = FitEndGrid(start, end, grid, grid);
        ASSERT_TRUE(result.Outcome == FitOutcome::Fitted || result.Outcome == FitOutcome::NoMatch)
            << result.Message;
        MatrixRecord fitted = grid;
        fitted.Points = result.Points;
        EXPECT_TRUE(GridUnfolded(fitted));
        if (result.Outcome == FitOutcome::NoMatch) {
            EXPECT_EQ(result.Points, grid.Points);
        }
    }
}

// Two or three pairs of matching places define the similarity exactly or
// in the least-squares sense; pairs that coincide define none.
TEST(GridFit, SimilarityOfReferencePairs) {
    Similarity s;
    ASSERT_TRUE(SimilarityOfPairs({{0, 0, 10, 20}, {10, 0, 10, 40}}, s));  // ×2, turned 90°
    EXPECT_NEAR(s.MapX(10, 0), 10, 1e-9);
    EXPECT_NEAR(s.MapY(10, 0), 40, 1e-9);
    EXPECT_NEAR(s.MapX(0, 10), -10, 1e-9);
    EXPECT_NEAR(s.MapY(0, 10), 20, 1e-9);
    ASSERT_TRUE(SimilarityOfPairs({{0, 0, 5, 5}, {10, 0, 15, 5}, {0, 10, 5, 16}}, s));
    EXPECT_NEAR(std::hypot(s.A, s.B), 1.03, 0.05);
    EXPECT_FALSE(SimilarityOfPairs({{3, 3, 0, 0}, {3, 3, 9, 9}}, s));
    EXPECT_FALSE(SimilarityOfPairs({{3, 3, 0, 0}}, s));
}

// A turn and shrink too large for the flow alone, given by three clicked
// pairs on a picture whose features are hard to match (a drawing).
TEST(GridFit, ReferencePointsCarryALargeTurn) {
    const QImage start = test::Photo("fruits.jpg", 400);
    ASSERT_FALSE(start.isNull());
    const test::WarpRecipe recipe = Similar(3, 0.8, 35, 10, 5);
    const QImage end = test::WarpedPicture(start, recipe);
    const test::WarpTruth truth(recipe, start.width(), start.height());
    GridFitOptions options;
    options.CascadeFolder.clear();
    for (auto [x, y] : {std::pair{120.0, 100.0}, {300.0, 120.0}, {200.0, 280.0}}) {
        double qx, qy;
        truth.Forward(x, y, qx, qy);
        options.References.push_back(
            {x, y, std::round(qx) + 1, std::round(qy) - 1});  // clicks are a little off
    }
    const MatrixRecord grid = test::Grid(start.width(), start.height(), 10, 10);
    const GridFitResult result = FitEndGrid(start, end, grid, grid, options);
    ASSERT_EQ(result.Outcome, FitOutcome::Fitted) << result.Message;
    EXPECT_EQ(result.Alignment, FitAlignment::References);
    const Errors e = FitErrors(grid, result.Points, truth);
    EXPECT_LE(e.median, 1.2);
    EXPECT_LE(e.p90, 3.0);

    options.References = {{5, 5, 7, 7}, {5, 5, 9, 9}};
    EXPECT_EQ(FitEndGrid(start, end, grid, grid, options).Outcome, FitOutcome::Failed);
}

// What cannot be fitted fails with a message and leaves nothing changed.
TEST(GridFit, RefusesWhatCannotBeFitted) {
    const QImage picture = test::Photo("fruits.jpg", 200);
    const MatrixRecord grid = test::Grid(picture.width(), picture.height(), 4, 4);
    MatrixRecord other = test::Grid(picture.width(), picture.height(), 5, 4);
    EXPECT_EQ(FitEndGrid(picture, picture, grid, other).Outcome, FitOutcome::Failed);
    EXPECT_EQ(FitEndGrid(QImage(), picture, grid, grid).Outcome, FitOutcome::Failed);
    // Stopping at once leaves the grid as it was.
    const GridFitResult stopped =
        FitEndGrid(picture, picture, grid, grid, {}, [](int) { return false; });
    EXPECT_EQ(stopped.Outcome, FitOutcome::Cancelled);
    EXPECT_EQ(stopped.Points, grid.Points);
}

}  // namespace
}  // namespace fennix

namespace fennix {
namespace {

// A portrait and a smaller, turned, blurred copy of it: the face detectors
// find the face in both, and its eyes or box seed the alignment (features
// that agree with it refine it). Without the cascade files there is no
// face to go by.
TEST(GridFit, AFaceInBothPicturesSeedsTheAlignment) {
    QImage start(QString::fromUtf8("/usr/share/doc/opencv-doc/opencv4/html/face_swapped.jpg"));
    ASSERT_FALSE(start.isNull());
    start = start.convertToFormat(QImage::Format_RGB32);
    test::WarpRecipe recipe = Similar(0, 0.8, 6, 14, 10);
    QImage end = test::WarpedPicture(start, recipe);
    cv::Mat pixels(end.height(), end.width(), CV_8UC4, end.bits(),
                   static_cast<size_t>(end.bytesPerLine()));
    cv::GaussianBlur(pixels, pixels, cv::Size(0, 0), 3.0);
    const MatrixRecord grid = test::Grid(start.width(), start.height(), 8, 8);

    const GridFitResult seeded = FitEndGrid(start, end, grid, grid);
    ASSERT_EQ(seeded.Outcome, FitOutcome::Fitted) << seeded.Message;
    EXPECT_TRUE(seeded.FaceFound);
    const Errors e =
        FitErrors(grid, seeded.Points, test::WarpTruth(recipe, start.width(), start.height()));
    EXPECT_LE(e.median, 1.2);
    EXPECT_LE(e.p90, 3.0);

    GridFitOptions noFaces;
    noFaces.CascadeFolder = "/nonexistent-cascades";
    EXPECT_FALSE(FitEndGrid(start, end, grid, grid, noFaces).FaceFound);
}

}  // namespace
}  // namespace fennix

#include "model/FreeMesh.h"
#include "model/FreePairCheck.h"

namespace fennix {
namespace {

// How far, at places every 8 pixels inside the picture, the mesh of the
// grid `fitted` and the free pairs takes the start places from their true
// end places: the median and the 90th percentile.
Errors MeshErrors(const MatrixRecord& start, const MatrixRecord& fitted,
                  const test::WarpTruth& truth) {
    // The mesh built once; each place found by its triangle.
    const FreeMesh mesh = BuildFreeMesh(start, fitted);
    const std::vector<Point> from = MeshCorners(start), to = MeshCorners(fitted);
    std::vector<double> d;
    for (int y = 16; y < start.Height - 16; y += 8)
        for (int x = 16; x < start.Width - 16; x += 8) {
            double qx, qy;
            truth.Forward(x, y, qx, qy);
            if (qx < 2 || qy < 2 || qx > start.Width - 3 || qy > start.Height - 3) continue;
            for (const auto& [a, b, c] : mesh.Triangles) {
                const double ax = from[a].X, ay = from[a].Y, bx = from[b].X, by = from[b].Y,
                             cx = from[c].X, cy = from[c].Y;
                const double whole = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
                if (whole == 0) continue;
                const double la = ((bx - x) * (cy - y) - (by - y) * (cx - x)) / whole;
                const double lb = ((cx - x) * (ay - y) - (cy - y) * (ax - x)) / whole;
                const double lc = 1 - la - lb;
                if (la < -1e-9 || lb < -1e-9 || lc < -1e-9) continue;
                const double mx = la * to[a].X + lb * to[b].X + lc * to[c].X;
                const double my = la * to[a].Y + lb * to[b].Y + lc * to[c].Y;
                d.push_back(std::hypot(mx - qx, my - qy));
                break;
            }
        }
    Errors e;
    e.count = d.size();
    if (d.empty()) return e;
    std::sort(d.begin(), d.end());
    e.median = d[d.size() / 2];
    e.p90 = d[std::min(d.size() - 1, d.size() * 9 / 10)];
    return e;
}

// A bend the default grid is too coarse to follow: the fit adds free
// pairs (behind the user's, which stays first) that pass the pairs' check,
// bring the whole mesh close to the truth, and are replaced, not piled up,
// by the next fit; none are added when none are asked for.
TEST(GridFit, PairsAddedWhereTheGridIsTooCoarse) {
    const QImage start = test::Photo("fruits.jpg", 480);
    ASSERT_FALSE(start.isNull());
    test::WarpRecipe recipe = Similar(9, 0.95, 4, 0, 0);
    recipe.Waves = 1.6;
    const QImage end = test::WarpedPicture(start, recipe);
    const test::WarpTruth truth(recipe, start.width(), start.height());
    MatrixRecord startGrid = test::Grid(start.width(), start.height(), 5, 5);
    MatrixRecord endGrid = startGrid;
    startGrid.FreePoints = {{101, 77}};
    endGrid.FreePoints = {{101, 77}};
    GridFitOptions options;
    options.CascadeFolder.clear();

    const GridFitResult first = FitEndGrid(start, end, startGrid, endGrid, options);
    ASSERT_EQ(first.Outcome, FitOutcome::Fitted) << first.Message;
    ASSERT_GE(first.DetailPairs.size(), 10u);
    ASSERT_EQ(first.StartFreePoints.size(), 1 + first.DetailPairs.size());
    EXPECT_EQ(first.StartFreePoints.front(), (Point{101, 77}));
    MatrixRecord startFitted = startGrid, endFitted = endGrid;
    startFitted.FreePoints = first.StartFreePoints;
    endFitted.Points = first.Points;
    endFitted.FreePoints = first.FreePoints;
    for (size_t k = 0; k < first.DetailPairs.size(); ++k) {
        EXPECT_EQ(first.StartFreePoints[k + 1], first.DetailPairs[k].Start);
        EXPECT_EQ(first.FreePoints[k + 1], first.DetailPairs[k].End);
    }
    EXPECT_TRUE(CheckFreePairs(startFitted, endFitted).Passed());
    EXPECT_NE(first.Message.find("組加えました"), std::string::npos) << first.Message;

    GridFitOptions gridOnly = options;
    gridOnly.MostDetailPairs = 0;
    const GridFitResult plain = FitEndGrid(start, end, startGrid, endGrid, gridOnly);
    ASSERT_EQ(plain.Outcome, FitOutcome::Fitted);
    EXPECT_TRUE(plain.DetailPairs.empty());
    EXPECT_EQ(plain.FreePoints.size(), 1u);
    MatrixRecord startPlain = startGrid, endPlain = endGrid;
    endPlain.Points = plain.Points;
    endPlain.FreePoints = plain.FreePoints;
    const Errors coarse = MeshErrors(startPlain, endPlain, truth);
    const Errors detailed = MeshErrors(startFitted, endFitted, truth);
    std::printf("mesh from the truth: grid alone %.2f / %.2f px, with %zu pairs %.2f / %.2f px\n",
                coarse.median, coarse.p90, first.DetailPairs.size(), detailed.median, detailed.p90);
    EXPECT_LE(detailed.median, 1.0);
    EXPECT_LE(detailed.p90, 2.0);
    EXPECT_LT(detailed.p90, coarse.p90 * 0.6);

    GridFitOptions again = options;
    again.PreviousDetailPairs = first.DetailPairs;
    const GridFitResult second = FitEndGrid(start, end, startFitted, endFitted, again);
    ASSERT_EQ(second.Outcome, FitOutcome::Fitted);
    EXPECT_EQ(second.StartFreePoints.size(), 1 + second.DetailPairs.size());
    EXPECT_EQ(second.StartFreePoints.front(), (Point{101, 77}));
    EXPECT_EQ(second.DetailPairs, first.DetailPairs);
}

// A portrait into a cat's face close up, by eyes and mouth: the grid follows
// the pairs smoothly with the border pinned, so no point is held back or
// pushed against the border, and the mesh takes each reference place of
// the portrait near its partner.
TEST(GridFit, ReferencePointsKeepThePictureWhole) {
    const QImage face =
        QImage(QString::fromUtf8("/usr/share/doc/opencv-doc/opencv4/html/227943776_1.jpg"))
            .convertToFormat(QImage::Format_RGB32);
    const QImage cat =
        QImage(QString::fromUtf8("/usr/share/doc/opencv-doc/opencv4/html/cat_det.jpg"))
            .convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(face.isNull() || cat.isNull());
    // The cat's face close up, twice the size of the portrait's.
    const QImage end = cat.copy(120, 50, 208, 208).scaled(416, 416);
    GridFitOptions options;
    options.CascadeFolder.clear();
    options.References = {{175, 165, 126, 134}, {238, 168, 276, 156}, {205, 237, 176, 220}};
    const MatrixRecord startGrid = test::Grid(face.width(), face.height(), 8, 8);
    const MatrixRecord endGrid = test::Grid(end.width(), end.height(), 8, 8);
    const GridFitResult result = FitEndGrid(face, end, startGrid, endGrid, options);
    ASSERT_EQ(result.Outcome, FitOutcome::Fitted) << result.Message;
    EXPECT_TRUE(result.SplineLed);
    EXPECT_EQ(result.HeldBack, 0);
    MatrixRecord fitted = endGrid;
    fitted.Points = result.Points;
    for (int j = 2; j <= 8; ++j)
        for (int i = 2; i <= 8; ++i) {
            const Point p = fitted.Points(i, j);
            EXPECT_TRUE(p.X > 3 && p.Y > 3 && p.X < end.width() - 3 && p.Y < end.height() - 3)
                << i << ", " << j;
        }
    MatrixRecord startAll = startGrid;
    startAll.FreePoints = result.StartFreePoints;
    fitted.FreePoints = result.FreePoints;
    for (const FitReference& r : options.References) {
        const auto q = MapThroughMesh(startAll, fitted, 1,
                                      {static_cast<int>(r.StartX), static_cast<int>(r.StartY)});
        ASSERT_TRUE(q);
        // Laid, the places lie 35 to 60 pixels apart.
        EXPECT_LE(std::hypot(q->X - r.EndX, q->Y - r.EndY), 16.0);
    }
}

}  // namespace
}  // namespace fennix
