#include "engine/MorphRun.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <future>
#include <limits>
#include <optional>
#include <system_error>

#include "core/Paths.h"
#include "engine/FrameWarp.h"
#include "media/ImageFile.h"
#include "media/JpegCompanion.h"
#include "model/FreeMesh.h"

namespace fennix {

namespace {

// Writes one frame as a frame file, complete or not at all: a frame that
// does not fit on the disk leaves no file behind. JPEG frames go through a
// scratch bitmap of their own in the temporary folder, so two runs at once
// never convert each other's pixels; it is removed whatever happens. Frames
// are not flushed to the disk one by one: a run that a crash cuts short is
// lost as a whole anyway, and the flushes would cost more than the warp.
std::string WriteFrame(const QImage& frame, int k, const FrameOutput& output,
                       const std::optional<JpegCompanion>& companion) {
    const std::string path = output.frameFolder + FrameFileName(k, output.saveKind);
    std::string why;
    if (output.saveKind == 0) {
        if (!SaveBitmapFile(frame, path, &why, false)) return why;
        return {};
    }
    // The companion itself writes the JPEG file complete or not at all.
    ScratchBitmap scratch;
    if (!scratch.Write(frame, JoinPath(output.tempFolder, kJpegScratchName)))
        return scratch.Error().empty() ? "cannot encode frame " + path : scratch.Error();
    if (!companion->Convert(scratch.Path(), path)) return "cannot write " + path;
    return {};
}

// Writes frames on a thread of its own while the next one is made: one
// frame at a time, each handed over as a shared copy of the picture, which
// the next frame's drawing detaches from. A held frame is written under
// each of its numbers in turn.
class FrameWriter {
  public:
    FrameWriter(const FrameOutput& output, const std::optional<JpegCompanion>& companion)
        : output_(output), companion_(companion) {}
    // Waits for the frame still being written, so that none is left half done.
    ~FrameWriter() { Finish(); }

    // Starts writing `frame` as the files first … first + count − 1; call
    // Finish for the one before first.
    void Start(const QImage& frame, int first, int count) {
        frame_ = frame;
        first_ = first;
        count_ = count;
        writing_ = std::async(std::launch::async, [this] {
            for (int i = 0; i < count_; ++i)
                if (std::string failure = WriteFrame(frame_, first_ + i, output_, companion_);
                    !failure.empty())
                    return failure;
            return std::string();
        });
    }

    // True while a frame has been started and not yet finished.
    bool Busy() const { return writing_.valid(); }

    // Waits for the frame being written: an empty text when it was written
    // (or none was started), otherwise why not.
    std::string Finish() { return writing_.valid() ? writing_.get() : std::string(); }

    // Lets go of the frame written last (none may be being written).
    void Release() { frame_ = QImage(); }

    // The frame started last, and its numbers.
    const QImage& Frame() const { return frame_; }
    int First() const { return first_; }
    int Count() const { return count_; }

  private:
    const FrameOutput& output_;
    const std::optional<JpegCompanion>& companion_;
    QImage frame_;
    int first_ = -1;
    int count_ = 0;
    std::future<std::string> writing_;
};

// True when every squared distance the warp takes (between two corners of
// a triangle, or between a corner and a pixel of the image) fits in the 32
// bits it is computed in. Every intermediate mesh lies between the two
// grids, so the bounding box of both grids and the image covers all frames.
bool DistancesFit(const TriangleList& first, const TriangleList& second, int width, int height) {
    int64_t minX = 0, minY = 0, maxX = width - 1, maxY = height - 1;
    for (const TriangleList* list : {&first, &second}) {
        for (int i = 1; i <= list->Count(); ++i) {
            const Triangle& t = (*list)[i];
            for (const Point& p : {t.P0, t.P1, t.P2}) {
                minX = std::min<int64_t>(minX, p.X);
                maxX = std::max<int64_t>(maxX, p.X);
                minY = std::min<int64_t>(minY, p.Y);
                maxY = std::max<int64_t>(maxY, p.Y);
            }
        }
    }
    const int64_t spanX = maxX - minX, spanY = maxY - minY;
    constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
    if (spanX > 46341 || spanY > 46341) return false;  // a square alone would not fit
    return spanX * spanX + spanY * spanY <= kLimit;
}

}  // namespace

std::string MakeMorphParts(const MorphSource& source, MorphParts& parts) {
    if (source.lastFrame <= 0) return "the frame count must be at least 2";
    if (!source.start || !source.end || source.start->isNull() || source.end->isNull())
        return "an image is missing";
    if (!source.startMatrix || !source.endMatrix) return "a grid is missing";
    BuildMeshTriangles(*source.startMatrix, *source.endMatrix, parts.startList, parts.endList);
    if (parts.startList.Count() != parts.endList.Count()) return "the two grids do not match";
    // Points far off the image (from a damaged project file) would overflow
    // the warp's arithmetic; such a run fails instead of writing garbage.
    const QSize size = source.start->size();
    if (!DistancesFit(parts.startList, parts.endList, size.width(), size.height()))
        return "the grids reach too far beyond the image";
    // The pixels of both images are read where they are. The end image is
    // read as if it had the start image's size, so a different size is
    // scaled first.
    parts.start = source.start->convertToFormat(QImage::Format_RGB32);
    parts.end = (source.end->size() == size
                     ? *source.end
                     : source.end->scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation))
                    .convertToFormat(QImage::Format_RGB32);
    return {};
}

