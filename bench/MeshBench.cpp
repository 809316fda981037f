// Timings of the mesh of grid and free points: building it (what every
// frame, preview and release does) and checking it for folds, for a grid of
// 10 × 10 and 40 × 40 cells over 640 × 480 with 0, 20 and 200 free pairs;
// and one preview frame with and without 20 pairs; a step of dragging a
// free point in the window and a whole drawing of a picture with the
// mesh. Then what
// `fennix-morph new --points` does with a file of 1,000, 2,000 and 10,000
// pairs over a 10 × 10 grid: one check of the whole set (one build of the
// mesh), beside the plain build it must match and, for 1,000 pairs, the
// way it read them before (two plain builds after every line).

#include <benchmark/benchmark.h>

#include <QImage>
#include <set>
#include <utility>

#include "engine/EngineTestData.h"
#include "engine/FramePreview.h"
#include "model/FreeMesh.h"
#include "model/FreePairCheck.h"
#include "model/MatrixDrawing.h"
#include "model/MeshEdges.h"

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

// One step of dragging a free point in the window: the point moves a pixel,
// the mesh is built again and the changed part of the start picture redrawn
// (the marker's box and the edges that changed); and, beside it, a whole
// drawing of the start picture with the mesh's edges.
void BM_DragStep(benchmark::State& state) {
    MatrixRecord start, end;
    Grids(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), start, end);
    start.PointerSize = 5;
    PicturePane pane;
    pane.SetSize(641, 481);
    MeshEdgeCache mesh;
    mesh.Update(start, end);
    GridOverlay overlay;
    DrawMatrix(pane, start, 1, overlay);
    const bool free = !start.FreePoints.empty();  // else grid point (2, 2)
    Point& moved = free ? start.FreePoints[0] : start.Points(2, 2);
    const auto pointArea = [&] {
        return free ? FreeMarkerArea(moved, 5, 1) : PointArea(start, 2, 2, 1);
    };
    int step = 1;
    for (auto _ : state) {
        QRegion area = pointArea();
        moved.X += step;
        step = -step;
        area += pointArea();
        const auto areas = mesh.UpdateArea(start, end, 1);
        overlay.MeshEdges = mesh.Edges();
        DrawMatrixArea(pane, start, 1, area + areas[0], overlay);
    }
}
BENCHMARK(BM_DragStep)->ArgsProduct({{10, 40}, {0, 20, 200, 1000}})->Unit(benchmark::kMicrosecond);

void BM_DrawWhole(benchmark::State& state) {
    MatrixRecord start, end;
    Grids(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), start, end);
    start.PointerSize = 5;
    PicturePane pane;
    pane.SetSize(641, 481);
    MeshEdgeCache mesh;
    mesh.Update(start, end);
    GridOverlay overlay;
    overlay.MeshEdges = mesh.Edges();
    for (auto _ : state) DrawMatrix(pane, start, 1, overlay);
}
BENCHMARK(BM_DrawWhole)->ArgsProduct({{10, 40}, {0, 20, 200, 1000}})->Unit(benchmark::kMicrosecond);

// `pairs` distinct pairs scattered over 1000 × 800 (none on a grid point),
// each end point where its start point is.
void PointsFile(int pairs, MatrixRecord& start, MatrixRecord& end) {
    start = test::Grid(1000, 800, 10, 10);
    end = start;
    test::Lcg random(11);
    std::set<std::pair<int, int>> taken;
    while (static_cast<int>(start.FreePoints.size()) < pairs) {
        const Point p{random.Between(1, 999), random.Between(1, 799)};
        if (p.X % 100 == 0 && p.Y % 80 == 0) continue;
        if (!taken.insert({p.X, p.Y}).second) continue;
        start.FreePoints.push_back(p);
        end.FreePoints.push_back(p);
    }
}

void BM_CheckPointsFile(benchmark::State& state) {
    MatrixRecord start, end;
    PointsFile(static_cast<int>(state.range(0)), start, end);
    for (auto _ : state) {
        const FreePairCheck check = CheckFreePairs(start, end);
        if (!check.Passed()) state.SkipWithError("the pairs do not pass");
        benchmark::DoNotOptimize(check);
    }
}
BENCHMARK(BM_CheckPointsFile)->Arg(1000)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_PlainBuild(benchmark::State& state) {
    MatrixRecord start, end;
    PointsFile(static_cast<int>(state.range(0)), start, end);
    for (auto _ : state) benchmark::DoNotOptimize(BuildFreeMeshReference(start, end));
}
BENCHMARK(BM_PlainBuild)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The former reading: after every line the mesh of the pairs so far built
// twice, the plain way (once for places, once for folds).
void BM_PointsFileLineByLine(benchmark::State& state) {
    MatrixRecord start, end;
    PointsFile(static_cast<int>(state.range(0)), start, end);
    for (auto _ : state) {
        MatrixRecord s = start, e = end;
        s.FreePoints.clear();
        e.FreePoints.clear();
        for (size_t n = 0; n < start.FreePoints.size(); ++n) {
            s.FreePoints.push_back(start.FreePoints[n]);
            e.FreePoints.push_back(end.FreePoints[n]);
            benchmark::DoNotOptimize(BuildFreeMeshReference(s, e));
            benchmark::DoNotOptimize(BuildFreeMeshReference(s, e));
        }
    }
}
BENCHMARK(BM_PointsFileLineByLine)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace fennix

BENCHMARK_MAIN();
