// Time and accuracy of the automatic grid fit (FitEndGrid) on a photo and a
// copy of it warped by a known smooth field, turned, scaled, shifted,
// recoloured and noised, at 1920 × 1080 and 6000 × 4000, for grids of 5 × 5
// to 30 × 30 cells; beside OpenCV's DIS flow alone (full size, no global
// alignment), each grid point taking the flow at its start point.
//
// usage: fennix-fit-bench [PHOTO] (default: opencv-doc's aloeL.jpg)
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <opencv2/video/tracking.hpp>
#include <vector>

#include "engine/GridFit.h"
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

cv::Mat Gray(const QImage& image) {
    const cv::Mat bgra(image.height(), image.width(), CV_8UC4,
                       const_cast<uchar*>(image.constBits()),
                       static_cast<size_t>(image.bytesPerLine()));
    cv::Mat gray;
    cv::cvtColor(bgra, gray, cv::COLOR_BGRA2GRAY);
    return gray;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string photo = argc > 1 ? argv[1] : test::PhotoPath("aloeL.jpg");
    const QImage source(QString::fromStdString(photo));
    if (source.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", photo.c_str());
        return 1;
    }
    std::printf("photo %s\n", photo.c_str());
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
    return 0;
}
