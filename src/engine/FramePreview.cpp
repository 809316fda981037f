#include "engine/FramePreview.h"

#include <algorithm>

#include "core/Rounding.h"
#include "engine/FrameWarp.h"
#include "media/PackedColor.h"
#include "model/Triangulation.h"

namespace fennix {

namespace {

MatrixRecord Reduced(const MatrixRecord& matrix, double scale) {
    MatrixRecord reduced = matrix;
    for (int j = 1; j <= reduced.Points.CountJ(); ++j)
        for (int i = 1; i <= reduced.Points.CountI(); ++i) {
            Point& p = reduced.Points(i, j);
            p = {RoundEvenInt(p.X * scale), RoundEvenInt(p.Y * scale)};
        }
    for (Point& p : reduced.FreePoints) p = {RoundEvenInt(p.X * scale), RoundEvenInt(p.Y * scale)};
    for (Stroke& stroke : reduced.Strokes)
        for (Point& p : stroke.Points) p = {RoundEvenInt(p.X * scale), RoundEvenInt(p.Y * scale)};
    return reduced;
}

QSize ReducedSize(const QSize& size, double scale) {
    return {std::max(RoundEvenInt(size.width() * scale), 1), std::max(RoundEvenInt(size.height() * scale), 1)};
}

QImage BackgroundPicture(const QSize& size, int32_t backColor) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(ColorFromPacked(backColor));
    return picture;
}

// Frame k of 0 … N into `frame` (the parts' size, 32-bit). When `filled`,
// `frame` holds the background colour; otherwise what it holds is written
// over: a frame every pixel of which is covered is then made in one warp,
// all the same. The fourth byte of `frame`'s pixels is kept, as in a run.
// False, `frame` half made, once `cancelled` says stop.
bool MakeFrame(const FrameWarp& warper, const MorphSource& source, int k, int32_t backColor,
               QImage& frame, bool filled, const std::function<bool()>& cancelled) {
    const int N = source.lastFrame;
    auto warp = [&](int j, QImage& output, const QImage* previous) {
        return warper.Warp(FractionsOf(source.options, j, N), output.bits(),
                           previous ? previous->constBits() : nullptr);
    };
    if (warp(k, frame, nullptr)) return true;
    if (k == 0) {
        // Frame 0 shows the background where it covers nothing.
        if (!filled) {
            frame.fill(ColorFromPacked(backColor));
            warp(0, frame, nullptr);
        }
        return true;
    }
    // Where frame k covers nothing it shows what frames 0 … k − 1 left
    // there, so those are made under it and frame k is made again on them;
    // that writes every pixel of `frame`.
    QImage under = BackgroundPicture(frame.size(), backColor);
    for (int j = 0; j < k; ++j) {
        if (cancelled && cancelled()) return false;
        warp(j, under, nullptr);
    }
    warp(k, frame, &under);
    return true;
}

}  // namespace

QImage RenderMorphFrame(const MorphSource& source, int k, int32_t backColor) {
    MorphParts parts;
    if (k < 0 || k > source.lastFrame || !MakeMorphParts(source, parts).empty()) return {};
    QImage frame = BackgroundPicture(parts.start.size(), backColor);
    const FrameWarp warper(parts, source.options.Smooth);
    MakeFrame(warper, source, k, backColor, frame, true, {});
    return frame;
}

QImage RenderMorphFrameReduced(const MorphSource& source, int k, int32_t backColor, double scale) {
    PreviewRenderer renderer;
    return renderer.Render(source, k, backColor, scale);
}

QImage PreviewRenderer::Render(const MorphSource& source, int k, int32_t backColor, double scale,
                               const std::function<bool()>& cancelled) {
    if (!source.start || !source.end || !source.startMatrix || !source.endMatrix || source.start->isNull() ||
        source.end->isNull())
        return {};
    const qint64 startKey = source.start->cacheKey(), endKey = source.end->cacheKey();
    if (scale < 1) {
        // The pictures reduced as a quick frame reads them, kept for the
        // next one, and the grids reduced with them.
        const QSize small = ReducedSize(source.start->size(), scale);
        if (reduced_.startKey != startKey || reduced_.endKey != endKey || reduced_.start.size() != small) {
            reduced_.start = source.start->scaled(small, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            reduced_.end = source.end->scaled(small, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            reduced_.startKey = startKey;
            reduced_.endKey = endKey;
        }
        const MatrixRecord startMatrix = Reduced(*source.startMatrix, scale);
        const MatrixRecord endMatrix = Reduced(*source.endMatrix, scale);
        const MorphSource reduced{&reduced_.start, &reduced_.end, &startMatrix, &endMatrix, source.lastFrame,
                                  source.options};
        return RenderMorphFrame(reduced, k, backColor);
    }

    // The pictures in the warp's form are kept between frames: read from
    // them, the checks and the parts cost nothing when nothing changed.
    MorphParts parts;
    const bool same = exact_.startKey == startKey && exact_.endKey == endKey;
    MorphSource prepared = source;
    if (same) {
        prepared.start = &exact_.start;
        prepared.end = &exact_.end;
    }
    if (k < 0 || k > source.lastFrame || !MakeMorphParts(prepared, parts).empty()) return {};
    if (!same) {
        exact_.start = parts.start;
        exact_.end = parts.end;
        exact_.startKey = startKey;
        exact_.endKey = endKey;
        smoothStart_.reset();
        smoothEnd_.reset();
    }
    const QImage& start = exact_.start;
    const QImage& end = exact_.end;
    if (source.options.Smooth && !smoothStart_) {
        smoothStart_.emplace(start.constBits(), start.width(), start.height());
        smoothEnd_.emplace(end.constBits(), end.width(), end.height());
    } else if (!source.options.Smooth) {
        smoothStart_.reset();
        smoothEnd_.reset();
    }
    std::optional<FrameWarp> warper;
    if (smoothStart_)
        warper.emplace(parts, *smoothStart_, *smoothEnd_);
    else
        warper.emplace(parts, false);

    // The frame is made in the picture of the last one once nobody else
    // holds it: a large picture is neither allocated nor cleared again.
    bool filled = false;
    if (frame_.size() != start.size() || !frame_.isDetached()) {
        frame_ = QImage();
        frame_ = BackgroundPicture(start.size(), backColor);
        filled = true;
    }
    if (!MakeFrame(*warper, source, k, backColor, frame_, filled, cancelled)) return {};
    return frame_;
}

}  // namespace fennix
