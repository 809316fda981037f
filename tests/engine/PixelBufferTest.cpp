#include <gtest/gtest.h>

#include "engine/PixelBuffer.h"

namespace fennix {
namespace {

// A pane of odd size whose pixel (x, y) has red x, green y, blue x + y.
PicturePane PatternPane(int width, int height) {
    PicturePane pane;
    pane.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pane.Layer().setPixel(x, y, qRgb(x, y, x + y));
    return pane;
}

TEST(PixelBufferTest, CaptureFillsHeaderAndTopDownBlueGreenRedBytes) {
    const PicturePane pane = PatternPane(7, 5);
    PixelBuffer buffer;
    buffer.Bits.assign(3, 9);  // stale contents are replaced
    CaptureBits(pane, buffer);

    const BitmapInfoHeader& h = buffer.Header;
    EXPECT_EQ(h.biSize, 40);
    EXPECT_EQ(h.biWidth, 7);
    EXPECT_EQ(h.biHeight, -5);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 32);
    EXPECT_EQ(h.biCompression, 0);
    EXPECT_EQ(h.biSizeImage, 0);
    EXPECT_EQ(buffer.Width(), 7);
    EXPECT_EQ(buffer.Height(), 5);
    ASSERT_EQ(buffer.Bits.size(), 7u * 5u * 4u);

    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            const size_t at = (static_cast<size_t>(y) * 7 + x) * 4;
            EXPECT_EQ(buffer.Bits[at + 0], x + y) << x << "," << y;  // blue
            EXPECT_EQ(buffer.Bits[at + 1], y);
            EXPECT_EQ(buffer.Bits[at + 2], x);  // red
            EXPECT_EQ(buffer.Bits[at + 3], 0xFF);
        }
    }
}

TEST(PixelBufferTest, CaptureOfAnEmptyPaneGivesNoPixels) {
    PicturePane pane;
    PixelBuffer buffer;
    CaptureBits(pane, buffer);
    EXPECT_EQ(buffer.Width(), 0);
    EXPECT_EQ(buffer.Height(), 0);
    EXPECT_TRUE(buffer.Bits.empty());
}

TEST(PixelBufferTest, StoreWritesTheBufferBackIntoTheLayer) {
    PicturePane pane = PatternPane(9, 4);
    PixelBuffer buffer;
    CaptureBits(pane, buffer);
    // Pixel (8, 3), the last one: blue 1, green 2, red 3.
    const size_t last = buffer.Bits.size() - 4;
    buffer.Bits[last] = 1;
    buffer.Bits[last + 1] = 2;
    buffer.Bits[last + 2] = 3;

    ASSERT_TRUE(StoreBits(pane, buffer));
    EXPECT_EQ(pane.Layer().pixel(8, 3), qRgb(3, 2, 1));
    EXPECT_EQ(pane.Layer().pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(pane.Layer().pixel(5, 2), qRgb(5, 2, 7));

    PixelBuffer again;
    CaptureBits(pane, again);
    EXPECT_EQ(again.Bits, buffer.Bits);
}

TEST(PixelBufferTest, StoreOfAnotherSizeLeavesTheLayer) {
    PicturePane pane = PatternPane(6, 6);
    const QImage before = pane.Layer().copy();
    PixelBuffer other;
    CaptureBits(PatternPane(6, 5), other);
    EXPECT_FALSE(StoreBits(pane, other));

    PixelBuffer shortBits;
    CaptureBits(pane, shortBits);
    shortBits.Bits.resize(10);
    EXPECT_FALSE(StoreBits(pane, shortBits));
    EXPECT_EQ(pane.Layer(), before);
}

TEST(PixelBufferTest, ReleaseKeepsOnePixel) {
    PixelBuffer buffer;
    CaptureBits(PatternPane(64, 64), buffer);
    ReleaseBits(buffer);
    EXPECT_EQ(buffer.Bits.size(), 4u);
    EXPECT_LE(buffer.Bits.capacity(), 16u);
}

}  // namespace
}  // namespace fennix
