// How well the middle frame of a face morph lines the two faces up: the
// SSIM of the start picture and of the end picture, each warped to the
// middle mesh, inside the face (the hull of the middle landmarks), for
//
//   laid     the 6 × 6 grid as laid, nothing else
//   points   the fit's landmark pairs as free points over the grid as laid
//   fit      FitEndGrid with faces: landmark pairs, the grid following them
//   recipe   the common recipe of face-morphing scripts: the same 68
//            landmarks, the corners and edge midpoints, Delaunay of the
//            middle points
//
// Every variant is warped the same way (one affine map per triangle) so
// only the meshes differ. Whether the mesh folds is checked for the fit.
//
// usage: fennix-face-measure [START END ...]
// (default: scikit-image's astronaut.png and the footballer of opencv-doc's
// messi5.jpg, both 512 × 512)
#include <QGuiApplication>
#include <cstdio>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

#include "MeshScore.h"
#include "engine/FaceLandmarks.h"
#include "engine/GridFit.h"
#include "model/FreeMesh.h"
#include "support/TestGrids.h"
#include "support/WarpedPair.h"

using namespace fennix;

namespace {

constexpr int kSide = 512;

QImage Picture(const std::string& path) {
    QImage image(QString::fromStdString(path));
    if (path.find("messi5.jpg") != std::string::npos) image = image.copy(150, 0, 240, 240);
    return image.scaled(kSide, kSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

using bench::FromRecords;
using bench::Mesh;

cv::Mat Gray(const QImage& image) {
    return bench::GrayFloat(image);
}

double Score(const cv::Mat& a, const cv::Mat& b, const Mesh& mesh, const cv::Mat& region) {
    return bench::MiddleScore(a, b, mesh, region);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::vector<std::pair<std::string, std::string>> pairs;
    for (int k = 1; k + 1 < argc; k += 2) pairs.push_back({argv[k], argv[k + 1]});
    if (pairs.empty())
        pairs.push_back({"/usr/lib/python3/dist-packages/skimage/data/astronaut.png",
                         test::PhotoPath("messi5.jpg")});
    FaceLandmarker model;
    std::string message;
    if (!model.Load(DefaultFaceModelFolder(), message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    std::printf("SSIM of the warped halves at the middle frame, in the face\n");
    std::printf("%-40s %7s %7s %7s %7s  %s\n", "pair", "laid", "points", "fit", "recipe",
                "fit folds");
    for (const auto& [startPath, endPath] : pairs) {
        const QImage start = Picture(startPath), end = Picture(endPath);
        if (start.isNull() || end.isNull()) {
            std::printf("%s / %s: cannot read\n", startPath.c_str(), endPath.c_str());
            continue;
        }
        const auto startFaces = model.Find(start), endFaces = model.Find(end);
        if (startFaces.empty() || endFaces.empty()) {
            std::printf("%s / %s: no face in both\n", startPath.c_str(), endPath.c_str());
            continue;
        }
        const cv::Mat a = Gray(start), b = Gray(end);
        const MatrixRecord grid = test::Grid(kSide, kSide, 6, 6);

        // The face: the hull of the middle landmarks.
        std::vector<cv::Point> middle;
        for (size_t k = 0; k < 68; ++k)
            middle.emplace_back(cvRound((startFaces[0].Points[k].X + endFaces[0].Points[k].X) / 2),
                                cvRound((startFaces[0].Points[k].Y + endFaces[0].Points[k].Y) / 2));
        std::vector<cv::Point> hull;
        cv::convexHull(middle, hull);
        cv::Mat region = cv::Mat::zeros(a.size(), CV_8U);
        cv::fillConvexPoly(region, hull, 255);

        const double laid = Score(a, b, FromRecords(grid, grid), region);

        GridFitOptions options;
        options.Faces = &model;
        const GridFitResult fit = FitEndGrid(start, end, grid, grid, options);
        MatrixRecord fitStart = grid, fitEnd = grid;
        fitStart.FreePoints = fit.StartFreePoints;
        fitEnd.Points = fit.Points;
        fitEnd.FreePoints = fit.FreePoints;
        const double fitted = Score(a, b, FromRecords(fitStart, fitEnd), region);
        const bool folds = !MeshUnfolded(fitStart, fitEnd);

        MatrixRecord pointStart = grid, pointEnd = grid;
        for (const FreePair& p : fit.FacePairs) {
            pointStart.FreePoints.push_back(p.Start);
            pointEnd.FreePoints.push_back(p.End);
        }
        const double points = Score(a, b, FromRecords(pointStart, pointEnd), region);

        // The recipe: landmarks, corners and edge midpoints, Delaunay of the
        // middle places.
        Mesh recipe;
        for (size_t k = 0; k < 68; ++k) {
            recipe.Start.emplace_back(startFaces[0].Points[k].X, startFaces[0].Points[k].Y);
            recipe.End.emplace_back(endFaces[0].Points[k].X, endFaces[0].Points[k].Y);
        }
        const float e = kSide - 1, h = e / 2;
        for (const cv::Point2f p :
             {cv::Point2f(0, 0), cv::Point2f(h, 0), cv::Point2f(e, 0), cv::Point2f(e, h),
              cv::Point2f(e, e), cv::Point2f(h, e), cv::Point2f(0, e), cv::Point2f(0, h)}) {
            recipe.Start.push_back(p);
            recipe.End.push_back(p);
        }
        cv::Subdiv2D subdiv(cv::Rect(-1, -1, kSide + 2, kSide + 2));
        std::vector<cv::Point2f> mids;
        for (size_t k = 0; k < recipe.Start.size(); ++k) {
            cv::Point2f m = (recipe.Start[k] + recipe.End[k]) * 0.5f;
            m.x = std::clamp(m.x, 0.0f, e);
            m.y = std::clamp(m.y, 0.0f, e);
            mids.push_back(m);
            subdiv.insert(m);
        }
        std::vector<cv::Vec6f> list;
        subdiv.getTriangleList(list);
        const auto index = [&mids](float x, float y) {
            for (size_t k = 0; k < mids.size(); ++k)
                if (std::abs(mids[k].x - x) < 0.01f && std::abs(mids[k].y - y) < 0.01f)
                    return static_cast<int>(k);
            return -1;
        };
        for (const cv::Vec6f& t : list) {
            const int i = index(t[0], t[1]), j = index(t[2], t[3]), k = index(t[4], t[5]);
            if (i >= 0 && j >= 0 && k >= 0) recipe.Tri.push_back({i, j, k});
        }
        const double common = Score(a, b, recipe, region);

        const std::string name = startPath.substr(startPath.rfind('/') + 1) + " / " +
                                 endPath.substr(endPath.rfind('/') + 1);
        std::printf("%-40s %7.3f %7.3f %7.3f %7.3f  %s (%zu landmark pairs)\n", name.c_str(), laid,
                    points, fitted, common, folds ? "FOLDS" : "no", fit.FacePairs.size());
    }
    return 0;
}
