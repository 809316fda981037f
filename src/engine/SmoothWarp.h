#pragma once

// The smooth warp (滑らか): a second engine beside the exact one. The
// intermediate mesh keeps its fractional coordinates, each covered pixel's
// source positions stay fractional, and both pictures are sampled with a
// filter: bilinear, blended between the levels of a mip map where a
// triangle shrinks a picture strongly. Coverage follows the exact engine's
// rule on the fractional edges, so every pixel of a fold-free mesh still
// belongs to exactly one triangle. The exact engine (Warp.h) is untouched
// by it and stays the default.

#include <cstdint>
#include <vector>

#include "engine/Warp.h"
#include "model/Triangulation.h"

namespace fennix {

struct SmoothPoint {
    double X = 0, Y = 0;
    friend bool operator==(const SmoothPoint&, const SmoothPoint&) = default;
};

struct SmoothTriangle {
    SmoothPoint P0, P1, P2;
    friend bool operator==(const SmoothTriangle&, const SmoothTriangle&) = default;
};

// Triangles with fractional corners, indexed from 1 like TriangleList.
class SmoothMesh {
  public:
    SmoothMesh() = default;
    explicit SmoothMesh(size_t count) : triangles_(count) {}

    int Count() const { return static_cast<int>(triangles_.size()); }
    SmoothTriangle& operator[](int index) { return triangles_[static_cast<size_t>(index - 1)]; }
    const SmoothTriangle& operator[](int index) const {
        return triangles_[static_cast<size_t>(index - 1)];
    }

  private:
    std::vector<SmoothTriangle> triangles_;
};

// The mesh `f` (0 … 1) of the way from `start` to `end`: every coordinate
// is (end − start) · f + start in double precision, f being the 32-bit
// float a run computes, not rounded (the exact engine rounds this very
// value). An empty mesh when f is not within 0 … 1 or the lists differ in
// length.
SmoothMesh InterpolateSmoothAt(const TriangleList& start, const TriangleList& end, float f);

// The index map of a fractional mesh, by the exact engine's rule (see
// PaintIndexMap): pixel (x, y) is sampled at the point (x, y); a sample on
// an edge belongs to a triangle only for a top or left edge; zero-area
// triangles, and those with a coordinate beyond ±2^30 or not a number,
// cover nothing; later triangles overwrite earlier ones. The edge through
// two corners is evaluated the same way by both triangles that share it,
// so they never both claim, or both miss, a pixel on it. A width or height
// below 1 gives an empty 0 × 0 map.
void PaintSmoothIndexMap(IndexMap& map, int width, int height, const SmoothMesh& mesh);

// A picture and its mip map: level 0 is the picture itself (4 bytes a
// pixel, in PixelBuffer's byte order, rows without gaps, held where it is:
// it must outlive this), level L + 1 is level L halved, (w + 1) / 2 by
// (h + 1) / 2, each pixel the rounded mean of the 2 × 2 pixels it covers
// (the last row or column counted twice where the size is odd), down to
// 1 × 1 or 16 levels. Level L's pixel centres lie at (p + 0.5) / 2^L − 0.5
// for a position p of level 0.
class SmoothPicture {
  public:
    SmoothPicture() = default;
    // An empty picture for a width or height below 1.
    SmoothPicture(const uint8_t* bits, int width, int height);

    int Levels() const { return static_cast<int>(widths_.size()); }
    const uint8_t* Bits(int level) const {
        return level == 0 ? bits_ : levels_[static_cast<size_t>(level - 1)].data();
    }
    int Width(int level) const { return widths_[static_cast<size_t>(level)]; }
    int Height(int level) const { return heights_[static_cast<size_t>(level)]; }

  private:
    const uint8_t* bits_ = nullptr;
    std::vector<std::vector<uint8_t>> levels_;
    std::vector<int> widths_, heights_;
};

// How a pixel of triangle i reads one picture, as the smooth warp computes
// it once per triangle and frame (exposed for tests): the position of
// pixel (x, y) is (A·x + B·y + C, D·x + E·y + F), the affine map that takes
// the intermediate triangle onto the picture's triangle. With s the longer
// of (A, D) and (B, E) (how far one pixel step moves in the picture), the
// level of detail is log2(s) − 1/2: up to 0 (a picture shrunk by at most
// √2 or enlarged) level 0 alone is read; otherwise levels L = ⌊lod⌋ and
// L + 1 are read and mixed by lod − L (level L alone for a mix of 0 or
// when L + 1 is past the last level, which is then read). A triangle of
// zero area gets zeros.
struct SmoothSampling {
    double A = 0, B = 0, C = 0, D = 0, E = 0, F = 0;
    int Level = 0;  // the first level read
    float Mix = 0;  // the weight of level + 1
};
SmoothSampling SmoothSamplingOf(const SmoothTriangle& shape, const Triangle& source, int levels);

// Warps one frame smoothly: every covered pixel becomes S·(1 − t) + E·t
// per channel, rounded ties to even, S and E being the filtered samples of
// the start and end picture at the pixel's fractional source positions
// (each clamped to its level of the picture). Sampling at a level: the
// position p, for L > 0 turned into (p + 0.5)·2^−L − 0.5, is clamped to
// 0 … size − 1 of the level and read bilinearly (the neighbour beyond the
// last row or column is the last one), all in 32-bit floats; two levels
// are mixed as a·(1 − m) + b·m. Uncovered pixels keep their colour, or take
// `previous`'s, and every pixel takes its fourth byte from `previous` (the
// output itself when none), or 0xFF without reading it under the promise
// `opaque` (see WarpFrameBits). Both pictures must have the size of `output`
// (start.Width(0) × start.Height(0)). The index map is painted a few rows
// at a time beside the warp, rows are shared out over `threads` threads
// (0: as the machine allows), and every path of WarpPath gives the same
// bytes. Returns false when some pixel has no triangle, true when every
// one was covered or nothing was done (an empty picture, pictures of other
// sizes, lists that differ in length).
bool WarpSmoothBits(const SmoothPicture& start, const TriangleList& startList,
                    const SmoothPicture& end, const TriangleList& endList, uint8_t* output,
                    const SmoothMesh& intermediate, float t, int threads = 0,
                    const uint8_t* previous = nullptr, bool opaque = false);

}  // namespace fennix
