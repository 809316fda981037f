// AVI creation from a folder of 100 bitmap frames of 1920 × 1080: each frame
// decoded, stretched (here to its own size), stored as the scratch bitmap,
// reloaded and written, uncompressed and with Motion JPEG. The "fps" counter
// is frames written per second.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "media/AviFrames.h"
#include "media/AviWriter.h"
#include "media/ImageFile.h"

namespace fennix {
namespace {

constexpr int kFrames = 100;
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// The frame folder, written once for every benchmark of the run.
struct FrameFolder {
    QTemporaryDir dir;
    std::vector<std::string> paths;

    FrameFolder() {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        for (int k = 0; k < kFrames; ++k) {
            for (int y = 0; y < kHeight; ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < kWidth; ++x)
                    row[x] = qRgb((x + 3 * k) & 255, (y + k) & 255, ((x ^ y) + k) & 255);
            }
            char name[16];
            std::snprintf(name, sizeof name, "/%03d.bmp", k);
            paths.push_back(dir.path().toStdString() + name);
            SaveBitmapFile(image, paths.back());
        }
    }
};

FrameFolder& Frames() {
    static FrameFolder folder;
    return folder;
}

void CreateAvi(benchmark::State& state, const char* codec) {
    FrameFolder& frames = Frames();
    const std::string output = frames.dir.path().toStdString() + "/out.avi";
    CompressorOptions options;
    options.Name = codec;
    for (auto _ : state) {
        const AviOutcome outcome = CreateAviFile(frames.paths, output, kWidth, kHeight, 20,
                                                 [&] { return std::optional(options); });
        if (outcome != AviOutcome::Written) state.SkipWithError("the AVI was not written");
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(kFrames) * state.iterations(),
                                               benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(CreateAvi, none, "none")->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK_CAPTURE(CreateAvi, mjpeg, "mjpeg")
    ->Unit(benchmark::kSecond)
    ->Iterations(2)
    ->UseRealTime();

}  // namespace
}  // namespace fennix

BENCHMARK_MAIN();
