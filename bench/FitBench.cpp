// The automatic grid fit (FitEndGrid) measured, in four parts:
//
//   accuracy   1280 × 960 photos warped by a known smooth field (two also
//              turned, scaled and shifted), recoloured and noised: the fitted 8 × 8
//              grid's interior points against the truth, and the fit's CPU
//              time beside OpenCV's DIS flow alone on the same pair
//   detail     a photo against itself turned 4°, scaled 0.95 and bent: the
//              SSIM of the middle frame's two warped halves after one fit
//              of the 5 × 5 grid, beside a fit of the 20 × 20 grid
//   reference  a portrait into a cat picture by three reference pairs
//              (eyes, mouth): points held back, interior points pushed
//              onto the border
//   sizes      the photo PHOTO at 1920 × 1080 and 6000 × 4000, grids of
//              5 × 5 to 30 × 30 cells: time and accuracy beside DIS alone
//
// usage: fennix-fit-bench [accuracy|detail|reference|sizes] [PHOTO]
// (default: every part; PHOTO: opencv-doc's aloeL.jpg)
#include <sys/resource.h>

#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <opencv2/video/tracking.hpp>
#include <vector>

#include "MeshScore.h"
#include "engine/GridFit.h"
#include "model/UnfoldedMove.h"
#include "support/WarpedPair.h"

using namespace fennix;

