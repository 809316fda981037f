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
