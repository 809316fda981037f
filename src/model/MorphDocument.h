#pragma once

#include <array>
#include <string>

#include "media/PicturePane.h"
#include "model/MatrixRecord.h"
#include "model/RunOptions.h"
#include "model/ZoomScale.h"

namespace fennix {

// Back colour of a new document's panel and render surface: a neutral grey
// that frames images of any colour.
inline constexpr int32_t kDefaultBackColor = 0x808080;

// The state of one open morph: the two grids and the fields the editor, the
// project file and the morph run work on. Index 1 is the start image, 2 the
// end image.
struct MorphDocument {
    MatrixRecord& Matrix(int k) { return matrices[k - 1]; }
    const MatrixRecord& Matrix(int k) const { return matrices[k - 1]; }

    std::array<MatrixRecord, 2> matrices;
    int SelectedI = -1;
    int SelectedJ = -1;
    int SelectedGrid = 0;  // the grid (1 or 2) of the held point; 0 for none
    // SelectedI = kHeldFreePoint: the held point is free point SelectedJ
    // (from 0) of grid SelectedGrid.
    static constexpr int kHeldFreePoint = 0;
    int ChosenFree = -1;  // the free pair a click chose (Delete removes it); -1 for none
    Point DragBackup;
    int LastFrame = 0;     // frame count − 1
    RunOptions Run;        // holds and easing of the document's runs
    // The free point pairs the automatic fit placed on face landmarks.
    std::vector<FreePair> FacePairs;
    // The free point pairs the automatic fit added where the grid alone was
    // too coarse; the next fit replaces them.
    std::vector<FreePair> DetailPairs;
    std::string FileName;  // project file; empty until saved
    bool Dirty = false;
    ZoomScale Zoom = 1;  // 1, 2 or 3 from 100 … 300 %; fractions from 50 %, 25 %, fit
    // The files the two prepared images were made from (a new document
    // only); their names name the images when the document is first saved.
    std::string SourcePath[2];
};

// The picture panes of a document window: P(k) shows image k at the zoom
// with its grid, Poriginal(k) holds it unzoomed (the pixels the morph reads),
// MorphT is the render surface of the morph run. Each image is decoded once
// into Poriginal(k); at 100 % P(k) shares its picture, at other zooms it
// holds only the picture at the zoomed size.
struct DocumentPanes {
    PicturePane& P(int k) { return shown[k - 1]; }
    PicturePane& Poriginal(int k) { return original[k - 1]; }
    const PicturePane& Poriginal(int k) const { return original[k - 1]; }

    std::array<PicturePane, 2> shown;
    std::array<PicturePane, 2> original;
    PicturePane MorphT;
};

// The last frame index of a morph of `frameCount` frames (frameCount − 1),
// and the frame count of a last frame index (lastFrame + 1). Both stop at the
// ends of the 32-bit range: a count read from a file never wraps around into
// a huge or negative one.
int32_t LastFrameOf(int32_t frameCount);
int32_t FrameCountOf(int32_t lastFrame);

// Fills both grids of a new document from the settings record: pointer size,
// colours and counts, the size of the start image shown in P(1), the image
// paths, the regular grid; LastFrame from the frame count; no selection.
// Counts are kept within 1 … the image's width (rows) and height (columns).
void InitDocumentGrids(MorphDocument& document, const PicturePane& startPane,
                       const std::string& startPath, const std::string& endPath);

}  // namespace fennix
