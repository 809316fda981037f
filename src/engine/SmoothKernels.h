#pragma once

// The per-pixel work of the smooth warp, one span at a time (a run of
// neighbouring pixels of one row in the same triangle). The plain kernel
// (SmoothWarp.cpp) is the reference, pixel by pixel; the vector kernels
// (SmoothKernelsAvx2.cpp, SmoothKernelsAvx512.cpp) perform the same 32-bit
// float operations in the same order on 8 or 16 pixels at a time, so all
// give the same bytes. Internal to the engine.

#include <cstdint>

namespace fennix::smooth {

// One level of a picture's mip map.
struct Level {
    const uint8_t* bits;
    int width, height;
    float scale;  // 2^−L; 1 for level 0, whose positions are read as they are
};

// How the span's pixels read one picture: pixel x of the row sits at
// (dx·x + x0, dy·x + y0) in level 0's coordinates; level `a` is read, and
// when `mix` is not 0 level `b` too, the two mixed as a·keepMix + b·mix.
struct Source {
    float dx, x0, dy, y0;
    Level a, b;
    float mix, keepMix;
};

struct Span {
    Source start, end;
    int y, x0, x1;  // pixels x0 … x1 − 1 of row y
};

// The output and what it starts from (the fourth byte of every pixel comes
// from `previous`, which may be the output itself), and the dissolve.
struct Frame {
    uint8_t* output;
    const uint8_t* previous;
    bool opaque;  // every fourth byte of `previous` is 0xFF: written, not read
    int width;
    float keep, take;  // 1 − t and t
};

using SpanKernel = void (*)(const Frame&, const Span&);

void SpanPlain(const Frame& frame, const Span& span);
#if defined(__x86_64__)
void SpanAvx2(const Frame& frame, const Span& span);
void SpanAvx512(const Frame& frame, const Span& span);
#endif

}  // namespace fennix::smooth