std::string RunMorph(const MorphSource& source, PicturePane& surface, const FrameOutput& output,
                     const MorphProgress& progress) {
    const int N = source.lastFrame;
    MorphParts parts;
    if (std::string failure = MakeMorphParts(source, parts); !failure.empty()) return failure;
    const QImage& start = parts.start;

    std::optional<JpegCompanion> companion;
    if (output.saveKind != 0) {
        std::string why;
        companion = JpegCompanion::Load(output.companionFolder, &why);
        if (!companion) return why;
    }

    if (surface.Width() != start.width() || surface.Height() != start.height())
        return "the render surface does not have the start image's size";
    const RunOptions& options = source.options;
    if (options.HoldStart < 0 || options.HoldStart > kMaxHoldFrames || options.HoldEnd < 0 ||
        options.HoldEnd > kMaxHoldFrames || output.firstNumber < 0)
        return "the frames to hold are out of range";
    const int64_t lastNumber =
        int64_t{output.firstNumber} + WrittenFrameCount(options, N, output.joined) - 1;
    if (lastNumber > std::numeric_limits<int32_t>::max()) return "the run has too many frames";
    // Frame k (0 < k < N) is written as base + k; frame 0 also under the
    // numbers before it, frame N under those after it.
    const int64_t base = int64_t{output.firstNumber} + options.HoldStart - (output.joined ? 1 : 0);
    auto firstNumberOf = [&](int k) { return k == 0 ? int64_t{output.firstNumber} : base + k; };
    auto countOf = [&](int k) {
        return static_cast<int>((k == N ? base + N + options.HoldEnd : base + k) - firstNumberOf(k) + 1);
    };
    // Each frame is warped into a picture that starts as a copy of the frame
    // before (the surface's layer for the first): the pixels no triangle
    // covers keep what it holds. The frame being written is held by the
    // writer and the surface too, and a caller may keep one; a picture held
    // by nobody else is used again for the next frame, so a run holds two
    // frames unless a caller keeps another.
    std::vector<QImage> pictures{surface.Layer().convertToFormat(QImage::Format_RGB32)};
    size_t current = 0;
    auto spare = [&]() -> size_t {
        for (size_t i = 0; i < pictures.size(); ++i)
            if (i != current && pictures[i].isDetached()) return i;
        pictures.emplace_back(start.size(), QImage::Format_RGB32);
        return pictures.size() - 1;
    };

    // Frame k is written while frame k + 1 is made. Once written, it becomes
    // the surface's layer and afterFrame(k) follows.
    FrameWriter writer(output, companion);
    auto finishWriting = [&]() -> std::string {
        if (!writer.Busy()) return {};
        if (std::string failure = writer.Finish(); !failure.empty()) return failure;
        surface.Layer() = writer.Frame();
        surface.Refresh();
        if (progress.afterFrame)
            for (int i = 0; i < writer.Count(); ++i) progress.afterFrame(writer.First() + i);
        return {};
    };
    auto cancelled = [&] { return progress.cancelled && progress.cancelled(); };

    const bool oneFrame = int64_t{start.width()} * start.height() >= output.oneFrameFrom;
    const FrameWarp warp(parts, options.Smooth);
    // Counted in 64 bits so that a last frame of INT32_MAX still ends.
    for (int64_t step = 0; step <= N; ++step) {
        const int k = static_cast<int>(step);
        if (cancelled()) {
            const std::string failure = finishWriting();
            return failure.empty() ? kMorphCancelled : failure;
        }
        const int count = countOf(k);
        const int first = static_cast<int>(firstNumberOf(k));
        if (progress.beforeFrame && count > 0) progress.beforeFrame(first, static_cast<int>(lastNumber));
        const FrameFractions f = FractionsOf(options, k, N);
        if (oneFrame) {
            // The frame before is written first, and then nobody but the
            // run holds its picture, which the warp turns into this frame
            // (a caller that keeps it gets its own copy).
            if (std::string failure = finishWriting(); !failure.empty()) return failure;
            writer.Release();
            surface.Layer() = QImage();
        } else if (writer.Busy()) {
            // The surface lets go of the frame before the one being written,
            // so that picture is free for this frame; it shows the frame
            // being written (and will hold it from its afterFrame on).
            surface.Layer() = writer.Frame();
        }
        const size_t next = oneFrame ? current : spare();
        // The pictures are RGB32 ones that only the warp writes after the
        // first, converted from the surface's layer: their fourth bytes are 0xFF.
        warp.Warp(f, pictures[next].bits(),
                  next == current ? nullptr : pictures[current].constBits(), true);
        current = next;
        if (oneFrame) surface.Layer() = pictures[current];
        if (std::string failure = finishWriting(); !failure.empty()) return failure;
        // A stop asked for while the frame before was written: this frame
        // is not written, so the run ends after whole frames only.
        if (k > 0 && cancelled()) return kMorphCancelled;
        if (count > 0) writer.Start(pictures[current], first, count);
    }
    if (std::string failure = finishWriting(); !failure.empty()) return failure;
    return {};
}

}  // namespace fennix
