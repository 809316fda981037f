// The warp's per-pixel work on four pixels at a time with AVX2: four
// doubles per register for the weights, the positions and the blend, the
// integer parts (differences, squared distances, pixel offsets) in 32-bit
// lanes that wrap exactly as the plain path's 32-bit arithmetic does. Each
// step is the plain path's IEEE operation on the same operands in the same
// order; division and square root are correctly rounded in both, and
// conversions round ties to even in the default mode, so the bytes match.
// Compiled for any x86-64: only the functions marked for AVX2 (with FMA,
// which every AVX2 processor of note has) use it, and they run only on a
// CPU that has both.

#if defined(__x86_64__)

#include <immintrin.h>

#include "engine/OffsetTable.h"
#include "engine/WarpKernels.h"

#define FENNIX_AVX2 __attribute__((target("avx2,fma")))

namespace fennix::warp {

namespace {

// Absolute value: clear the sign bit.
FENNIX_AVX2 inline __m256d Abs(__m256d v) {
    return _mm256_and_pd(v, _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffffLL)));
}

// c · |a| / root · length.
FENNIX_AVX2 inline __m256d Scaled(__m256d c, __m256d a, __m256d root, __m256d length) {
    return _mm256_mul_pd(_mm256_div_pd(_mm256_mul_pd(c, Abs(a)), root), length);
}

// c · |a| / √(s² + 1) · √(d²): the weight of one corner, with s the slope
// (the guard where the run is 0) and d² the squared distance as a 32-bit
// integer.
FENNIX_AVX2 inline __m256d Weight(__m256d c, __m256d a, __m256d slope, __m128i squared) {
    const __m256d root = _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(slope, slope), _mm256_set1_pd(1.0)));
    return Scaled(c, a, root, _mm256_sqrt_pd(_mm256_cvtepi32_pd(squared)));
}

// Rounded through a 32-bit float and back, as a weight is stored.
FENNIX_AVX2 inline __m256d AsFloat(__m256d v) {
    return _mm256_cvtps_pd(_mm256_cvtpd_ps(v));
}

// a·v1 + b·v0 + c·v2 for the corner coordinates (P1, P0, P2) of one axis.
FENNIX_AVX2 inline __m256d Position(__m256d p1, __m256d p0, __m256d p2, __m256d v1, __m256d v0,
                                    __m256d v2) {
    return _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(p1, v1), _mm256_mul_pd(p0, v0)), _mm256_mul_pd(p2, v2));
}

// Clamped to 0 … limit (NaN to 0), then rounded ties to even, still a
// double. MINPD returns its second operand when one is NaN, MAXPD likewise:
// NaN passes the upper bound and the lower bound turns it into 0, as the
// plain path does.
FENNIX_AVX2 inline __m256d ClampRound(__m256d v, __m256d limit) {
    return _mm256_round_pd(_mm256_max_pd(_mm256_min_pd(limit, v), _mm256_setzero_pd()),
                           _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
}

// The offset y·width + x of whole-number positions, computed exactly in
// double precision (it stays far below 2^53), as 32-bit integers.
FENNIX_AVX2 inline __m128i Offset(__m256d x, __m256d y, __m256d width) {
    return _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(y, width), x));
}

// Byte `channel` of each of four pixels, alone in its 32-bit lane.
FENNIX_AVX2 inline __m128i ChannelPick(int channel) {
    const char z = -1, c = static_cast<char>(channel);
    return _mm_setr_epi8(c, z, z, z, c + 4, z, z, z, c + 8, z, z, z, c + 12, z, z, z);
}

// One channel of four pixels: S·keep + E·take, rounded ties to even, in the
// low byte of each lane. S·keep is exact (8 bits times the 24 of a float
// fit a double), so the fused multiply-add rounds the same sum the plain
// path's addition does, once.
FENNIX_AVX2 inline __m128i Blend(__m128i s, __m128i e, __m128i pick, __m256d keep, __m256d take) {
    const __m256d S = _mm256_cvtepi32_pd(_mm_shuffle_epi8(s, pick));
    const __m256d E = _mm256_cvtepi32_pd(_mm_shuffle_epi8(e, pick));
    return _mm256_cvtpd_epi32(_mm256_fmadd_pd(S, keep, _mm256_mul_pd(E, take)));
}

