#pragma once

#include <string>

#include "model/ZoomScale.h"

namespace fennix {

// The status line of a document for the pointer at pane position
// (paneX, paneY) over picture k (1 start, 2 end) of imageWidth ×
// imageHeight pixels shown at `zoom`: the picture, the pointer's place in
// its pixels (as a click there takes it, kept within 0 … width and
// 0 … height) and the zoom, "開始画像 (120, 45)   200%". For k other than 1
// or 2 (the pointer over neither picture) the zoom alone.
std::string PointerStatusText(int k, double paneX, double paneY, ZoomScale zoom, int imageWidth,
                              int imageHeight);

}  // namespace fennix
