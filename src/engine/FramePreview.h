#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <optional>

#include "engine/MorphRun.h"
#include "engine/SmoothWarp.h"

namespace fennix {

// Made frame k of 0 … N (N = source.lastFrame) exactly as a run writes it,
// eased as source.options say (the held copies are not counted), on a
// surface of `backColor`. As in a run, pixels that no triangle of frame k
// covers keep the colour of the latest earlier frame that covered them (the
// background colour when none did), so such a frame is made from frame 0
// on; a frame every pixel of which is covered is made alone. A null image
// when a run would fail before writing a frame (N < 1, a missing image,
// grids that differ or reach too far) or when k lies outside 0 … N.
QImage RenderMorphFrame(const MorphSource& source, int k, int32_t backColor);

// The same frame made from the pictures and grids reduced by `scale`
// (0 < scale ≤ 1), at the reduced size: close to the frame and several
// times quicker, for following a point while it is dragged. A scale of 1
// (or more) is RenderMorphFrame.
QImage RenderMorphFrameReduced(const MorphSource& source, int k, int32_t backColor, double scale);

// Makes preview frames one after another, the same bytes as
// RenderMorphFrameReduced, keeping between them what the next frame of the
// same pictures needs again: the pictures in the warp's form (and, for the
// smooth warp, their mip maps), the reduced pictures of quick frames, and
// the picture of the last exact frame, which is made over once its receiver
// has let go of it instead of being allocated and cleared again. One frame
// at a time, from any one thread.
class PreviewRenderer {
  public:
    // The frame; `cancelled` is asked between the earlier frames an exact
    // frame with uncovered pixels is made on, and a null image comes when it
    // said stop (as when no run could make the frame).
    QImage Render(const MorphSource& source, int k, int32_t backColor, double scale = 1,
                  const std::function<bool()>& cancelled = {});

  private:
    struct Pictures {
        qint64 startKey = 0, endKey = 0;  // QImage::cacheKey of the pictures read
        QImage start, end;
    };
    Pictures exact_, reduced_;
    std::optional<SmoothPicture> smoothStart_, smoothEnd_;  // of exact_
    QImage frame_;
};

}  // namespace fennix
