#pragma once

#include <cstdint>

#include "platform/PicturePane.h"
#include "project/MatrixRecord.h"

namespace fennix {

// The largest distance from the origin, in pane pixels, of any position
// handed to the painter. Far beyond any pane, and well within what the
// painter's fixed-point rasteriser holds.
inline constexpr int kPaintLimit = (1 << 23) - 1;

// Draws a grid over its image: clears the pane's drawing layer, draws a
// marker of radius PointerSize (in pane pixels, not zoomed) around every
// point at `zoom` times its position, then every cell outline and diagonal in
// MatrixColor over the markers, and refreshes the pane.
// Positions and sizes from a damaged project (anything a 32-bit number
// holds) are computed in 64 bits. Where they reach past ±kPaintLimit, a
// marker wholly outside the pane is left out and any other marker is drawn
// in its box cut to that range; a line is cut to that range along its own
// direction, so what shows of it in the pane stays in place. Values within
// the range are drawn exactly as given.
void DrawMatrix(PicturePane& pane, const MatrixRecord& matrix, int zoom);

// Draws the filled marker of one point on `pane` (radius `size` around zoom ×
// `point`) in `color`, as DrawMatrix draws it, without clearing or
// refreshing the pane. Safe for any values, as DrawMatrix.
void DrawMarker(PicturePane& pane, Point point, int size, int zoom, int32_t color);

}  // namespace fennix
