// Timings of the per-frame engine work: painting the index map, the warp
// on each path (plain, AVX2, AVX-512) and one whole frame including its
// bitmap file, on one thread and on two, at 640 × 480 and 1920 × 1080 with
// a 10 × 10 grid whose end mesh has its points moved (the plain and AVX-512
// warps and the whole frame also with a dense 60 × 60 one, whose short
// spans make the per-span work count); the exact and the smooth warp of a
// run's frame side by side; and one frame of the document window's preview.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/EngineTestData.h"
#include "engine/FramePreview.h"
#include "engine/PixelBuffer.h"
#include "engine/SmoothWarp.h"
#include "engine/Warp.h"
#include "media/ImageFile.h"
#include "media/PicturePane.h"
#include "model/MatrixRecord.h"
#include "model/Triangulation.h"

namespace fennix {
namespace {

constexpr int kGrid = 10;
constexpr int kLastFrame = 10;
constexpr int kFrame = 5;  // halfway, where both meshes differ most from the frame's

QImage Pattern(int width, int height, int shift) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb((x + shift) & 255, (y * 3 + shift) & 255, (x ^ y) & 255);
    }
    return image;
}

// Everything one frame needs, set up as a morph run sets it up.
struct Scene {
    PixelBuffer start, end, output;
    TriangleList startList, endList, intermediate;
    IndexMap map;
    PicturePane surface;
    float t = static_cast<float>(static_cast<double>(kFrame) / kLastFrame);

    Scene(int width, int height, int grid = kGrid) {
        PicturePane pane;
        pane.SetPicture(Pattern(width, height, 0));
        CaptureBits(pane, start);
        pane.SetPicture(Pattern(width, height, 90));
        CaptureBits(pane, end);
        startList = BuildTriangles(test::Grid(width, height, grid, grid));
        endList = BuildTriangles(test::JitteredGrid(width, height, grid, grid, 12345));
        intermediate = InterpolateTriangles(startList, endList, kFrame, kLastFrame);
        surface.SetSize(width, height);
        PaintIndexMap(map, width, height, intermediate);
        CaptureBits(surface, output);
    }
};

void SetLabel(benchmark::State& state, const std::string& more = {}) {
    state.SetLabel(std::to_string(state.range(0)) + "x" + std::to_string(state.range(1)) + more);
}

void BM_PaintIndexMap(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        PaintIndexMap(scene.map, scene.start.Width(), scene.start.Height(), scene.intermediate);
        benchmark::DoNotOptimize(scene.map.Index.data());
    }
    SetLabel(state);
}

const WarpPath kPaths[] = {WarpPath::Auto, WarpPath::Plain, WarpPath::Avx2, WarpPath::Avx512};

// Forces the path of range(3) for one benchmark; false (and the benchmark
// skipped) when the CPU lacks it.
bool ForcePath(benchmark::State& state) {
    const WarpPath path = kPaths[state.range(3)];
    if (SetWarpPath(path)) return true;
    state.SkipWithError((std::string("this CPU has no ") + WarpPathName(path)).c_str());
    return false;
}

std::string Describe(benchmark::State& state) {
    return std::string(", ") + WarpPathName(CurrentWarpPath()) +
           (state.range(2) == 1 ? ", one thread" : state.range(2) == 2 ? ", two threads" : ", all cores");
}

// range(2): threads (0 for one per core); range(3): the path, an index
// into kPaths; range(4): the grid's rows and columns.
void BM_WarpFrame(benchmark::State& state) {
    if (!ForcePath(state)) return;
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                static_cast<int>(state.range(4)));
    for (auto _ : state) {
        WarpFrame(scene.start, scene.startList, scene.end, scene.endList, scene.output, scene.map,
                  scene.intermediate, scene.t, static_cast<int>(state.range(2)));
        benchmark::DoNotOptimize(scene.output.Bits.data());
    }
    SetLabel(state, Describe(state) + ", " + std::to_string(state.range(4)) + "x" +
                        std::to_string(state.range(4)) + " grid");
    SetWarpPath(WarpPath::Auto);
}

// One frame as a morph run makes it: interpolation, the index map painted
// band by band beside the warp from the two pictures into a picture that
// starts from the frame before (two pictures in turn, as a run has them),
// and the bitmap file. range(2) and range(3) as for BM_WarpFrame; range(4)
// the grid's rows and columns.
void BM_WholeFrame(benchmark::State& state) {
    if (!ForcePath(state)) return;
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const int grid = static_cast<int>(state.range(4));
    Scene scene(width, height, grid);
    const QImage start = Pattern(width, height, 0), end = Pattern(width, height, 90);
    QTemporaryDir folder;
    QImage frames[2] = {scene.surface.Layer().convertToFormat(QImage::Format_RGB32),
                        QImage(width, height, QImage::Format_RGB32)};
    int k = 0;
    for (auto _ : state) {
        // A new file every time, as in a run (a file that is replaced is
        // flushed to the disk first); the one before goes, untimed.
        state.PauseTiming();
        const std::string path = folder.path().toStdString() + "/" + std::to_string(k++) + ".bmp";
        std::remove((folder.path().toStdString() + "/" + std::to_string(k - 2) + ".bmp").c_str());
        state.ResumeTiming();
        const TriangleList intermediate =
            InterpolateTriangles(scene.startList, scene.endList, kFrame, kLastFrame);
        QImage& frame = frames[k % 2];
        WarpMeshBits(start.constBits(), scene.startList, end.constBits(), scene.endList,
                     frame.bits(), width, height, intermediate, scene.t,
                     static_cast<int>(state.range(2)), frames[(k + 1) % 2].constBits(), true);
        if (!SaveBitmapFile(frame, path, nullptr, false)) {
            state.SkipWithError("cannot write the bitmap file");
            break;
        }
    }
    SetLabel(state, Describe(state) + ", " + std::to_string(grid) + "x" + std::to_string(grid) + " grid");
    SetWarpPath(WarpPath::Auto);
}

