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

}  // namespace

QImage RenderMorphFrame(const MorphSource& source, int k, int32_t backColor) {
    const int N = source.lastFrame;
    MorphParts parts;
    if (k < 0 || k > N || !MakeMorphParts(source, parts).empty()) return {};
    const QSize size = parts.start.size();
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(ColorFromPacked(backColor));

    const FrameWarp warper(parts, source.options.Smooth);
    auto warp = [&](int j, QImage& output, const QImage* previous) {
        return warper.Warp(FractionsOf(source.options, j, N), output.bits(),
                           previous ? previous->constBits() : nullptr);
    };
    if (warp(k, frame, nullptr) || k == 0) return frame;
    // Where frame k covers nothing it shows what frames 0 … k − 1 left
    // there, so those are made under it and frame k is made again on them.
    QImage under(size, QImage::Format_RGB32);
    under.fill(ColorFromPacked(backColor));
    for (int j = 0; j < k; ++j) warp(j, under, nullptr);
    warp(k, frame, &under);
    return frame;
}

QImage RenderMorphFrameReduced(const MorphSource& source, int k, int32_t backColor, double scale) {
    if (!(scale < 1) || !source.start || !source.end || !source.startMatrix || !source.endMatrix)
        return RenderMorphFrame(source, k, backColor);
    const QSize size = source.start->size();
    const QSize small(std::max(RoundEvenInt(size.width() * scale), 1),
                      std::max(RoundEvenInt(size.height() * scale), 1));
    const QImage start = source.start->scaled(small, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QImage end = source.end->scaled(small, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const MatrixRecord startMatrix = Reduced(*source.startMatrix, scale);
    const MatrixRecord endMatrix = Reduced(*source.endMatrix, scale);
    const MorphSource reduced{&start, &end, &startMatrix, &endMatrix, source.lastFrame, source.options};
    return RenderMorphFrame(reduced, k, backColor);
}

}  // namespace fennix
