#pragma once

#include <QImage>
#include <cstdint>

#include "engine/MorphRun.h"

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

}  // namespace fennix
