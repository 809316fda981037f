#pragma once

#include <QImage>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "engine/PixelBuffer.h"
#include "engine/Warp.h"
#include "media/FrameSequence.h"
#include "media/PicturePane.h"
#include "model/MatrixRecord.h"
#include "model/RunOptions.h"

namespace fennix {

inline constexpr const char* kJpegScratchName = "Dumy.bmp";

// Everything one morph run reads: the two images, the two grids, the
// last frame index N (frame count − 1) and the timing of the run.
struct MorphSource {
    const QImage* start = nullptr;
    const QImage* end = nullptr;
    const MatrixRecord* startMatrix = nullptr;
    const MatrixRecord* endMatrix = nullptr;
    int lastFrame = 0;
    RunOptions options = {};
};

// The same, held by value: what work on another thread reads while the
// document it was taken from goes on changing.
struct MorphCopy {
    QImage start, end;
    MatrixRecord startMatrix, endMatrix;
    int lastFrame = 0;
    RunOptions options;
    MorphSource Source() const { return {&start, &end, &startMatrix, &endMatrix, lastFrame, options}; }
};

// Where and how the frames are written.
struct FrameOutput {
    std::string frameFolder;      // ends in a separator
    int saveKind = 0;             // 0 bitmap, otherwise JPEG
    std::string tempFolder;       // holds the scratch bitmap of JPEG frames
    std::string companionFolder;  // folder of the JPEG companion library
    // The number of the first frame file written; a run that continues
    // another in the same folder starts after its frames.
    int firstNumber = 0;
    // The first frame is the last frame of the run before (its start
    // picture is that run's end picture): it is not written again.
    bool joined = false;
    // Pictures of at least this many pixels are made one frame at a time:
    // each frame in the picture of the one before, once that one is
    // written. The run then holds one frame instead of two, and is slower
    // by the writing, which no longer goes on beside the warp. For large
    // pictures in a window that shares the machine's memory.
    int64_t oneFrameFrom = std::numeric_limits<int64_t>::max();
};

// What the windows give as FrameOutput::oneFrameFrom.
inline constexpr int64_t kOneFramePixels = 12'000'000;

// The numbers are those of the frame files (see RunMorph): beforeFrame(m,
// last) comes before the frame first written as m is made, `last` being the
// number of the run's last file; afterFrame(m) after each file m is
// written, held copies included. A frame is written while the next one is
// made, so afterFrame(m) may come after the next beforeFrame. `cancelled`
// is asked before each frame is made and again before it is written: true
// ends the run there, after the frames already written (a frame still
// being written is finished first and reported), so the frames on disk are
// always whole ones.
struct MorphProgress {
    std::function<void(int m, int last)> beforeFrame;
    std::function<void(int m)> afterFrame;
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
// Frame k is made with the mesh and the dissolve of FractionsOf(options,
// k, N), by the exact warp or, when options.Smooth, by the smooth one
// (SmoothWarp.h). The files are numbered from output.firstNumber on: options.HoldStart
// copies of frame 0, frame 0, frames 1 … N, then options.HoldEnd copies of
// frame N (WrittenFrameCount files in all); with output.joined, one file
// fewer of frame 0. A run whose last number would pass the 32-bit range
// fails before it starts.
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
