// Time of the face landmarks and of the automatic fit with faces.
//
//   Landmarks/OneCrop      one forward pass of the landmark network (a face)
//   Landmarks/Find         cascade, landmarks and two re-crops of a portrait
//   Fit/Faces4000x3000     FitEndGrid with faces on a 4000 × 3000 pair of
//                          portraits of two people, 6 × 6 grid
//   Fit/DisAlone4000x3000  OpenCV's DIS flow alone between the same pair,
//                          full size, one direction
//
// The portraits: scikit-image's astronaut.png (python3-skimage) and the
// footballer of opencv-doc's messi5.jpg, each stretched to the size.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

#include "engine/FaceLandmarks.h"
#include "engine/GridFit.h"
#include "support/TestGrids.h"
#include "support/WarpedPair.h"

using namespace fennix;

namespace {

const FaceLandmarker& Model() {
    static const FaceLandmarker model = [] {
        FaceLandmarker m;
        std::string message;
        if (!m.Load(DefaultFaceModelFolder(), message))
            std::fprintf(stderr, "%s\n", message.c_str());
        return m;
    }();
    return model;
}

QImage Astronaut(int width, int height) {
    return QImage("/usr/lib/python3/dist-packages/skimage/data/astronaut.png")
        .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

QImage Footballer(int width, int height) {
    return QImage(QString::fromStdString(test::PhotoPath("messi5.jpg")))
        .copy(150, 0, 240, 240)
        .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

cv::Mat Gray(const QImage& image) {
    const QImage g = image.convertToFormat(QImage::Format_Grayscale8);
    return cv::Mat(g.height(), g.width(), CV_8UC1, const_cast<uchar*>(g.constBits()),
                   static_cast<size_t>(g.bytesPerLine()))
        .clone();
}

void OneCrop(benchmark::State& state) {
    const QImage picture = Astronaut(512, 512);
    for (auto _ : state) benchmark::DoNotOptimize(Model().OfCrop(picture, {150, 40, 290, 200}));
}
BENCHMARK(OneCrop)->Name("Landmarks/OneCrop")->Unit(benchmark::kMillisecond);

void Find(benchmark::State& state) {
    const QImage picture = Astronaut(512, 512);
    for (auto _ : state) benchmark::DoNotOptimize(Model().Find(picture));
}
BENCHMARK(Find)->Name("Landmarks/Find")->Unit(benchmark::kMillisecond);

void FitFaces(benchmark::State& state) {
    const QImage start = Astronaut(4000, 3000), end = Footballer(4000, 3000);
    const MatrixRecord grid = test::Grid(4000, 3000, 6, 6);
    GridFitOptions options;
    options.Faces = &Model();
    size_t pairs = 0;
    for (auto _ : state) pairs = FitEndGrid(start, end, grid, grid, options).FacePairs.size();
    state.counters["landmark_pairs"] = static_cast<double>(pairs);
}
BENCHMARK(FitFaces)->Name("Fit/Faces4000x3000")->Unit(benchmark::kMillisecond)->Iterations(3);

void DisAlone(benchmark::State& state) {
    const cv::Mat a = Gray(Astronaut(4000, 3000)), b = Gray(Footballer(4000, 3000));
    cv::Mat flow;
    for (auto _ : state)
        cv::DISOpticalFlow::create(cv::DISOpticalFlow::PRESET_MEDIUM)->calc(a, b, flow);
}
BENCHMARK(DisAlone)->Name("Fit/DisAlone4000x3000")->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