// The weights w0 and w1 of pixels first … last − 1 of the span, as 32-bit
// floats, into w0[0 …] and w1[0 …] (room for whole groups of four).
FENNIX_AVX2 void WeightsAvx2(const Span& span, int first, int last, float* w0, float* w1) {
    const Triangle& t = *span.shape;
    const int y = span.y;
    const __m256d c = _mm256_set1_pd(span.c);
    const __m256d zero = _mm256_setzero_pd();
    // w0: the line from P1 to the pixel; its y difference is the row's.
    const int32_t dy1 = y - t.P1.Y;
    const __m256d dy1d = _mm256_set1_pd(dy1);
    const __m128i dy1Squared =
        _mm_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(dy1) * static_cast<uint32_t>(dy1)));
    const __m256d p2yMinusY = _mm256_set1_pd(t.P2.Y - y);
    // w1: the line from the pixel to P0.
    const int32_t dy0 = t.P0.Y - y;
    const __m256d dy0d = _mm256_set1_pd(dy0);
    const __m128i dy0Squared =
        _mm_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(dy0) * static_cast<uint32_t>(dy0)));
    const __m256d p2yMinusP0y = _mm256_set1_pd(t.P2.Y - t.P0.Y);
    const __m256d p2xMinusP0x = _mm256_set1_pd(t.P2.X - t.P0.X);
    const __m128i p1x = _mm_set1_epi32(t.P1.X), p0x = _mm_set1_epi32(t.P0.X), p2x = _mm_set1_epi32(t.P2.X);
    const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);

    for (int x = first; x < last; x += 4) {
        const __m128i X = _mm_add_epi32(_mm_set1_epi32(x), lanes);

        const __m128i dx1 = _mm_sub_epi32(X, p1x);
        const __m256d dx1d = _mm256_cvtepi32_pd(dx1);
        const __m256d e = _mm256_blendv_pd(_mm256_div_pd(dy1d, dx1d), _mm256_set1_pd(kPixelSlope),
                                           _mm256_cmp_pd(dx1d, zero, _CMP_EQ_OQ));
        const __m256d a0 = _mm256_sub_pd(p2yMinusY, _mm256_mul_pd(e, _mm256_cvtepi32_pd(_mm_sub_epi32(p2x, X))));
        _mm_storeu_ps(w0 + (x - first),
                      _mm256_cvtpd_ps(Weight(c, a0, e, _mm_add_epi32(_mm_mullo_epi32(dx1, dx1), dy1Squared))));

        const __m128i dx0 = _mm_sub_epi32(p0x, X);
        const __m256d dx0d = _mm256_cvtepi32_pd(dx0);
        const __m256d o = _mm256_blendv_pd(_mm256_div_pd(dy0d, dx0d), _mm256_set1_pd(kSteepSlope),
                                           _mm256_cmp_pd(dx0d, zero, _CMP_EQ_OQ));
        const __m256d a1 = _mm256_sub_pd(p2yMinusP0y, _mm256_mul_pd(o, p2xMinusP0x));
        _mm_storeu_ps(w1 + (x - first),
                      _mm256_cvtpd_ps(Weight(c, a1, o, _mm_add_epi32(_mm_mullo_epi32(dx0, dx0), dy0Squared))));
    }
}

// The entries of a corner's plane for pixels x … x + 3.
FENNIX_AVX2 inline __m256d Entries(const double* plane, const CornerEntries& corner, int x) {
    const int at = corner.sign * (x - corner.origin);
    if (corner.sign > 0) return _mm256_loadu_pd(plane + at);
    return _mm256_permute4x64_pd(_mm256_loadu_pd(plane + at - 3), _MM_SHUFFLE(0, 1, 2, 3));
}

