// The warp's per-pixel work with AVX-512, eight pixels at a time. For each
// span the weights in a pass of their own (slopes, roots and lengths read
// from the offset table where it reaches, divided and rooted elsewhere),
// then positions and clamping, down to the pixels' offsets in the two
// pictures; for each run of covered pixels of a row the loads and the
// blend, with masks for its last pixels (in place, byte masks that leave
// each pixel's fourth byte unwritten; over opaque pictures, 0xFF). Every
// step is the plain path's IEEE operation on the same operands in the same
// order, so the bytes match (see WarpKernelsAvx2.cpp). Only the functions marked for AVX-512
// use it, and they run only on a CPU that has it.

#if defined(__x86_64__)

// GCC 12's AVX-512 headers start some conversions from a deliberately
// undefined register and then warn about it.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include <cstdint>

#include "engine/OffsetTable.h"
#include "engine/WarpKernels.h"

#define FENNIX_AVX512 __attribute__((target("avx512f,avx512vl,avx512bw,avx2")))

namespace fennix::warp {

namespace {

FENNIX_AVX512 inline __m512d AsFloat(__m512d v) {
    return _mm512_cvtps_pd(_mm512_cvtpd_ps(v));
}

// P1·v1 + P0·v0 + P2·v2 for the corner coordinates of one axis.
FENNIX_AVX512 inline __m512d Position(__m512d p1, __m512d p0, __m512d p2, __m512d v1, __m512d v0,
                                      __m512d v2) {
    return _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(p1, v1), _mm512_mul_pd(p0, v0)), _mm512_mul_pd(p2, v2));
}

