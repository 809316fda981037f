#pragma once

#include <cstdint>
#include <vector>

#include "media/PicturePane.h"

namespace fennix {

// The header of a 32-bit top-down bitmap, in the field order of the Windows
// BITMAPINFOHEADER.
struct BitmapInfoHeader {
    int32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;  // −H: rows are stored top row first
    int16_t biPlanes = 1;
    int16_t biBitCount = 32;
    int32_t biCompression = 0;  // uncompressed RGB
    int32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    int32_t biClrUsed = 0;
    int32_t biClrImportant = 0;
};

// The pixels of one image: W·H pixels of 4 bytes (blue, green, red,
// reserved), top row first. Channel c of pixel (x, y) is the byte at
// (y·W + x)·4 + c.
struct PixelBuffer {
    BitmapInfoHeader Header;
    std::vector<uint8_t> Bits;

    int Width() const { return Header.biWidth; }
    int Height() const { return -Header.biHeight; }
};

// Re-dimensions `buffer` to the pane's layer and copies the layer's pixels
// in, with a fresh header. An empty layer gives a 0 × 0 buffer without bits.
void CaptureBits(const PicturePane& pane, PixelBuffer& buffer);

// Overwrites the pane's layer with the buffer's pixels. Returns false and
// leaves the layer as it was when the sizes differ or the bits are short.
bool StoreBits(PicturePane& pane, const PixelBuffer& buffer);

// Shrinks the buffer's bits to a single pixel (4 bytes), releasing the
// memory. The header is left as it was.
void ReleaseBits(PixelBuffer& buffer);

}  // namespace fennix
