#include "model/MorphDocument.h"

#include <algorithm>
#include <limits>

#include "model/Settings.h"

namespace fennix {

int32_t LastFrameOf(int32_t frameCount) {
    return frameCount == std::numeric_limits<int32_t>::min() ? frameCount : frameCount - 1;
}

int32_t FrameCountOf(int32_t lastFrame) {
    return lastFrame == std::numeric_limits<int32_t>::max() ? lastFrame : lastFrame + 1;
}

void InitDocumentGrids(MorphDocument& document, const PicturePane& startPane,
                       const std::string& startPath, const std::string& endPath) {
    document.LastFrame = LastFrameOf(Settings.FrameCount);
    document.SelectedI = -1;
    document.SelectedJ = -1;
    document.SelectedGrid = 0;

    MatrixRecord& start = document.Matrix(1);
    start.PointerSize = Settings.PointerSize;
    start.MatrixColor = Settings.MatrixColor;
    start.PointerColor = Settings.PointerColor;
    start.Width = startPane.Width();
    start.Height = startPane.Height();
    // A settings file may hold any count; keep the grid between one cell and
    // one cell per pixel so it can always be laid out and drawn.
    start.Rows = std::clamp(Settings.Rows, 1, std::max(start.Width, 1));
    start.Columns = std::clamp(Settings.Columns, 1, std::max(start.Height, 1));

    document.Matrix(2) = start;
    start.ImagePath = startPath;
    document.Matrix(2).ImagePath = endPath;

    InitMatrix(document.Matrix(1));
    InitMatrix(document.Matrix(2));
}

}  // namespace fennix