namespace {

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

MatrixRecord Grid(int width, int height, int cells) {
    MatrixRecord m;
    m.Width = width;
    m.Height = height;
    m.Rows = m.Columns = cells;
    InitMatrix(m);
    return m;
}

struct Errors {
    double median = 0, p90 = 0;
};

// Distances of the interior points from the truth; `place` gives the
// fitted place of point (i, j).
template <typename Place>
Errors Measure(const MatrixRecord& grid, const test::WarpTruth& truth, Place place) {
    std::vector<double> d;
    for (int j = 2; j <= grid.Columns; ++j)
        for (int i = 2; i <= grid.Rows; ++i) {
            double qx, qy, fx, fy;
            truth.Forward(grid.Points(i, j).X, grid.Points(i, j).Y, qx, qy);
            if (qx < 2 || qy < 2 || qx > grid.Width - 3 || qy > grid.Height - 3) continue;
            place(i, j, fx, fy);
            d.push_back(std::hypot(fx - qx, fy - qy));
        }
    std::sort(d.begin(), d.end());
    if (d.empty()) return {};
    return {d[d.size() / 2], d[std::min(d.size() - 1, d.size() * 9 / 10)]};
}

// The process's CPU time so far (every thread), in seconds.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// `name` of opencv-doc's photos scaled to cover width × height, the middle
// kept.
QImage Covering(const std::string& name, int width, int height) {
    const QImage photo(QString::fromStdString(test::PhotoPath(name)));
    if (photo.isNull()) return photo;
    const QImage scaled =
        photo.scaled(width, height, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return scaled.copy((scaled.width() - width) / 2, (scaled.height() - height) / 2, width, height)
        .convertToFormat(QImage::Format_RGB32);
}

cv::Mat Gray(const QImage& image) {
    const cv::Mat bgra(image.height(), image.width(), CV_8UC4,
                       const_cast<uchar*>(image.constBits()),
                       static_cast<size_t>(image.bytesPerLine()));
    cv::Mat gray;
    cv::cvtColor(bgra, gray, cv::COLOR_BGRA2GRAY);
    return gray;
}

void Accuracy() {
    std::printf("\naccuracy: 1280 x 960, 8 x 8 grid, field 7.7 px, recoloured, noised\n");
    std::printf(
        "photo                    fit median  p90   CPU s | DIS median  p90   CPU s | ratio\n");
    struct Case {
        const char* photo;
        double scale, degrees;
    };
    for (const Case& c : {Case{"aloeL.jpg", 1, 0}, Case{"baboon.jpg", 1, 0},
                          Case{"building.jpg", 0.95, 4}, Case{"fruits.jpg", 1.08, -6}}) {
        const int width = 1280, height = 960;
        const QImage start = Covering(c.photo, width, height);
        if (start.isNull()) continue;
        test::WarpRecipe recipe;
        recipe.Amplitude = width * 0.006;
        recipe.Waves = 1.3;
        recipe.Scale = c.scale;
        recipe.Degrees = c.degrees;
        if (c.degrees != 0) recipe.ShiftX = width * 0.01, recipe.ShiftY = -width * 0.006;
        const QImage end = test::WarpedPicture(start, recipe);
        const test::WarpTruth truth(recipe, width, height);
        const MatrixRecord grid = Grid(width, height, 8);
        double fitCpu = 1e9, disCpu = 1e9;
        GridFitResult result;
        cv::Mat flow;
        const cv::Mat a = Gray(start), b = Gray(end);
        // Interleaved runs, the least CPU time of each.
        for (int run = 0; run < 3; ++run) {
            double t = CpuSeconds();
            result = FitEndGrid(start, end, grid, grid);
            fitCpu = std::min(fitCpu, CpuSeconds() - t);
            t = CpuSeconds();
            cv::DISOpticalFlow::create(cv::DISOpticalFlow::PRESET_MEDIUM)->calc(a, b, flow);
            disCpu = std::min(disCpu, CpuSeconds() - t);
        }
        const Errors fit = Measure(grid, truth, [&](int i, int j, double& x, double& y) {
            x = result.Points(i, j).X;
            y = result.Points(i, j).Y;
        });
        const Errors dis = Measure(grid, truth, [&](int i, int j, double& x, double& y) {
            const Point p = grid.Points(i, j);
            const cv::Point2f f =
                flow.at<cv::Point2f>(std::min(p.Y, height - 1), std::min(p.X, width - 1));
            x = p.X + f.x;
            y = p.Y + f.y;
        });
        std::printf("%-14s %s  %6.2f %6.2f %6.2f  | %6.2f %6.2f %6.2f  | %5.2f\n", c.photo,
                    c.degrees != 0 ? "similar" : "       ", fit.median, fit.p90, fitCpu, dis.median,
                    dis.p90, disCpu, fitCpu / disCpu);
        std::fflush(stdout);
    }
}

void Detail(const std::string& photo) {
    std::printf("\ndetail: %s against itself turned 4 deg, scaled 0.95, bent\n", photo.c_str());
    const int width = 1024, height = 768;
    const QImage start = Covering(photo, width, height);
    if (start.isNull()) return;
    test::WarpRecipe recipe;
    recipe.Amplitude = width * 0.012;
    recipe.Waves = 1.6;
    recipe.Scale = 0.95;
    recipe.Degrees = 4;
    recipe.Gain[0] = recipe.Gain[1] = recipe.Gain[2] = 1;
    recipe.Offset = 0;
    recipe.Noise = 0;
    const QImage end = test::WarpedPicture(start, recipe);
    const cv::Mat a = bench::GrayFloat(start), b = bench::GrayFloat(end);
    // The middle, where both halves show the picture.
    cv::Mat region = cv::Mat::zeros(a.size(), CV_8U);
    region(cv::Rect(width / 10, height / 10, width * 8 / 10, height * 8 / 10)) = 255;
    std::printf("grid     SSIM laid  SSIM fitted  free points added  CPU s\n");
    for (int cells : {5, 10, 20}) {
        const MatrixRecord grid = Grid(width, height, cells);
        const double t = CpuSeconds();
        const GridFitResult result = FitEndGrid(start, end, grid, grid);
        const double cpu = CpuSeconds() - t;
        MatrixRecord startFitted = grid, endFitted = grid;
        endFitted.Points = result.Points;
        startFitted.FreePoints = result.StartFreePoints;
        endFitted.FreePoints = result.FreePoints;
        const double laid = bench::MiddleScore(a, b, bench::FromRecords(grid, grid), region);
        const double fitted =
            bench::MiddleScore(a, b, bench::FromRecords(startFitted, endFitted), region);
        std::printf("%2d x %-2d  %9.3f  %11.3f  %17zu  %5.2f%s\n", cells, cells, laid, fitted,
                    result.DetailPairs.size(), cpu,
                    MeshUnfolded(startFitted, endFitted) ? "" : "  FOLDED");
        std::fflush(stdout);
    }
}

void Reference() {
    const std::string face = "/usr/share/doc/opencv-doc/opencv4/html/227943776_1.jpg";
    const std::string cat = "/usr/share/doc/opencv-doc/opencv4/html/cat_det.jpg";
    const QImage start = QImage(QString::fromStdString(face)).convertToFormat(QImage::Format_RGB32);
    const QImage whole = QImage(QString::fromStdString(cat)).convertToFormat(QImage::Format_RGB32);
    if (start.isNull() || whole.isNull()) return;
    std::printf("\nreference: a portrait (%d x %d) into a cat, eyes and mouth\n", start.width(),
                start.height());
    std::printf(
        "cat       grid     held back  interior within 3 px of the border  trusted  "
        "pairs added\n");
    // The cat as it is (its face a little larger than the portrait's), and
    // its face close up (about twice the portrait's).
    struct Case {
        const char* name;
        QRect crop;
    };
    for (const Case& c :
         {Case{"whole", whole.rect()}, Case{"close-up", QRect(120, 50, 208, 208)}}) {
        const double zoom = static_cast<double>(whole.width()) / c.crop.width();
        const QImage end = whole.copy(c.crop).scaled(whole.size(), Qt::IgnoreAspectRatio,
                                                     Qt::SmoothTransformation);
        const auto at = [&](double x, double y) {
            return std::pair{(x - c.crop.x()) * zoom, (y - c.crop.y()) * zoom};
        };
        GridFitOptions options;
        for (const auto& [sx, sy, ex, ey] : {std::array{175.0, 165.0, 183.0, 117.0},
                                             {238.0, 168.0, 258.0, 128.0},
                                             {205.0, 237.0, 208.0, 160.0}}) {
            const auto [x, y] = at(ex, ey);
            options.References.push_back({sx, sy, std::round(x), std::round(y)});
        }
        for (int cells : {5, 8}) {
            const MatrixRecord startGrid = Grid(start.width(), start.height(), cells);
            const MatrixRecord endGrid = Grid(end.width(), end.height(), cells);
            const GridFitResult result = FitEndGrid(start, end, startGrid, endGrid, options);
            int crushed = 0;
            for (int j = 2; j <= cells; ++j)
                for (int i = 2; i <= cells; ++i) {
                    const Point p = result.Points(i, j);
                    crushed +=
                        p.X <= 3 || p.Y <= 3 || p.X >= end.width() - 3 || p.Y >= end.height() - 3;
                }
            std::printf("%-8s  %2d x %-2d  %9d  %34d  %7d  %11zu%s\n", c.name, cells, cells,
                        result.HeldBack, crushed, result.Trusted, result.DetailPairs.size(),
                        result.Outcome == FitOutcome::Fitted ? "" : "  NOT FITTED");
        }
    }
}

void Sizes(const std::string& photo) {
    const QImage source(QString::fromStdString(photo));
    if (source.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", photo.c_str());
        return;
    }
    std::printf("\nsizes: photo %s\n", photo.c_str());
    for (const auto& [width, height] : {std::pair{1920, 1080}, {6000, 4000}}) {
        const QImage start = source.scaledToWidth(width, Qt::SmoothTransformation)
                                 .copy(0, 0, width, height)
                                 .convertToFormat(QImage::Format_RGB32);
        test::WarpRecipe recipe;
        recipe.Amplitude = width * 0.006;
        recipe.Waves = 1.3;
        recipe.Scale = 1.05;
        recipe.Degrees = 4;
        recipe.ShiftX = width * 0.01;
        recipe.ShiftY = -width * 0.006;
        const QImage end = test::WarpedPicture(start, recipe);
        const test::WarpTruth truth(recipe, width, height);

        // DIS alone, full size: one forward flow.
        const cv::Mat a = Gray(start), b = Gray(end);
        cv::Mat flow;
        const auto t0 = std::chrono::steady_clock::now();
        cv::DISOpticalFlow::create(cv::DISOpticalFlow::PRESET_MEDIUM)->calc(a, b, flow);
        const double disTime = Seconds(std::chrono::steady_clock::now() - t0);

        std::printf("\n%d x %d (field %.0f px, turned 4°, scaled 1.05, shifted)\n", width, height,
                    recipe.Amplitude);
        std::printf("grid     fit: time  median  p90   |  DIS alone: time  median  p90\n");
        for (int cells : {5, 10, 15, 20, 30}) {
            const MatrixRecord grid = Grid(width, height, cells);
            double best = 1e9;
            GridFitResult result;
            for (int run = 0; run < 3; ++run) {
                const auto s = std::chrono::steady_clock::now();
                result = FitEndGrid(start, end, grid, grid);
                best = std::min(best, Seconds(std::chrono::steady_clock::now() - s));
            }
            const Errors fit = Measure(grid, truth, [&](int i, int j, double& x, double& y) {
                x = result.Points(i, j).X;
                y = result.Points(i, j).Y;
            });
            const Errors dis = Measure(grid, truth, [&](int i, int j, double& x, double& y) {
                const Point p = grid.Points(i, j);
                const cv::Point2f f =
                    flow.at<cv::Point2f>(std::min(p.Y, height - 1), std::min(p.X, width - 1));
                x = p.X + f.x;
                y = p.Y + f.y;
            });
            std::printf("%2d x %-2d  %8.2f s %6.2f %6.2f  |  %12.2f s %6.2f %6.2f\n", cells, cells,
                        best, fit.median, fit.p90, disTime, dis.median, dis.p90);
            std::fflush(stdout);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::string part = argc > 1 ? argv[1] : "";
    std::string photo = argc > 2 ? argv[2] : test::PhotoPath("aloeL.jpg");
    if (part != "" && part != "accuracy" && part != "detail" && part != "reference" &&
        part != "sizes") {
        photo = part;  // a photo alone: every part
        part.clear();
    }
    if (part.empty() || part == "accuracy") Accuracy();
    if (part.empty() || part == "detail") Detail("aloeL.jpg");
    if (part.empty() || part == "reference") Reference();
    if (part.empty() || part == "sizes") Sizes(photo);
    return 0;
}
