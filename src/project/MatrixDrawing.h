#pragma once

#include "platform/PicturePane.h"
#include "project/MatrixRecord.h"

namespace fennix {

// Draws a grid over its image: clears the pane's drawing layer, draws a
// marker of radius PointerSize (in pane pixels, not zoomed) around every
// point at `zoom` times its position, then every cell outline and diagonal in
// MatrixColor over the markers, and refreshes the pane.
void DrawMatrix(PicturePane& pane, const MatrixRecord& matrix, int zoom);

}  // namespace fennix
