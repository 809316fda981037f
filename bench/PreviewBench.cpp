// Timings of the document window's preview: one frame of a 10 × 10 grid
// whose end mesh has its points moved, at full size (after a point is
// released) and reduced (while a point is dragged), the frame halfway.

#include <benchmark/benchmark.h>

#include <QImage>
#include <cmath>
#include <string>

#include "engine/EngineTestData.h"
#include "engine/FramePreview.h"

namespace fennix {
namespace {

QImage Pattern(int width, int height, int shift) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb((x + shift) & 255, (y * 3 + shift) & 255, (x ^ y) & 255);
    }
    return image;
}

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

BENCHMARK_MAIN();