BENCHMARK(BM_PaintIndexMap)->Args({640, 480})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WarpFrame)
    ->Args({640, 480, 0, 0, kGrid})
    ->ArgsProduct({{1920}, {1080}, {1, 2}, {1, 2, 3}, {kGrid}})
    ->ArgsProduct({{1920}, {1080}, {1, 2}, {1, 3}, {60}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_WholeFrame)
    ->Args({640, 480, 0, 0, kGrid})
    ->ArgsProduct({{1920}, {1080}, {1, 2}, {0}, {kGrid, 60}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The warp of one run frame, mesh interpolation and index map included, in
// either quality side by side: range(5) 0 exact (標準), 1 smooth (滑らか),
// whose mip maps a run makes once, before its frames (not timed). The end
// mesh shrinks the pictures a little (its jitter), and range(6) in percent
// shrinks the end grid as a whole about the centre, so that its triangles
// read the end picture from mip levels. range(2), (3), (4) as for
// BM_WarpFrame.
void BM_QualityFrame(benchmark::State& state) {
    if (!ForcePath(state)) return;
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const int grid = static_cast<int>(state.range(4));
    const bool smooth = state.range(5) == 1;
    const double shrink = state.range(6) / 100.0;
    const QImage start = Pattern(width, height, 0), end = Pattern(width, height, 90);
    const TriangleList startList = BuildTriangles(test::Grid(width, height, grid, grid));
    MatrixRecord endGrid = test::JitteredGrid(width, height, grid, grid, 12345);
    for (int j = 1; j <= grid + 1; ++j)
        for (int i = 1; i <= grid + 1; ++i) {
            Point& p = endGrid.Points(i, j);
            p = {static_cast<int32_t>(width / 2 + (p.X - width / 2) * shrink),
                 static_cast<int32_t>(height / 2 + (p.Y - height / 2) * shrink)};
        }
    const TriangleList endList = BuildTriangles(endGrid);
    const SmoothPicture startPicture(start.constBits(), width, height),
        endPicture(end.constBits(), width, height);
    QImage output(width, height, QImage::Format_RGB32);
    output.fill(0);
    const float t = static_cast<float>(static_cast<double>(kFrame) / kLastFrame);
    const int threads = static_cast<int>(state.range(2));
    for (auto _ : state) {
        if (smooth)
            WarpSmoothBits(startPicture, startList, endPicture, endList, output.bits(),
                           InterpolateSmoothAt(startList, endList, t), t, threads);
        else
            WarpMeshBits(start.constBits(), startList, end.constBits(), endList, output.bits(),
                         width, height, InterpolateTrianglesAt(startList, endList, t), t, threads);
        benchmark::DoNotOptimize(output.constBits());
    }
    SetLabel(state, Describe(state) + ", " + std::to_string(grid) + "x" + std::to_string(grid) +
                        " grid, " + (smooth ? "smooth" : "exact") + ", end at " +
                        std::to_string(state.range(6)) + "%");
    SetWarpPath(WarpPath::Auto);
}

BENCHMARK(BM_QualityFrame)
    ->ArgsProduct({{1920}, {1080}, {1, 2}, {1, 2, 3}, {kGrid}, {0, 1}, {100}})
    ->ArgsProduct({{1920}, {1080}, {1}, {3}, {60}, {0, 1}, {100}})
    ->ArgsProduct({{1920}, {1080}, {1}, {3}, {kGrid}, {0, 1}, {25}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The document window's preview: one frame at full size (after a point is
// released) and reduced (while a point is dragged).
// range(0) × range(1) pictures; range(2) the scale in percent.
void BM_PreviewFrame(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const QImage start = Pattern(width, height, 0), end = Pattern(width, height, 90);
    const MatrixRecord startMatrix = test::Grid(width, height, 10, 10);
    const MatrixRecord endMatrix = test::JitteredGrid(width, height, 10, 10, 12345);
    const MorphSource source{&start, &end, &startMatrix, &endMatrix, 19};
    const double scale = state.range(2) / 100.0;
    for (auto _ : state) {
        const QImage frame = RenderMorphFrameReduced(source, 10, 0, scale);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.SetLabel(std::to_string(width) + "x" + std::to_string(height) + " at " +
                   std::to_string(state.range(2)) + "%");
}

BENCHMARK(BM_PreviewFrame)
    ->Args({1024, 768, 100})
    ->Args({1024, 768, 63})
    ->Args({4000, 3000, 100})
    ->Args({4000, 3000, 16})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace fennix

// No application object: QImage, QTemporaryDir and the built-in BMP writer
// work without one, so the benchmark needs no display.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
