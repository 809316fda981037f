// The smooth warp's per-pixel work on sixteen pixels at a time with AVX-512:
// positions, bilinear weights and the dissolve in 32-bit float lanes, the
// four neighbours of each position gathered from the picture. Every step is
// the plain kernel's float operation on the same operands in the same
// order (no fused multiply-add), conversions truncate or round ties to even
// as the plain kernel's do, so the bytes match. Compiled for any x86-64:
// only the functions marked for AVX-512 use it, and they run only on a CPU
// that has it (AVX-512 F and VL, as the exact kernels ask).

#if defined(__x86_64__)

// GCC 12's AVX-512 headers start some conversions from a deliberately
// undefined register and then warn about it.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include "engine/SmoothKernels.h"

#define FENNIX_AVX512 __attribute__((target("avx512f,avx512vl")))

namespace fennix::smooth {

namespace {

struct Rgb {
    __m512 c[3];
};

// min(limit, v), then max(·, 0): NaN goes to 0, as in the plain kernel.
FENNIX_AVX512 inline __m512 Clamp(__m512 v, __m512 limit) {
    return _mm512_max_ps(_mm512_min_ps(limit, v), _mm512_setzero_ps());
}

FENNIX_AVX512 inline __m512 Channel(__m512i pixels, int shift) {
    return _mm512_cvtepi32_ps(
        _mm512_and_si512(_mm512_srli_epi32(pixels, shift), _mm512_set1_epi32(0xFF)));
}

FENNIX_AVX512 inline Rgb Sample(const Level& level, __m512 px, __m512 py) {
    const __m512 half = _mm512_set1_ps(0.5f);
    if (level.scale != 1.0f) {
        const __m512 scale = _mm512_set1_ps(level.scale);
        px = _mm512_sub_ps(_mm512_mul_ps(_mm512_add_ps(px, half), scale), half);
        py = _mm512_sub_ps(_mm512_mul_ps(_mm512_add_ps(py, half), scale), half);
    }
    const __m512 X = Clamp(px, _mm512_set1_ps(static_cast<float>(level.width - 1)));
    const __m512 Y = Clamp(py, _mm512_set1_ps(static_cast<float>(level.height - 1)));
    const __m512i ix = _mm512_cvttps_epi32(X), iy = _mm512_cvttps_epi32(Y);
    const __m512 fx = _mm512_sub_ps(X, _mm512_cvtepi32_ps(ix));
    const __m512 fy = _mm512_sub_ps(Y, _mm512_cvtepi32_ps(iy));
    const __m512 one = _mm512_set1_ps(1.0f);
    const __m512 gx = _mm512_sub_ps(one, fx), gy = _mm512_sub_ps(one, fy);
    const __m512i ones = _mm512_set1_epi32(1);
    const __m512i ix1 =
        _mm512_min_epi32(_mm512_add_epi32(ix, ones), _mm512_set1_epi32(level.width - 1));
    const __m512i iy1 =
        _mm512_min_epi32(_mm512_add_epi32(iy, ones), _mm512_set1_epi32(level.height - 1));
    const __m512i w = _mm512_set1_epi32(level.width);
    const __m512i row0 = _mm512_mullo_epi32(iy, w), row1 = _mm512_mullo_epi32(iy1, w);
    const int* bits = reinterpret_cast<const int*>(level.bits);
    const __m512i p00 = _mm512_i32gather_epi32(_mm512_add_epi32(row0, ix), bits, 4);
    const __m512i p10 = _mm512_i32gather_epi32(_mm512_add_epi32(row0, ix1), bits, 4);
    const __m512i p01 = _mm512_i32gather_epi32(_mm512_add_epi32(row1, ix), bits, 4);
    const __m512i p11 = _mm512_i32gather_epi32(_mm512_add_epi32(row1, ix1), bits, 4);
    Rgb out;
    for (int c = 0; c < 3; ++c) {
        const __m512 top = _mm512_add_ps(_mm512_mul_ps(Channel(p00, 8 * c), gx),
                                         _mm512_mul_ps(Channel(p10, 8 * c), fx));
        const __m512 bottom = _mm512_add_ps(_mm512_mul_ps(Channel(p01, 8 * c), gx),
                                            _mm512_mul_ps(Channel(p11, 8 * c), fx));
        out.c[c] = _mm512_add_ps(_mm512_mul_ps(top, gy), _mm512_mul_ps(bottom, fy));
    }
    return out;
}

FENNIX_AVX512 inline Rgb Read(const Source& s, __m512 x) {
    const __m512 px = _mm512_add_ps(_mm512_mul_ps(_mm512_set1_ps(s.dx), x), _mm512_set1_ps(s.x0));
    const __m512 py = _mm512_add_ps(_mm512_mul_ps(_mm512_set1_ps(s.dy), x), _mm512_set1_ps(s.y0));
    Rgb out = Sample(s.a, px, py);
    if (s.mix != 0.0f) {
        const Rgb other = Sample(s.b, px, py);
        const __m512 keep = _mm512_set1_ps(s.keepMix), mix = _mm512_set1_ps(s.mix);
        for (int c = 0; c < 3; ++c)
            out.c[c] = _mm512_add_ps(_mm512_mul_ps(out.c[c], keep), _mm512_mul_ps(other.c[c], mix));
    }
    return out;
}

}  // namespace

FENNIX_AVX512 void SpanAvx512(const Frame& frame, const Span& span) {
    const __m512i lanes = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m512 keep = _mm512_set1_ps(frame.keep), take = _mm512_set1_ps(frame.take);
    const __m512i zero = _mm512_setzero_si512(), top = _mm512_set1_epi32(255);
    for (int x = span.x0; x < span.x1; x += 16) {
        const __m512 xs = _mm512_cvtepi32_ps(_mm512_add_epi32(_mm512_set1_epi32(x), lanes));
        const Rgb S = Read(span.start, xs);
        const Rgb E = Read(span.end, xs);
        __m512i packed = zero;
        for (int c = 0; c < 3; ++c) {
            __m512i v = _mm512_cvtps_epi32(
                _mm512_add_ps(_mm512_mul_ps(S.c[c], keep), _mm512_mul_ps(E.c[c], take)));
            v = _mm512_min_epi32(_mm512_max_epi32(v, zero), top);
            packed = _mm512_or_si512(packed, _mm512_slli_epi32(v, 8 * c));
        }
        const __mmask16 mask = _mm512_cmpgt_epi32_mask(_mm512_set1_epi32(span.x1 - x), lanes);
        const size_t at = (static_cast<size_t>(span.y) * frame.width + x) * 4;
        const __m512i previous = frame.opaque ? _mm512_set1_epi32(-1)
                                              : _mm512_maskz_loadu_epi32(mask, frame.previous + at);
        packed = _mm512_or_si512(
            packed, _mm512_and_si512(previous, _mm512_set1_epi32(static_cast<int>(0xFF000000u))));
        _mm512_mask_storeu_epi32(frame.output + at, mask, packed);
    }
}

}  // namespace fennix::smooth

#endif
