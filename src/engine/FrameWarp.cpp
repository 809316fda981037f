#include "engine/FrameWarp.h"

namespace fennix {

FrameWarp::FrameWarp(const MorphParts& parts, bool smooth) : parts_(parts) {
    if (!smooth) return;
    start_ = &ownStart_.emplace(parts.start.constBits(), parts.start.width(), parts.start.height());
    end_ = &ownEnd_.emplace(parts.end.constBits(), parts.end.width(), parts.end.height());
}

FrameWarp::FrameWarp(const MorphParts& parts, const SmoothPicture& start, const SmoothPicture& end)
    : parts_(parts), start_(&start), end_(&end) {}

bool FrameWarp::Warp(const FrameFractions& fractions, uint8_t* output, const uint8_t* previous,
                     bool opaque) const {
    if (start_)
        return WarpSmoothBits(*start_, parts_.startList, *end_, parts_.endList, output,
                              InterpolateSmoothAt(parts_.startList, parts_.endList, fractions.mesh),
                              fractions.dissolve, 0, previous, opaque);
    return WarpMeshBits(parts_.start.constBits(), parts_.startList, parts_.end.constBits(),
                        parts_.endList, output, parts_.start.width(), parts_.start.height(),
                        InterpolateTrianglesAt(parts_.startList, parts_.endList, fractions.mesh),
                        fractions.dissolve, 0, previous, opaque);
}

}  // namespace fennix