// Clamped to 0 … limit (NaN to 0: VMINPD and VMAXPD return their second
// operand when one is NaN), then rounded ties to even, still a double.
FENNIX_AVX512 inline __m512d ClampRound(__m512d v, __m512d limit) {
    return _mm512_roundscale_pd(_mm512_max_pd(_mm512_min_pd(limit, v), _mm512_setzero_pd()),
                                _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
}

// The offset y·width + x of whole-number positions, computed exactly in
// double precision (it stays far below 2^53), as 32-bit integers.
FENNIX_AVX512 inline __m256i Offset(__m512d x, __m512d y, __m512d width) {
    return _mm512_cvttpd_epi32(_mm512_add_pd(_mm512_mul_pd(y, width), x));
}

// Positions rounded ties to even to 32-bit integers: what ClampRound gives
// for the positions inside the picture. A lane beyond the integers (or
// NaN) gets INT_MIN.
FENNIX_AVX512 inline __m256i Whole(__m512d v) {
    return _mm512_cvt_roundpd_epi32(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
}

FENNIX_AVX512 inline __m256i Clamp(__m256i v, __m256i limit) {
    return _mm256_min_epi32(_mm256_max_epi32(v, _mm256_setzero_si256()), limit);
}

// The offsets in the start and the end picture of eight pixels' positions
// (sx, sy) and (ex, ey), as ClampRound and Offset make them. Rounding
// first and clamping the integers gives the same whole numbers with
// cheaper steps: a position above the limit rounds to at least the limit,
// one below 0 to at most 0. Only when a lane left the integers' range (a
// triangle of no area sends its positions far out) does the clamping in
// floating point decide.
FENNIX_AVX512 inline void Offsets(__m512d sx, __m512d sy, __m512d ex, __m512d ey, int width, int height,
                                  __m256i& from, __m256i& to) {
    const __m256i x0 = Whole(sx), y0 = Whole(sy), x1 = Whole(ex), y1 = Whole(ey);
    // INT_MIN is the least integer: one comparison of the four's minimum
    // finds a lane that left the range in any of them.
    const __m256i least = _mm256_min_epi32(_mm256_min_epi32(x0, y0), _mm256_min_epi32(x1, y1));
    if (_mm256_cmpeq_epi32_mask(least, _mm256_set1_epi32(INT32_MIN))) {
        const __m512d right = _mm512_set1_pd(width - 1), bottom = _mm512_set1_pd(height - 1);
        const __m512d w = _mm512_set1_pd(width);
        from = Offset(ClampRound(sx, right), ClampRound(sy, bottom), w);
        to = Offset(ClampRound(ex, right), ClampRound(ey, bottom), w);
        return;
    }
    const __m256i right = _mm256_set1_epi32(width - 1), bottom = _mm256_set1_epi32(height - 1);
    const __m256i w = _mm256_set1_epi32(width);
    from = _mm256_add_epi32(_mm256_mullo_epi32(Clamp(y0, bottom), w), Clamp(x0, right));
    to = _mm256_add_epi32(_mm256_mullo_epi32(Clamp(y1, bottom), w), Clamp(x1, right));
}

// Byte `channel` of each of eight pixels, alone in its 32-bit lane: one
// byte shuffle instead of a shift and a mask.
FENNIX_AVX512 inline __m256i ChannelPick(int channel) {
    const char z = -1, c = static_cast<char>(channel);
    return _mm256_setr_epi8(c, z, z, z, c + 4, z, z, z, c + 8, z, z, z, c + 12, z, z, z, c, z, z, z, c + 4, z, z,
                            z, c + 8, z, z, z, c + 12, z, z, z);
}

// One channel of eight pixels: S·keep + E·take, rounded ties to even, in
// the low byte of each lane. S·keep is exact (8 bits times the 24 of a
// float fit a double), so the fused multiply-add rounds the same sum the
// plain path's addition does, once.
FENNIX_AVX512 inline __m256i Blend(__m256i s, __m256i e, __m256i pick, __m512d keep, __m512d take) {
    const __m512d S = _mm512_cvtepi32_pd(_mm256_shuffle_epi8(s, pick));
    const __m512d E = _mm512_cvtepi32_pd(_mm256_shuffle_epi8(e, pick));
    return _mm512_cvtpd_epi32(_mm512_fmadd_pd(S, keep, _mm512_mul_pd(E, take)));
}

// c · |a| / root · length for eight pixels, as a 32-bit float.
FENNIX_AVX512 inline __m256 Scaled(__m512d c, __m512d a, __m512d root, __m512d length) {
    return _mm512_cvtpd_ps(_mm512_mul_pd(_mm512_div_pd(_mm512_mul_pd(c, _mm512_abs_pd(a)), root), length));
}

// c · |a| / √(s² + 1) · √(d²) for eight pixels, as WeightsAvx2 computes it.
FENNIX_AVX512 inline __m256 Weight(__m512d c, __m512d a, __m512d slope, __m256i squared) {
    const __m512d root = _mm512_sqrt_pd(_mm512_add_pd(_mm512_mul_pd(slope, slope), _mm512_set1_pd(1.0)));
    return Scaled(c, a, root, _mm512_sqrt_pd(_mm512_cvtepi32_pd(squared)));
}

// The weights w0 and w1 of pixels first … last − 1 of the span, eight at a
// time: the steps of WeightsAvx2 on registers twice as wide.
FENNIX_AVX512 void WeightsAvx512(const Span& span, int first, int last, float* w0, float* w1) {
    const Triangle& t = *span.shape;
    const int y = span.y;
    const __m512d c = _mm512_set1_pd(span.c);
    const __m512d zero = _mm512_setzero_pd();
    const int32_t dy1 = y - t.P1.Y;
    const __m512d dy1d = _mm512_set1_pd(dy1);
    const __m256i dy1Squared =
        _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(dy1) * static_cast<uint32_t>(dy1)));
    const __m512d p2yMinusY = _mm512_set1_pd(t.P2.Y - y);
    const int32_t dy0 = t.P0.Y - y;
    const __m512d dy0d = _mm512_set1_pd(dy0);
    const __m256i dy0Squared =
        _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(dy0) * static_cast<uint32_t>(dy0)));
    const __m512d p2yMinusP0y = _mm512_set1_pd(t.P2.Y - t.P0.Y);
    const __m512d p2xMinusP0x = _mm512_set1_pd(t.P2.X - t.P0.X);
    const __m256i p1x = _mm256_set1_epi32(t.P1.X), p0x = _mm256_set1_epi32(t.P0.X), p2x = _mm256_set1_epi32(t.P2.X);
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);

    for (int x = first; x < last; x += 8) {
        const __m256i X = _mm256_add_epi32(_mm256_set1_epi32(x), lanes);

        const __m256i dx1 = _mm256_sub_epi32(X, p1x);
        const __m512d dx1d = _mm512_cvtepi32_pd(dx1);
        const __m512d e = _mm512_mask_blend_pd(_mm512_cmp_pd_mask(dx1d, zero, _CMP_EQ_OQ),
                                               _mm512_div_pd(dy1d, dx1d), _mm512_set1_pd(kPixelSlope));
        const __m512d a0 = _mm512_sub_pd(p2yMinusY, _mm512_mul_pd(e, _mm512_cvtepi32_pd(_mm256_sub_epi32(p2x, X))));
        _mm256_storeu_ps(w0 + (x - first), Weight(c, a0, e, _mm256_add_epi32(_mm256_mullo_epi32(dx1, dx1), dy1Squared)));

        const __m256i dx0 = _mm256_sub_epi32(p0x, X);
        const __m512d dx0d = _mm512_cvtepi32_pd(dx0);
        const __m512d o = _mm512_mask_blend_pd(_mm512_cmp_pd_mask(dx0d, zero, _CMP_EQ_OQ),
                                               _mm512_div_pd(dy0d, dx0d), _mm512_set1_pd(kSteepSlope));
        const __m512d a1 = _mm512_sub_pd(p2yMinusP0y, _mm512_mul_pd(o, p2xMinusP0x));
        _mm256_storeu_ps(w1 + (x - first), Weight(c, a1, o, _mm256_add_epi32(_mm256_mullo_epi32(dx0, dx0), dy0Squared)));
    }
}