// The weights as WeightsAvx2 computes them, with the slopes, roots and
// lengths read from the offset table instead of divided and rooted: only
// the two divisions by the roots remain.
FENNIX_AVX2 void WeightsFromTable(const Span& span, const CornerEntries& toP1, const CornerEntries& toP0,
                                  int first, int last, float* w0, float* w1) {
    const Triangle& t = *span.shape;
    const int y = span.y;
    const __m256d c = _mm256_set1_pd(span.c);
    const __m256d p2yMinusY = _mm256_set1_pd(t.P2.Y - y);
    const __m256d p2yMinusP0y = _mm256_set1_pd(t.P2.Y - t.P0.Y);
    const __m256d p2xMinusP0x = _mm256_set1_pd(t.P2.X - t.P0.X);
    // The table's guard is that of the line to P1; the line to P0 has its own.
    const __m256d steep = _mm256_set1_pd(kSteepSlope);
    const __m256d steepRoot = _mm256_set1_pd(kSteepRoot);
    const __m128i p2x = _mm_set1_epi32(t.P2.X);
    const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);

    for (int x = first; x < last; x += 4) {
        const __m128i X = _mm_add_epi32(_mm_set1_epi32(x), lanes);

        const __m256d e = Entries(toP1.slopes, toP1, x);
        const __m256d a0 = _mm256_sub_pd(p2yMinusY, _mm256_mul_pd(e, _mm256_cvtepi32_pd(_mm_sub_epi32(p2x, X))));
        _mm_storeu_ps(w0 + (x - first),
                      _mm256_cvtpd_ps(Scaled(c, a0, Entries(toP1.roots, toP1, x), Entries(toP1.lengths, toP1, x))));

        __m256d o = Entries(toP0.slopes, toP0, x);
        __m256d root = Entries(toP0.roots, toP0, x);
        const unsigned vertical = static_cast<unsigned>(toP0.origin - x);  // the lane where x = P0.X
        if (vertical < 4) {
            const __m256d lane = _mm256_castsi256_pd(
                _mm256_cmpeq_epi64(_mm256_setr_epi64x(0, 1, 2, 3), _mm256_set1_epi64x(vertical)));
            o = _mm256_blendv_pd(o, steep, lane);
            root = _mm256_blendv_pd(root, steepRoot, lane);
        }
        const __m256d a1 = _mm256_sub_pd(p2yMinusP0y, _mm256_mul_pd(o, p2xMinusP0x));
        _mm_storeu_ps(w1 + (x - first), _mm256_cvtpd_ps(Scaled(c, a1, root, Entries(toP0.lengths, toP0, x))));
    }
}

}  // namespace

FENNIX_AVX2 void SpanOffsetsAvx2(const Images& images, const Span& span, int32_t* from, int32_t* to) {
    // Found before the constants below are set up: they would otherwise
    // be kept on the stack across the call.
    CornerEntries toP1, toP0;
    const bool fromTable =
        images.offsets && FindEntries(*images.offsets, *span.shape, span.y, span.x0, span.x1, toP1, toP0);
    const Triangle& q = *span.from;
    const Triangle& r = *span.to;
    const __m256d right = _mm256_set1_pd(images.width - 1);
    const __m256d bottom = _mm256_set1_pd(images.height - 1);
    const __m256d width = _mm256_set1_pd(images.width);

    // Source corners, one register each.
    const __m256d q1x = _mm256_set1_pd(q.P1.X), q0x = _mm256_set1_pd(q.P0.X), q2x = _mm256_set1_pd(q.P2.X);
    const __m256d q1y = _mm256_set1_pd(q.P1.Y), q0y = _mm256_set1_pd(q.P0.Y), q2y = _mm256_set1_pd(q.P2.Y);
    const __m256d r1x = _mm256_set1_pd(r.P1.X), r0x = _mm256_set1_pd(r.P0.X), r2x = _mm256_set1_pd(r.P2.X);
    const __m256d r1y = _mm256_set1_pd(r.P1.Y), r0y = _mm256_set1_pd(r.P0.Y), r2y = _mm256_set1_pd(r.P2.Y);
    const __m256d one = _mm256_set1_pd(1.0);

    // The span goes in pieces of kPiece pixels, each in two passes: first
    // the weights, whose divisions overlap best in a short loop of their
    // own, then the positions. Every lane read from the weight buffers is
    // written first; the last register of a span writes offsets past its
    // end, which the next span of the row writes again.
    constexpr int kPiece = 64;
    alignas(32) float w0[kPiece], w1[kPiece];
    for (int first = span.x0; first < span.x1; first += kPiece) {
        const int last = first + kPiece < span.x1 ? first + kPiece : span.x1;
        if (fromTable)
            WeightsFromTable(span, toP1, toP0, first, last, w0, w1);
        else
            WeightsAvx2(span, first, last, w0, w1);
        for (int x = first; x < last; x += 4) {
            const __m256d v0 = _mm256_cvtps_pd(_mm_load_ps(w0 + (x - first)));
            const __m256d v1 = _mm256_cvtps_pd(_mm_load_ps(w1 + (x - first)));
            const __m256d v2 = AsFloat(_mm256_sub_pd(_mm256_sub_pd(one, v0), v1));

            const __m256d sx = ClampRound(Position(q1x, q0x, q2x, v1, v0, v2), right);
            const __m256d sy = ClampRound(Position(q1y, q0y, q2y, v1, v0, v2), bottom);
            const __m256d ex = ClampRound(Position(r1x, r0x, r2x, v1, v0, v2), right);
            const __m256d ey = ClampRound(Position(r1y, r0y, r2y, v1, v0, v2), bottom);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(from + x), Offset(sx, sy, width));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), Offset(ex, ey, width));
        }
    }
}

