#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "media/FramePixels.h"

namespace fennix {
namespace {

// A bottom-up 24-bit bitmap of w × h pixels, rows padded to four bytes
// with a byte that must never show.
struct Bitmap {
    int w, h, stride;
    std::vector<uint8_t> bits;
    Bitmap(int width, int height) : w(width), h(height), stride((width * 3 + 3) / 4 * 4) {
        bits.assign(static_cast<size_t>(stride) * h, 0xEE);
    }
    // Pixel (x, y), y counted from the top.
    void Set(int x, int y, int r, int g, int b) {
        uint8_t* p = bits.data() + static_cast<size_t>(h - 1 - y) * stride + x * 3;
        p[0] = static_cast<uint8_t>(b);
        p[1] = static_cast<uint8_t>(g);
        p[2] = static_cast<uint8_t>(r);
    }
    BitmapRows Rows() const { return {bits.data(), w, h, 3, stride}; }
};

struct Yuv {
    int y, cb, cr;
    bool operator==(const Yuv&) const = default;
};

// The 4:2:0 planes of a bitmap; planes wider than needed, as an encoder's are.
struct Planes {
    std::vector<uint8_t> y, cb, cr;
    int lineY, lineC;
    Planes(const Bitmap& b, bool fullRange) : lineY(b.w + 7), lineC(b.w / 2 + 5) {
        y.assign(static_cast<size_t>(lineY) * b.h, 0);
        cb.assign(static_cast<size_t>(lineC) * ((b.h + 1) / 2), 0);
        cr = cb;
        BitmapToYuv420(b.Rows(), fullRange, {y.data(), lineY}, {cb.data(), lineC}, {cr.data(), lineC});
    }
    Yuv At(int x, int yy) const {
        return {y[static_cast<size_t>(yy) * lineY + x], cb[static_cast<size_t>(yy / 2) * lineC + x / 2],
                cr[static_cast<size_t>(yy / 2) * lineC + x / 2]};
    }
};

Yuv Solid(int r, int g, int b, bool fullRange) {
    Bitmap bitmap(2, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) bitmap.Set(x, y, r, g, b);
    return Planes(bitmap, fullRange).At(0, 0);
}

// The familiar BT.601 values of the primaries, in studio and in full range.
TEST(FramePixelsTest, PrimariesGetTheirBt601Values) {
    EXPECT_EQ(Solid(0, 0, 0, false), (Yuv{16, 128, 128}));
    EXPECT_EQ(Solid(255, 255, 255, false), (Yuv{235, 128, 128}));
    EXPECT_EQ(Solid(255, 0, 0, false), (Yuv{81, 90, 240}));
    EXPECT_EQ(Solid(0, 255, 0, false), (Yuv{145, 54, 34}));
    EXPECT_EQ(Solid(0, 0, 255, false), (Yuv{41, 240, 110}));
    EXPECT_EQ(Solid(0, 0, 0, true), (Yuv{0, 128, 128}));
    EXPECT_EQ(Solid(255, 255, 255, true), (Yuv{255, 128, 128}));
    EXPECT_EQ(Solid(255, 0, 0, true), (Yuv{76, 85, 255}));
    EXPECT_EQ(Solid(0, 0, 255, true), (Yuv{29, 255, 107}));  // Cb 255.5 stays 255
    // Exact fractions: grey 1 is exactly 1, 128, 128; (0, 12, 4) has Y
    // exactly 7.5, a tie that goes up.
    EXPECT_EQ(Solid(1, 1, 1, true), (Yuv{1, 128, 128}));
    EXPECT_EQ(Solid(0, 12, 4, true).y, 8);
}

// Each chroma sample is the block's mean colour; at an odd right or bottom
// edge the block is smaller. Row padding never shows.
TEST(FramePixelsTest, ChromaComesFromTheBlocksMeanColour) {
    Bitmap bitmap(3, 3);
    const std::array<std::array<int, 3>, 9> colours = {{{255, 0, 0}, {0, 0, 255}, {0, 255, 0},
                                                        {0, 0, 0}, {255, 255, 255}, {0, 255, 0},
                                                        {0, 0, 255}, {0, 0, 255}, {255, 0, 0}}};
    for (int i = 0; i < 9; ++i) bitmap.Set(i % 3, i / 3, colours[i][0], colours[i][1], colours[i][2]);
    const Planes planes(bitmap, false);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(planes.At(i % 3, i / 3).y, Solid(colours[i][0], colours[i][1], colours[i][2], false).y);
    // Top left: red, blue, black and white, the mean (127.5, 63.75, 127.5):
    // Cb = 128 + 224 / 255 · (0.886 B − 0.299 R − 0.587 G) / 1.772 = 147.28,
    // Cr = 128 + 224 / 255 · (0.701 R − 0.587 G − 0.114 B) / 1.402 = 150.68.
    EXPECT_EQ(planes.At(0, 0).cb, 147);
    EXPECT_EQ(planes.At(0, 0).cr, 151);
    EXPECT_EQ(planes.At(2, 0).cb, 54);   // two green pixels: green's own chroma
    EXPECT_EQ(planes.At(2, 0).cr, 34);
    EXPECT_EQ(planes.At(0, 2).cb, 240);  // two blue pixels
    EXPECT_EQ(planes.At(2, 2).cr, 240);  // one red pixel
    EXPECT_EQ(planes.At(2, 2).cb, 90);
}

TEST(FramePixelsTest, Bgr0KeepsTheBytesTopRowFirst) {
    Bitmap bitmap(3, 2);
    bitmap.Set(0, 0, 1, 2, 3);
    bitmap.Set(2, 1, 250, 251, 252);
    std::vector<uint8_t> out(2 * 16, 0x55);
    BitmapToBgr0(bitmap.Rows(), {out.data(), 16});
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 12),
              (std::vector<uint8_t>{3, 2, 1, 0, 0xEE, 0xEE, 0xEE, 0, 0xEE, 0xEE, 0xEE, 0}));
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 24, out.begin() + 28), (std::vector<uint8_t>{252, 251, 250, 0}));
    EXPECT_EQ(out[12], 0x55);  // beyond the row: untouched
}

}  // namespace
}  // namespace fennix
