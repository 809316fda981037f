// The smooth warp's per-pixel work on eight pixels at a time with AVX2:
// positions, bilinear weights and the dissolve in 32-bit float lanes, the
// four neighbours of each position gathered from the picture. Every step is
// the plain kernel's float operation on the same operands in the same
// order (no fused multiply-add), conversions truncate or round ties to even
// as the plain kernel's do, so the bytes match. Compiled for any x86-64:
// only the functions marked for AVX2 use it, and they run only on a CPU
// that has it.

#if defined(__x86_64__)

#include <immintrin.h>

#include "engine/SmoothKernels.h"

#define FENNIX_AVX2 __attribute__((target("avx2")))

namespace fennix::smooth {

namespace {

struct Rgb {
    __m256 c[3];
};

// min(limit, v), then max(·, 0): NaN goes to 0, as in the plain kernel.
FENNIX_AVX2 inline __m256 Clamp(__m256 v, __m256 limit) {
    return _mm256_max_ps(_mm256_min_ps(limit, v), _mm256_setzero_ps());
}

FENNIX_AVX2 inline __m256 Channel(__m256i pixels, int shift) {
    return _mm256_cvtepi32_ps(
        _mm256_and_si256(_mm256_srli_epi32(pixels, shift), _mm256_set1_epi32(0xFF)));
}

FENNIX_AVX2 inline Rgb Sample(const Level& level, __m256 px, __m256 py) {
    const __m256 half = _mm256_set1_ps(0.5f);
    if (level.scale != 1.0f) {
        const __m256 scale = _mm256_set1_ps(level.scale);
        px = _mm256_sub_ps(_mm256_mul_ps(_mm256_add_ps(px, half), scale), half);
        py = _mm256_sub_ps(_mm256_mul_ps(_mm256_add_ps(py, half), scale), half);
    }
    const __m256 X = Clamp(px, _mm256_set1_ps(static_cast<float>(level.width - 1)));
    const __m256 Y = Clamp(py, _mm256_set1_ps(static_cast<float>(level.height - 1)));
    const __m256i ix = _mm256_cvttps_epi32(X), iy = _mm256_cvttps_epi32(Y);
    const __m256 fx = _mm256_sub_ps(X, _mm256_cvtepi32_ps(ix));
    const __m256 fy = _mm256_sub_ps(Y, _mm256_cvtepi32_ps(iy));
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 gx = _mm256_sub_ps(one, fx), gy = _mm256_sub_ps(one, fy);
    const __m256i ones = _mm256_set1_epi32(1);
    const __m256i ix1 =
        _mm256_min_epi32(_mm256_add_epi32(ix, ones), _mm256_set1_epi32(level.width - 1));
    const __m256i iy1 =
        _mm256_min_epi32(_mm256_add_epi32(iy, ones), _mm256_set1_epi32(level.height - 1));
    const __m256i w = _mm256_set1_epi32(level.width);
    const __m256i row0 = _mm256_mullo_epi32(iy, w), row1 = _mm256_mullo_epi32(iy1, w);
    const int* bits = reinterpret_cast<const int*>(level.bits);
    const __m256i p00 = _mm256_i32gather_epi32(bits, _mm256_add_epi32(row0, ix), 4);
    const __m256i p10 = _mm256_i32gather_epi32(bits, _mm256_add_epi32(row0, ix1), 4);
    const __m256i p01 = _mm256_i32gather_epi32(bits, _mm256_add_epi32(row1, ix), 4);
    const __m256i p11 = _mm256_i32gather_epi32(bits, _mm256_add_epi32(row1, ix1), 4);
    Rgb out;
    for (int c = 0; c < 3; ++c) {
        const __m256 top = _mm256_add_ps(_mm256_mul_ps(Channel(p00, 8 * c), gx),
                                         _mm256_mul_ps(Channel(p10, 8 * c), fx));
        const __m256 bottom = _mm256_add_ps(_mm256_mul_ps(Channel(p01, 8 * c), gx),
                                            _mm256_mul_ps(Channel(p11, 8 * c), fx));
        out.c[c] = _mm256_add_ps(_mm256_mul_ps(top, gy), _mm256_mul_ps(bottom, fy));
    }
    return out;
}

FENNIX_AVX2 inline Rgb Read(const Source& s, __m256 x) {
    const __m256 px = _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(s.dx), x), _mm256_set1_ps(s.x0));
    const __m256 py = _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(s.dy), x), _mm256_set1_ps(s.y0));
    Rgb out = Sample(s.a, px, py);
    if (s.mix != 0.0f) {
        const Rgb other = Sample(s.b, px, py);
        const __m256 keep = _mm256_set1_ps(s.keepMix), mix = _mm256_set1_ps(s.mix);
        for (int c = 0; c < 3; ++c)
            out.c[c] = _mm256_add_ps(_mm256_mul_ps(out.c[c], keep), _mm256_mul_ps(other.c[c], mix));
    }
    return out;
}

}  // namespace

FENNIX_AVX2 void SpanAvx2(const Frame& frame, const Span& span) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256 keep = _mm256_set1_ps(frame.keep), take = _mm256_set1_ps(frame.take);
    const __m256i zero = _mm256_setzero_si256(), top = _mm256_set1_epi32(255);
    for (int x = span.x0; x < span.x1; x += 8) {
        const __m256 xs = _mm256_cvtepi32_ps(_mm256_add_epi32(_mm256_set1_epi32(x), lanes));
        const Rgb S = Read(span.start, xs);
        const Rgb E = Read(span.end, xs);
        __m256i packed = zero;
        for (int c = 0; c < 3; ++c) {
            __m256i v = _mm256_cvtps_epi32(
                _mm256_add_ps(_mm256_mul_ps(S.c[c], keep), _mm256_mul_ps(E.c[c], take)));
            v = _mm256_min_epi32(_mm256_max_epi32(v, zero), top);
            packed = _mm256_or_si256(packed, _mm256_slli_epi32(v, 8 * c));
        }
        const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(span.x1 - x), lanes);
        const size_t at = (static_cast<size_t>(span.y) * frame.width + x) * 4;
        const __m256i previous =
            frame.opaque
                ? _mm256_set1_epi32(-1)
                : _mm256_maskload_epi32(reinterpret_cast<const int*>(frame.previous + at), mask);
        packed = _mm256_or_si256(
            packed, _mm256_and_si256(previous, _mm256_set1_epi32(static_cast<int>(0xFF000000u))));
        _mm256_maskstore_epi32(reinterpret_cast<int*>(frame.output + at), mask, packed);
    }
}

}  // namespace fennix::smooth

#endif
