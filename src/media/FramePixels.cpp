// BT.601 in whole numbers: with L = 299 R + 587 G + 114 B (1000 Y'),
// Pb = 886 B − 299 R − 587 G (1772 Cb) and Pr = 701 R − 587 G − 114 B
// (1402 Cr), every output value is a fraction of integers, so it can be
// rounded exactly: round(v / d) = ⌊(2v + d) / 2d⌋ for v ≥ 0.

#include "media/FramePixels.h"

#include <algorithm>
#include <cstddef>

namespace fennix {

namespace {

// v / d rounded to the nearest integer, halves up; v ≥ 0, d > 0.
template <typename T>
inline uint32_t RoundedQuotient(T v, T d) {
    return static_cast<uint32_t>((2 * v + d) / (2 * d));
}

// The three sums of a block of `n` pixels, as the integers above.
struct Sums {
    int32_t r = 0, g = 0, b = 0;
    int n = 0;
    void Add(const uint8_t* pixel) {
        b += pixel[0];
        g += pixel[1];
        r += pixel[2];
        ++n;
    }
};

inline uint8_t Luma(const uint8_t* pixel, bool fullRange) {
    const uint32_t l = 299u * pixel[2] + 587u * pixel[1] + 114u * pixel[0];
    // Studio range: 16 + 219 · L / (255 · 1000).
    return static_cast<uint8_t>(fullRange ? RoundedQuotient<uint32_t>(l, 1000)
                                          : RoundedQuotient<uint32_t>(16 * 255000 + 219 * l, 255000));
}

// Cb and Cr of a block of n pixels with the sums Pb and Pr, in T: 32 bits
// for a whole 2 × 2 block, where everything (2v + d included) stays below
// 2^31 and the constant n turns the divisions into multiplications; 64 bits
// otherwise. A negative Pb wraps in 32 bits, but the sum it goes into does
// not.
template <typename T>
inline void Chroma(T pb, T pr, T n, bool fullRange, uint8_t* cb, uint8_t* cr) {
    if (fullRange) {
        // 128 + Pb / (1772 n), which reaches 255.5 for pure blue.
        *cb = static_cast<uint8_t>(std::min<uint32_t>(255, RoundedQuotient<T>(128 * 1772 * n + pb, 1772 * n)));
        *cr = static_cast<uint8_t>(std::min<uint32_t>(255, RoundedQuotient<T>(128 * 1402 * n + pr, 1402 * n)));
    } else {
        // 128 + 224 · Pb / (255 · 1772 n), and the same for Cr.
        *cb = static_cast<uint8_t>(RoundedQuotient<T>(128 * 255 * 1772 * n + 224 * pb, 255 * 1772 * n));
        *cr = static_cast<uint8_t>(RoundedQuotient<T>(128 * 255 * 1402 * n + 224 * pr, 255 * 1402 * n));
    }
}

inline void Chroma(const Sums& s, bool wholeBlock, bool fullRange, uint8_t* cb, uint8_t* cr) {
    const int32_t pb = 886 * s.b - 299 * s.r - 587 * s.g;
    const int32_t pr = 701 * s.r - 587 * s.g - 114 * s.b;
    if (wholeBlock)
        Chroma<uint32_t>(static_cast<uint32_t>(pb), static_cast<uint32_t>(pr), 4, fullRange, cb, cr);
    else
        Chroma<int64_t>(pb, pr, s.n, fullRange, cb, cr);
}

// Row `y` of the picture, counted from the top.
inline const uint8_t* Row(const BitmapRows& rows, int y) {
    return rows.bits + static_cast<ptrdiff_t>(rows.height - 1 - y) * rows.stride;
}

// Inlined into each version of BitmapToYuv420, so that it too is compiled
// for AVX2.
template <bool FullRange, int BytesPerPixel>
[[gnu::always_inline]] inline void ToYuv420(const BitmapRows& rows, Plane y, Plane cb, Plane cr) {
    const int W = rows.width, H = rows.height;
    for (int row = 0; row < H; ++row) {
        const uint8_t* in = Row(rows, row);
        uint8_t* out = y.data + static_cast<ptrdiff_t>(row) * y.lineSize;
        for (int x = 0; x < W; ++x) out[x] = Luma(in + x * BytesPerPixel, FullRange);
    }
    for (int row = 0; row < H; row += 2) {
        const uint8_t* top = Row(rows, row);
        const uint8_t* bottom = row + 1 < H ? Row(rows, row + 1) : nullptr;
        uint8_t* outB = cb.data + static_cast<ptrdiff_t>(row / 2) * cb.lineSize;
        uint8_t* outR = cr.data + static_cast<ptrdiff_t>(row / 2) * cr.lineSize;
        int x = 0;
        if (bottom) {
            for (; x + 1 < W; x += 2) {
                Sums s;
                s.Add(top + x * BytesPerPixel);
                s.Add(top + (x + 1) * BytesPerPixel);
                s.Add(bottom + x * BytesPerPixel);
                s.Add(bottom + (x + 1) * BytesPerPixel);
                Chroma(s, true, FullRange, outB + x / 2, outR + x / 2);
            }
        }
        // A last column or row of odd length: blocks of one or two pixels.
        for (; x < W; x += 2) {
            Sums s;
            for (const uint8_t* line : {top, bottom}) {
                if (!line) continue;
                s.Add(line + x * BytesPerPixel);
                if (x + 1 < W) s.Add(line + (x + 1) * BytesPerPixel);
            }
            Chroma(s, false, FullRange, outB + x / 2, outR + x / 2);
        }
    }
}

}  // namespace

// Compiled twice, for AVX2 and for any x86-64, the CPU choosing at load time.
__attribute__((target_clones("avx2", "default"))) void BitmapToYuv420(const BitmapRows& rows, bool fullRange,
                                                                        Plane y, Plane cb, Plane cr) {
    if (rows.bytesPerPixel == 4) {
        fullRange ? ToYuv420<true, 4>(rows, y, cb, cr) : ToYuv420<false, 4>(rows, y, cb, cr);
    } else {
        fullRange ? ToYuv420<true, 3>(rows, y, cb, cr) : ToYuv420<false, 3>(rows, y, cb, cr);
    }
}

void BitmapToBgr0(const BitmapRows& rows, Plane out) {
    for (int row = 0; row < rows.height; ++row) {
        const uint8_t* in = Row(rows, row);
        uint8_t* to = out.data + static_cast<ptrdiff_t>(row) * out.lineSize;
        for (int x = 0; x < rows.width; ++x, in += rows.bytesPerPixel, to += 4) {
            to[0] = in[0];
            to[1] = in[1];
            to[2] = in[2];
            to[3] = 0;
        }
    }
}

}  // namespace fennix