FENNIX_AVX2 void RunAvx2(const Images& images, int y, int x0, int x1, const int32_t* from, const int32_t* to) {
    const int W = images.width;
    const auto* start = reinterpret_cast<const int*>(images.start);
    const auto* end = reinterpret_cast<const int*>(images.end);
    auto* row = reinterpret_cast<uint32_t*>(images.output) + static_cast<size_t>(y) * W;
    const auto* before = reinterpret_cast<const uint32_t*>(images.previous) + static_cast<size_t>(y) * W;
    const __m256d keep = _mm256_set1_pd(images.keep);
    const __m256d take = _mm256_set1_pd(images.take);
    const int64_t ahead = int64_t{kPrefetchRows} * W;
    const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);
    const __m128i alpha = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
    const __m128i pickBlue = ChannelPick(0), pickGreen = ChannelPick(1), pickRed = ChannelPick(2);
    for (int x = x0; x < x1; x += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x));
        const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + x));
        // The last pixels of the run are masked: only they are read and
        // written (the offsets beyond them may be stale).
        const bool whole = x1 - x >= 4;
        const __m128i mask = whole ? _mm_set1_epi32(-1) : _mm_cmpgt_epi32(_mm_set1_epi32(x1 - x), lanes);
        const __m128i S = _mm_mask_i32gather_epi32(_mm_setzero_si128(), start, s, mask, 4);
        const __m128i E = _mm_mask_i32gather_epi32(_mm_setzero_si128(), end, e, mask, 4);
        Prefetch(images.start, _mm_cvtsi128_si32(s) + ahead);
        Prefetch(images.end, _mm_cvtsi128_si32(e) + ahead);

        // Each channel is 0 … 255 for t within 0 … 1, so they simply go
        // back to their bytes.
        const __m128i colour = _mm_or_si128(
            _mm_or_si128(Blend(S, E, pickBlue, keep, take), _mm_slli_epi32(Blend(S, E, pickGreen, keep, take), 8)),
            _mm_slli_epi32(Blend(S, E, pickRed, keep, take), 16));
        uint32_t* out = row + x;
        if (images.opaque) {
            if (whole)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(alpha, colour));
            else
                _mm_maskstore_epi32(reinterpret_cast<int*>(out), mask, _mm_or_si128(alpha, colour));
        } else if (whole) {
            const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(before + x));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(_mm_and_si128(old, alpha), colour));
        } else {
            const __m128i old = _mm_maskload_epi32(reinterpret_cast<const int*>(before + x), mask);
            _mm_maskstore_epi32(reinterpret_cast<int*>(out), mask, _mm_or_si128(_mm_and_si128(old, alpha), colour));
        }
    }
}

}  // namespace fennix::warp

#endif
