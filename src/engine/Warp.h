#pragma once

#include <cstdint>
#include <vector>

#include "engine/PixelBuffer.h"
#include "project/Triangulation.h"

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
// to even. k = 0 gives the start list, k = N the end list. N must not be 0.
TriangleList InterpolateTriangles(const TriangleList& start, const TriangleList& end, int k, int N);

// Re-dimensions the map to width × height, clears it to 0 and fills
// triangle i = 1 … n with i, in order, so later triangles cover earlier
// ones. Pixel (x, y) is sampled at the integer point (x, y); a sample on an
// edge belongs to the triangle only for a top edge (horizontal, triangle
// below it) or a left edge (triangle to its right); zero-area triangles
// cover nothing.
void PaintIndexMap(IndexMap& map, int width, int height, const TriangleList& triangles);

// The unsigned area of a triangle, as a 32-bit float, computed as half the
// length of edge P0–P1 times the distance of P2 from its line.
float TriangleArea(const Triangle& t);

// The weights w0, w1, w2 of pixel (x, y) in triangle t of area `area`.
struct Weights {
    float w0, w1, w2;
};
Weights PixelWeights(const Triangle& t, float area, int x, int y);

// Overwrites every covered pixel of `output` with the blend of the start
// pixel and the end pixel its weights point at: S·(1 − t) + E·t per
// channel, rounded ties to even. Uncovered pixels (index 0 or above the
// triangle count) keep their colour. All buffers have the map's size.
void WarpFrame(const PixelBuffer& start, const TriangleList& startList, const PixelBuffer& end,
               const TriangleList& endList, PixelBuffer& output, const IndexMap& map,
               const TriangleList& intermediate, float t);

}  // namespace fennix
