#pragma once

#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "engine/PixelBuffer.h"
#include "engine/Warp.h"
#include "media/FrameSequence.h"
#include "media/PicturePane.h"
#include "model/MatrixRecord.h"

namespace fennix {

inline constexpr const char* kJpegScratchName = "Dumy.bmp";

// Everything one morph run reads: the two images, the two grids and the
// last frame index N (frame count − 1).
struct MorphSource {
    const QImage* start = nullptr;
    const QImage* end = nullptr;
    const MatrixRecord* startMatrix = nullptr;
    const MatrixRecord* endMatrix = nullptr;
    int lastFrame = 0;
};

// The same, held by value: what work on another thread reads while the
// document it was taken from goes on changing.
struct MorphCopy {
    QImage start, end;
    MatrixRecord startMatrix, endMatrix;
    int lastFrame = 0;
    MorphSource Source() const { return {&start, &end, &startMatrix, &endMatrix, lastFrame}; }
};

// Where and how the frames are written.
struct FrameOutput {
    std::string frameFolder;      // ends in a separator
    int saveKind = 0;             // 0 bitmap, otherwise JPEG
    std::string tempFolder;       // holds the scratch bitmap of JPEG frames
    std::string companionFolder;  // folder of the JPEG companion library
};

// Called before frame k of 0 … N is made and after it is written. Frame k
// is written while frame k + 1 is made, so afterFrame(k) may come after
// beforeFrame(k + 1). `cancelled` is asked before each frame is made and
// again before it is written: true ends the run there, after the frames
// already written (a frame still being written is finished first and
// reported), so the frames on disk are always whole ones.
struct MorphProgress {
    std::function<void(int k, int lastFrame)> beforeFrame;
    std::function<void(int k)> afterFrame;
    std::function<bool()> cancelled;
};

// What RunMorph returns when `cancelled` stopped it.
inline constexpr const char* kMorphCancelled = "cancelled";

// Renders frames k = 0 … N onto `surface` (sized to the start image; its
// layer is not cleared between frames, so pixels no triangle covers keep the
// previous frame's colour) and writes each as a frame file. The layer holds
// frame k from its afterFrame on, and the last frame written at the end. An end image of
// another size is scaled smoothly to the start image's size for the run.
// Returns an empty text on success; on the first failure (N = 0, a frame
// file that cannot be written, the companion library or its conversion
// failing, grid points so far off the image that the warp's 32-bit squared
// distances would overflow) stops and returns a short reason. The frames
// written so far stay.
std::string RunMorph(const MorphSource& source, PicturePane& surface, const FrameOutput& output,
                     const MorphProgress& progress = {});

// The parts a run works with: both pictures in 32-bit form, the end one at
// the start one's size (scaled smoothly when it differs), and the two
// triangle lists.
struct MorphParts {
    QImage start, end;
    TriangleList startList, endList;
};

// Checks `source` as a run does and makes its parts. An empty text on
// success, otherwise why a run would fail before its first frame (N < 1, a
// missing image or grid, grids that differ, or grid points so far off the
// image that the warp's 32-bit squared distances would overflow).
std::string MakeMorphParts(const MorphSource& source, MorphParts& parts);

}  // namespace fennix
