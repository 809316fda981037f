// Timings of the mesh of grid and free points: building it (what every
// frame, preview and release does) and checking it for folds, for a grid of
// 10 × 10 and 40 × 40 cells over 640 × 480 with 0, 20 and 200 free pairs;
// and one preview frame with and without 20 pairs.

#include <benchmark/benchmark.h>

#include <QImage>

#include "engine/EngineTestData.h"
#include "engine/FramePreview.h"
#include "model/FreeMesh.h"

namespace fennix {
namespace {

// A grid with its points moved and `pairs` free pairs spread over the
// picture, each end point a few pixels from its start point.
void Grids(int cells, int pairs, MatrixRecord& start, MatrixRecord& end) {
    start = test::Grid(640, 480, cells, cells);
    end = test::JitteredGrid(640, 480, cells, cells, 7);
    test::Lcg random(3);
    while (static_cast<int>(start.FreePoints.size()) < pairs) {
        const Point p{random.Between(1, 639), random.Between(1, 479)};
        start.FreePoints.push_back(p);
        end.FreePoints.push_back(*MapThroughMesh(start, end, 1, p));
        if (!MeshUnfolded(start, end)) {
            start.FreePoints.pop_back();
            end.FreePoints.pop_back();
        }
    }
}

void BM_BuildMesh(benchmark::State& state) {
    MatrixRecord start, end;
    Grids(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), start, end);
    for (auto _ : state) {
        TriangleList s, e;
        BuildMeshTriangles(start, end, s, e);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_BuildMesh)->ArgsProduct({{10, 40}, {0, 20, 200}})->Unit(benchmark::kMicrosecond);

void BM_MeshUnfolded(benchmark::State& state) {
    MatrixRecord start, end;
    Grids(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), start, end);
    for (auto _ : state) benchmark::DoNotOptimize(MeshUnfolded(start, end));
}
BENCHMARK(BM_MeshUnfolded)->ArgsProduct({{10, 40}, {0, 20, 200}})->Unit(benchmark::kMicrosecond);

void BM_PreviewFrame(benchmark::State& state) {
    MatrixRecord start, end;
    Grids(10, static_cast<int>(state.range(0)), start, end);
    QImage a(640, 480, QImage::Format_RGB32), b(640, 480, QImage::Format_RGB32);
    a.fill(Qt::darkCyan);
    b.fill(Qt::yellow);
    const MorphSource source{&a, &b, &start, &end, 10, {}};
    for (auto _ : state) benchmark::DoNotOptimize(RenderMorphFrame(source, 5, 0));
}
BENCHMARK(BM_PreviewFrame)->Arg(0)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace fennix

BENCHMARK_MAIN();
