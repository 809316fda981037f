#pragma once

// Meshes and pictures the engine tests share: regular grids, grids with
// their points moved (without folding), and buffers of varied pixels.

#include <cstdint>

#include "engine/PixelBuffer.h"
#include "engine/Warp.h"
#include "model/MatrixRecord.h"
#include "model/Triangulation.h"
#include "support/TestGrids.h"

namespace fennix::test {

// A small deterministic generator, so every run sees the same data.
class Lcg {
  public:
    explicit Lcg(uint32_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    // An integer in lo … hi.
    int Between(int lo, int hi) {
        return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1));
    }

  private:
    uint32_t state_;
};

// The grid with every point moved by up to a fifth of a cell each way;
// points on the image border only move along it, corners stay. A fifth
// keeps every triangle turning the way it did, so the mesh has no fold.
inline MatrixRecord JitteredGrid(int width, int height, int rows, int columns, uint32_t seed) {
    MatrixRecord m = Grid(width, height, rows, columns);
    Lcg random(seed);
    const int reachX = width / rows / 5;
    const int reachY = height / columns / 5;
    for (int j = 1; j <= columns + 1; ++j) {
        for (int i = 1; i <= rows + 1; ++i) {
            Point& p = m.Points(i, j);
            const int dx = random.Between(-reachX, reachX);
            const int dy = random.Between(-reachY, reachY);
            if (i != 1 && i != rows + 1) p.X += dx;
            if (j != 1 && j != columns + 1) p.Y += dy;
        }
    }
    return m;
}

// Twice the signed area of a triangle.
inline int64_t Cross(const Triangle& t) {
    return (int64_t{t.P1.X} - t.P0.X) * (int64_t{t.P2.Y} - t.P0.Y) -
           (int64_t{t.P1.Y} - t.P0.Y) * (int64_t{t.P2.X} - t.P0.X);
}

// A width × height buffer with the header of a captured pane and varied
// pixels; the fourth byte is 0xFF as in a pane's layer.
inline PixelBuffer Picture(int width, int height, uint32_t seed) {
    PixelBuffer b;
    b.Header.biWidth = width;
    b.Header.biHeight = -height;
    b.Bits.resize(static_cast<size_t>(width) * height * 4);
    Lcg random(seed);
    for (size_t p = 0; p < b.Bits.size(); p += 4) {
        const uint32_t v = random.Next();
        b.Bits[p] = static_cast<uint8_t>(v);
        b.Bits[p + 1] = static_cast<uint8_t>(v >> 8);
        b.Bits[p + 2] = static_cast<uint8_t>(v >> 16);
        b.Bits[p + 3] = 0xFF;
    }
    return b;
}

// The 4 bytes of pixel (x, y).
inline const uint8_t* PixelAt(const PixelBuffer& b, int x, int y) {
    return b.Bits.data() + (static_cast<size_t>(y) * b.Width() + x) * 4;
}

}  // namespace fennix::test