// The entries of a corner's plane for pixels x … x + 7.
FENNIX_AVX512 inline __m512d Entries(const double* plane, const CornerEntries& corner, int x) {
    const int at = corner.sign * (x - corner.origin);
    if (corner.sign > 0) return _mm512_loadu_pd(plane + at);
    return _mm512_permutexvar_pd(_mm512_setr_epi64(7, 6, 5, 4, 3, 2, 1, 0), _mm512_loadu_pd(plane + at - 7));
}

// The weights as WeightsAvx512 computes them, with the slopes, roots and
// lengths read from the offset table instead of divided and rooted: only
// the two divisions by the roots remain.
FENNIX_AVX512 void WeightsFromTable(const Span& span, const CornerEntries& toP1, const CornerEntries& toP0,
                                    int first, int last, float* w0, float* w1) {
    const Triangle& t = *span.shape;
    const int y = span.y;
    const __m512d c = _mm512_set1_pd(span.c);
    const __m512d p2yMinusY = _mm512_set1_pd(t.P2.Y - y);
    const __m512d p2yMinusP0y = _mm512_set1_pd(t.P2.Y - t.P0.Y);
    const __m512d p2xMinusP0x = _mm512_set1_pd(t.P2.X - t.P0.X);
    // The table's guard is that of the line to P1; the line to P0 has its own.
    const __m512d steep = _mm512_set1_pd(kSteepSlope);
    const __m512d steepRoot = _mm512_set1_pd(kSteepRoot);
    const __m256i p2x = _mm256_set1_epi32(t.P2.X);
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);

    for (int x = first; x < last; x += 8) {
        const __m256i X = _mm256_add_epi32(_mm256_set1_epi32(x), lanes);

        const __m512d e = Entries(toP1.slopes, toP1, x);
        const __m512d a0 = _mm512_sub_pd(p2yMinusY, _mm512_mul_pd(e, _mm512_cvtepi32_pd(_mm256_sub_epi32(p2x, X))));
        _mm256_storeu_ps(w0 + (x - first),
                         Scaled(c, a0, Entries(toP1.roots, toP1, x), Entries(toP1.lengths, toP1, x)));

        __m512d o = Entries(toP0.slopes, toP0, x);
        __m512d root = Entries(toP0.roots, toP0, x);
        const unsigned vertical = static_cast<unsigned>(toP0.origin - x);  // the lane where x = P0.X
        if (vertical < 8) {
            const auto lane = static_cast<__mmask8>(1u << vertical);
            o = _mm512_mask_mov_pd(o, lane, steep);
            root = _mm512_mask_mov_pd(root, lane, steepRoot);
        }
        const __m512d a1 = _mm512_sub_pd(p2yMinusP0y, _mm512_mul_pd(o, p2xMinusP0x));
        _mm256_storeu_ps(w1 + (x - first), Scaled(c, a1, root, Entries(toP0.lengths, toP0, x)));
    }
}

}  // namespace

