#pragma once

#include <cstdint>
#include <vector>

#include "engine/PixelBuffer.h"
#include "model/Triangulation.h"

namespace fennix {

// For every pixel the index (1 … n) of the intermediate triangle that covers
// it, 0 where none does.
struct IndexMap {
    int Width = 0;
    int Height = 0;
    std::vector<int32_t> Index;  // row by row, top row first
};

// The intermediate mesh of frame k of N: every coordinate is
// (end − start) · f + start with f = k / N as a 32-bit float, rounded ties
// to even. k = 0 gives the start list, k = N the end list. An empty list
// when k / N is not within 0 … 1 (N = 0 included) or the two lists differ
// in length.
TriangleList InterpolateTriangles(const TriangleList& start, const TriangleList& end, int k, int N);

// The mesh `f` (0 … 1) of the way from `start` to `end`, each coordinate
// computed as above: what frame k of N is made with when the motion is
// eased. An empty list when f is not within 0 … 1 or the lists differ in
// length.
TriangleList InterpolateTrianglesAt(const TriangleList& start, const TriangleList& end, float f);

// Re-dimensions the map to width × height and fills triangle i = 1 … n
// with i, in order, so later triangles cover earlier ones; every other
// pixel gets 0. Nothing of the map's earlier content remains (a map of the
// same size is reused without a clear). Pixel (x, y) is sampled at the
// integer point (x, y); a sample on an edge belongs to the triangle only
// for a top edge (horizontal, triangle below it) or a left edge (triangle
// to its right); zero-area triangles cover nothing, and so do triangles with a coordinate beyond ±2^30. Either
// vertex order works. A fold-free mesh whose border points lie on the image
// border gives every pixel exactly one index. A width or height below 1
// gives an empty 0 × 0 map. A large map is painted in two halves at once
// unless `threads` is 1 (0: as the machine's cores allow).
void PaintIndexMap(IndexMap& map, int width, int height, const TriangleList& triangles, int threads = 0);

// The unsigned area of a triangle, as a 32-bit float, computed as half the
// length of edge P0–P1 times the distance of P2 from its line. 0 when P0 =
// P1; for other triangles whose corners lie on one line 0 or a tiny value,
// depending on the rounding of the edge's slope.
float TriangleArea(const Triangle& t);

// The weights w0, w1, w2 of pixel (x, y) in triangle t of area `area`:
// inside the triangle its barycentric coordinates (w0 belongs to P0, w1 to
// P1, w2 = 1 − w0 − w1 to P2). w0 and w1 are never negative; near a
// zero-area triangle they can be huge, and w2 absorbs the difference.
struct Weights {
    float w0, w1, w2;
};
Weights PixelWeights(const Triangle& t, float area, int x, int y);

// The ways the warp's per-pixel work can run. Every path gives the same
// bytes; they differ only in speed. Auto takes the fastest one the CPU
// offers.
enum class WarpPath { Auto, Plain, Avx2, Avx512 };

// True when the CPU can run `path` (Auto and Plain always).
bool WarpPathAvailable(WarpPath path);

// Makes every later warp use `path` (Auto: the fastest available one).
// False, changing nothing, when the CPU cannot run it. At start the path is
// Auto, unless the environment variable FENNIX_WARP_PATH names another one
// ("plain", "avx2" or "avx512"), so a whole program can be timed on each.
bool SetWarpPath(WarpPath path);

// The path the next warp takes (never Auto), and its name ("plain", …).
WarpPath CurrentWarpPath();
const char* WarpPathName(WarpPath path);

// Overwrites every covered pixel of `output` with the blend of the start
// pixel and the end pixel its weights point at: S·(1 − t) + E·t per
// channel, rounded ties to even. Uncovered pixels (index 0 or above the
// triangle count) keep their colour, and so does the fourth byte of every
// pixel. Source positions are clamped to the image. t should lie in 0 … 1.
// Rows are shared out over `threads` threads (0: one per core, fewer for
// small images); the result does not depend on the count. `output` must not
// be the start or end buffer. Nothing is changed when a buffer does not
// have the map's size or the three lists differ in length.
void WarpFrame(const PixelBuffer& start, const TriangleList& startList, const PixelBuffer& end,
               const TriangleList& endList, PixelBuffer& output, const IndexMap& map,
               const TriangleList& intermediate, float t, int threads = 0);

// WarpFrame on pictures held elsewhere (a QImage's bits, say): each of
// `start`, `end` and `output` holds map.Width × map.Height pixels of 4 bytes
// in the byte order of PixelBuffer, rows of 4·width bytes without gaps.
// With `previous` (a picture of the same kind, not `output`), the result
// is that of copying it into the output first and warping then, but no
// pixel is written twice: uncovered pixels are copied, covered ones take
// only their fourth byte from it. `opaque` promises that every fourth byte
// of `previous` (or of the output, without it) is 0xFF, as in pictures of
// QImage::Format_RGB32 that only the warp has written: covered pixels then
// get 0xFF without it being read, the same bytes for less memory traffic.
// Nothing is changed when the three lists differ in length.
void WarpFrameBits(const uint8_t* start, const TriangleList& startList, const uint8_t* end,
                   const TriangleList& endList, uint8_t* output, const IndexMap& map,
                   const TriangleList& intermediate, float t, int threads = 0,
                   const uint8_t* previous = nullptr, bool opaque = false);

// One frame as a run makes it: the same bytes as PaintIndexMap of
// `intermediate` followed by WarpFrameBits, but the index map is painted a
// few rows at a time by the thread that warps them, so no map of the whole
// picture is held and the painting is shared out with the warp. Returns
// false when some pixel has no triangle (it keeps, or takes from
// `previous`, its colour), true when every pixel was covered or nothing was
// done (an empty picture, lists that differ in length).
bool WarpMeshBits(const uint8_t* start, const TriangleList& startList, const uint8_t* end,
                  const TriangleList& endList, uint8_t* output, int width, int height,
                  const TriangleList& intermediate, float t, int threads = 0,
                  const uint8_t* previous = nullptr, bool opaque = false);

}  // namespace fennix
