#pragma once

#include <QImage>
#include <cstdint>
#include <optional>

#include "engine/MorphRun.h"
#include "engine/SmoothWarp.h"

namespace fennix {

// The warp of a run's frames in the quality its options ask for: the exact
// engine (標準), or the smooth one (滑らか), whose mip maps of both
// pictures are made once here for all frames. `parts` must outlive it.
class FrameWarp {
  public:
    FrameWarp(const MorphParts& parts, bool smooth);
    // The smooth warp on mip maps made earlier (of parts.start and
    // parts.end, which must outlive this as well): for frames made one after
    // another from the same pictures.
    FrameWarp(const MorphParts& parts, const SmoothPicture& start, const SmoothPicture& end);
    FrameWarp(const FrameWarp&) = delete;  // it points into itself
    FrameWarp& operator=(const FrameWarp&) = delete;

    // Warps the frame whose mesh lies `fractions.mesh` of the way and whose
    // colours `fractions.dissolve` into `output` (the pictures' size, 4
    // bytes a pixel), starting from `previous` as WarpMeshBits does (with
    // its promise `opaque`). Returns false when some pixel has no triangle.
    bool Warp(const FrameFractions& fractions, uint8_t* output, const uint8_t* previous = nullptr,
              bool opaque = false) const;

  private:
    const MorphParts& parts_;
    std::optional<SmoothPicture> ownStart_, ownEnd_;
    const SmoothPicture* start_ = nullptr;  // null for the exact engine
    const SmoothPicture* end_ = nullptr;
};

}  // namespace fennix