FENNIX_AVX512 void SpanOffsetsAvx512(const Images& images, const Span& span, int32_t* from, int32_t* to) {
    // Found before the constants below are set up: they would otherwise
    // be kept on the stack across the call.
    CornerEntries toP1, toP0;
    const bool fromTable =
        images.offsets && FindEntries(*images.offsets, *span.shape, span.y, span.x0, span.x1, toP1, toP0);
    const Triangle& q = *span.from;
    const Triangle& r = *span.to;
    const __m512d q1x = _mm512_set1_pd(q.P1.X), q0x = _mm512_set1_pd(q.P0.X), q2x = _mm512_set1_pd(q.P2.X);
    const __m512d q1y = _mm512_set1_pd(q.P1.Y), q0y = _mm512_set1_pd(q.P0.Y), q2y = _mm512_set1_pd(q.P2.Y);
    const __m512d r1x = _mm512_set1_pd(r.P1.X), r0x = _mm512_set1_pd(r.P0.X), r2x = _mm512_set1_pd(r.P2.X);
    const __m512d r1y = _mm512_set1_pd(r.P1.Y), r0y = _mm512_set1_pd(r.P0.Y), r2y = _mm512_set1_pd(r.P2.Y);
    const __m512d one = _mm512_set1_pd(1.0);

    // Pieces of kPiece pixels: first the weights, then the positions.
    // Every lane read from the weight buffers is written first; the last
    // register of a span writes offsets past its end, which the next span
    // of the row writes again (the buffers have room for them).
    constexpr int kPiece = 64;
    alignas(32) float w0[kPiece], w1[kPiece];
    for (int first = span.x0; first < span.x1; first += kPiece) {
        const int last = first + kPiece < span.x1 ? first + kPiece : span.x1;
        if (fromTable)
            WeightsFromTable(span, toP1, toP0, first, last, w0, w1);
        else
            WeightsAvx512(span, first, last, w0, w1);
        for (int x = first; x < last; x += 8) {
            const __m512d v0 = _mm512_cvtps_pd(_mm256_load_ps(w0 + (x - first)));
            const __m512d v1 = _mm512_cvtps_pd(_mm256_load_ps(w1 + (x - first)));
            const __m512d v2 = AsFloat(_mm512_sub_pd(_mm512_sub_pd(one, v0), v1));
            __m256i s, e;
            Offsets(Position(q1x, q0x, q2x, v1, v0, v2), Position(q1y, q0y, q2y, v1, v0, v2),
                    Position(r1x, r0x, r2x, v1, v0, v2), Position(r1y, r0y, r2y, v1, v0, v2), images.width,
                    images.height, s, e);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(from + x), s);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + x), e);
        }
    }
}

FENNIX_AVX512 void RunAvx512(const Images& images, int y, int x0, int x1, const int32_t* from, const int32_t* to) {
    const int W = images.width;
    const auto* start = reinterpret_cast<const int*>(images.start);
    const auto* end = reinterpret_cast<const int*>(images.end);
    auto* row = reinterpret_cast<uint32_t*>(images.output) + static_cast<size_t>(y) * W;
    const auto* before = reinterpret_cast<const uint32_t*>(images.previous) + static_cast<size_t>(y) * W;
    const __m512d keep = _mm512_set1_pd(images.keep);
    const __m512d take = _mm512_set1_pd(images.take);
    const __m256i alpha = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
    const __m256i pickBlue = ChannelPick(0), pickGreen = ChannelPick(1), pickRed = ChannelPick(2);
    const int64_t ahead = int64_t{kPrefetchRows} * W;
    // Warping in place, the fourth byte the output keeps is already there.
    const bool inPlace = images.previous == images.output;
    constexpr __mmask32 kColourBytes = 0x77777777u;
    for (int x = x0; x < x1; x += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + x));
        const __m256i e = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(to + x));
        // The last pixels of the run are masked: only they are read and
        // written (the offsets beyond them may be stale).
        const int left = x1 - x;
        const __mmask8 mask = left >= 8 ? __mmask8(0xFF) : static_cast<__mmask8>((1u << left) - 1);
        const __m256i S = _mm256_mmask_i32gather_epi32(_mm256_setzero_si256(), mask, s, start, 4);
        const __m256i E = _mm256_mmask_i32gather_epi32(_mm256_setzero_si256(), mask, e, end, 4);
        Prefetch(images.start, _mm256_cvtsi256_si32(s) + ahead);
        Prefetch(images.end, _mm256_cvtsi256_si32(e) + ahead);

        // The three channels (each 0 … 255: for t within 0 … 1 the blend
        // never leaves the range of a byte) go back to their bytes, ORed at once.
        const __m256i blue = Blend(S, E, pickBlue, keep, take);
        const __m256i green = _mm256_slli_epi32(Blend(S, E, pickGreen, keep, take), 8);
        const __m256i red = _mm256_slli_epi32(Blend(S, E, pickRed, keep, take), 16);
        const __m256i colour = _mm256_ternarylogic_epi32(blue, green, red, 0xFE);
        if (images.opaque) {
            _mm256_mask_storeu_epi32(row + x, mask, _mm256_or_si256(colour, alpha));
            continue;
        }
        if (inPlace) {
            // Only the three colour bytes of each pixel are written: the
            // fourth stays as it was, without being read first.
            const __mmask32 bytes =
                left >= 8 ? kColourBytes : kColourBytes & ((1u << (4 * left)) - 1);
            _mm256_mask_storeu_epi8(row + x, bytes, colour);
            continue;
        }
        const __m256i old = _mm256_maskz_loadu_epi32(mask, before + x);
        _mm256_mask_storeu_epi32(row + x, mask, _mm256_ternarylogic_epi32(old, alpha, colour, 0xEA));
    }
}

}  // namespace fennix::warp

#endif
