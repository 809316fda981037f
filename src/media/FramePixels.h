#pragma once

// The pixel formats the AVI writer feeds its encoders, made from the rows of
// a 24- or 32-bit bitmap without going through a general scaler.

#include <cstdint>

namespace fennix {

// Bitmap rows as a frame file holds them: blue, green, red (and a fourth
// byte at 32 bits) per pixel, `stride` bytes a row, the bottom row first.
struct BitmapRows {
    const uint8_t* bits;
    int width, height;
    int bytesPerPixel;  // 3 or 4
    int stride;
};

// One plane of the encoder's frame: top row first, `lineSize` bytes a row.
struct Plane {
    uint8_t* data;
    int lineSize;
};

// 4:2:0 luma and chroma by ITU-R BT.601: Y' = 0.299 R + 0.587 G + 0.114 B,
// Cb = (B − Y') / 1.772, Cr = (R − Y') / 1.402. `fullRange` false: studio
// range (Y 16 … 235, Cb and Cr 16 … 240 around 128); true: the full range
// of JPEG (0 … 255). Each chroma sample stands for a 2 × 2 block (fewer at
// an odd right or bottom edge) and is computed from the block's mean R, G,
// B. Every value is the exact result of the formula, rounded to the
// nearest integer, halves up.
void BitmapToYuv420(const BitmapRows& rows, bool fullRange, Plane y, Plane cb, Plane cr);

// Blue, green, red and a zero byte per pixel, top row first.
void BitmapToBgr0(const BitmapRows& rows, Plane out);

}  // namespace fennix
