#pragma once

// The per-pixel work of the warp, one span at a time: a span is a run of
// neighbouring pixels of one row that the index map gives to the same
// triangle. The plain kernel (Warp.cpp) is the reference, written pixel by
// pixel and span by span; the vector kernels (WarpKernelsAvx2.cpp, WarpKernelsAvx512.cpp)
// perform the very same IEEE operations in the same order on 4 or 8 pixels
// at a time, so all give the same bytes; where the offset table reaches
// (OffsetTable.h), they read the values that depend only on a pixel's
// offset from a corner instead of computing them. Internal to the engine.

#include <cmath>
#include <cstdint>

#include "model/Triangulation.h"

namespace fennix::warp {

// The guard values stand in for infinite slopes and areas; they are the
// 32-bit floats nearest to these numbers.
inline const double kSteepSlope = static_cast<double>(1e20f);
inline const double kPixelSlope = static_cast<double>(1e7f);
inline const double kNoArea = static_cast<double>(5e20f);
// √(kSteepSlope² + 1), the root of a vertical line to P0.
inline const double kSteepRoot = std::sqrt(kSteepSlope * kSteepSlope + 1);

// dx² + dy² in 32-bit integers, wrapping as they do; images stay far
// below the size where it would.
inline int32_t SquaredDistance(int32_t dx, int32_t dy) {
    return static_cast<int32_t>(static_cast<uint32_t>(dx) * static_cast<uint32_t>(dx) +
                                static_cast<uint32_t>(dy) * static_cast<uint32_t>(dy));
}

class OffsetTable;

// The three pictures of one frame: 4 bytes a pixel (blue, green, red,
// reserved), rows of 4·width bytes, top row first.
struct Images {
    const uint8_t* start;
    const uint8_t* end;
    uint8_t* output;
    // What the output starts from: the fourth byte of every pixel comes
    // from here (the output itself, or the frame before).
    const uint8_t* previous;
    // Every fourth byte of `previous` is 0xFF: the kernels write 0xFF
    // instead of reading it.
    bool opaque;
    int width, height;
    double keep;  // 1 − t, held as a 32-bit float
    double take;  // t
    // Slopes, roots and lengths by offset, for the vector kernels; spans
    // beyond its reach compute them.
    const OffsetTable* offsets;
};

// Pixels x0 … x1 − 1 of row y, all in triangle `shape` of the intermediate
// mesh; `from` and `to` are the same triangle in the start and end meshes.
struct Span {
    const Triangle* shape;
    const Triangle* from;
    const Triangle* to;
    float area;  // TriangleArea(*shape)
    double c;    // 0.5 / area, or kNoArea for a zero area
    int y, x0, x1;
};

// The pixels a span reads lie along lines that cross the source rows, so
// the hardware does not see them coming; the row a few rows further down
// is what the spans below will read. Asks for the cache line of pixel
// `offset` of a picture plus that many rows (a prefetch never faults, so an
// offset beyond the picture does no harm).
inline constexpr int kPrefetchRows = 4;
inline void Prefetch(const uint8_t* picture, int64_t offset) {
    __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(picture) + offset * 4));
}

// The plain path fills each span's pixels.
using SpanKernel = void (*)(const Images&, const Span&);

void SpanPlain(const Images& images, const Span& span);

// The vector paths work in two passes per row instead. Each span only writes
// where its pixels read the start and the end picture (offsets y·width + x)
// into two buffers of the row, indexed by x, writing up to 7 entries past
// its end (the buffers hold width + kOffsetsSpare). Then each run of covered pixels is
// read, blended and written in one go: registers are filled across the
// spans' boundaries, which counts where a dense grid makes spans short.
inline constexpr int kOffsetsSpare = 8;
using SpanOffsetsKernel = void (*)(const Images&, const Span&, int32_t* from, int32_t* to);
using RunKernel = void (*)(const Images&, int y, int x0, int x1, const int32_t* from, const int32_t* to);

#if defined(__x86_64__)
void SpanOffsetsAvx2(const Images& images, const Span& span, int32_t* from, int32_t* to);
void RunAvx2(const Images& images, int y, int x0, int x1, const int32_t* from, const int32_t* to);
void SpanOffsetsAvx512(const Images& images, const Span& span, int32_t* from, int32_t* to);
void RunAvx512(const Images& images, int y, int x0, int x1, const int32_t* from, const int32_t* to);
#endif

// The kernels of a path: `span` alone, or `offsets` and `run` together.
struct Kernels {
    SpanKernel span = nullptr;
    SpanOffsetsKernel offsets = nullptr;
    RunKernel run = nullptr;
};

}  // namespace fennix::warp
