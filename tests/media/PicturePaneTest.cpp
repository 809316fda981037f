#include <gtest/gtest.h>

#include <QImage>

#include "media/ImageFile.h"
#include "media/PackedColor.h"
#include "media/PicturePane.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

QImage Checker(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, ((x + y) % 2) ? 0xFF102030 : 0xFFC0B0A0);
    return image;
}

TEST(PackedColor, RedIsTheLowestByte) {
    EXPECT_EQ(ColorFromPacked(255), QColor(255, 0, 0));
    EXPECT_EQ(ColorFromPacked(16777215), QColor(255, 255, 255));
    EXPECT_EQ(PackedFromColor(QColor(1, 2, 3)), 0x030201);
    EXPECT_EQ(PixelFromPacked(0x030201), 0xFF010203u);
}

TEST(ImageFile, DecodesBmpDibJpegGifAndRejectsOthers) {
    test::TestFolder folder;
    const QImage image = Checker(7, 5);
    ASSERT_TRUE(image.save(QString::fromStdString(folder.File("a.bmp")), "BMP"));
    ASSERT_TRUE(image.save(QString::fromStdString(folder.File("b.dib")), "BMP"));
    ASSERT_TRUE(image.save(QString::fromStdString(folder.File("c.jpg")), "JPEG"));
    ASSERT_TRUE(image.save(QString::fromStdString(folder.File("d.gif")), "GIF") ||
                image.save(QString::fromStdString(folder.File("d.gif")), "PNG"));
    for (const char* name : {"a.bmp", "b.dib", "c.jpg", "d.gif"}) {
        const auto loaded = LoadImageFile(folder.File(name));
        ASSERT_TRUE(loaded) << name;
        EXPECT_EQ(loaded->size(), QSize(7, 5)) << name;
    }
    EXPECT_EQ(LoadImageFile(folder.File("a.bmp"))->pixel(1, 0), image.pixel(1, 0));

    test::WriteFile(folder.File("text.bmp"), "this is not a picture");
    EXPECT_FALSE(LoadImageFile(folder.File("text.bmp")));
    EXPECT_FALSE(LoadImageFile(folder.File("missing.bmp")));
}

TEST(PicturePane, LayerStartsAsThePictureAndClsRestoresIt) {
    PicturePane pane;
    pane.SetPicture(Checker(20, 10));
    EXPECT_EQ(pane.Width(), 20);
    EXPECT_EQ(pane.Height(), 10);
    const QRgb before = pane.Layer().pixel(5, 5);
    pane.FillEllipse(0, 0, 19, 9, 255);
    EXPECT_EQ(pane.Layer().pixel(10, 5), 0xFFFF0000u);
    pane.Cls();
    EXPECT_EQ(pane.Layer().pixel(5, 5), before);
}

TEST(PicturePane, WithoutPictureClsFillsTheBackColour) {
    PicturePane pane;
    pane.SetBackColor(0x00FF00);
    pane.SetSize(4, 3);
    EXPECT_EQ(pane.Layer().pixel(3, 2), 0xFF00FF00u);
    pane.DrawLine(0, 0, 3, 0, 0xFF0000);
    EXPECT_EQ(pane.Layer().pixel(2, 0), 0xFF0000FFu);
    pane.Cls();
    EXPECT_EQ(pane.Layer().pixel(2, 0), 0xFF00FF00u);
}

TEST(PicturePane, EllipseStaysInsideItsInclusiveBox) {
    PicturePane pane;
    pane.SetBackColor(0);
    pane.SetSize(30, 30);
    pane.FillEllipse(10, 10, 20, 20, 16777215);  // radius 5 around (15, 15)
    EXPECT_EQ(pane.Layer().pixel(15, 15), 0xFFFFFFFFu);
    EXPECT_EQ(pane.Layer().pixel(10, 15), 0xFFFFFFFFu);
    EXPECT_EQ(pane.Layer().pixel(15, 10), 0xFFFFFFFFu);
    EXPECT_EQ(pane.Layer().pixel(9, 15), 0xFF000000u);
    EXPECT_EQ(pane.Layer().pixel(21, 15), 0xFF000000u);
    EXPECT_EQ(pane.Layer().pixel(10, 10), 0xFF000000u);
}

TEST(PicturePane, SavesTheLayerAsBitmapAndNotifiesOnRefresh) {
    test::TestFolder folder;
    PicturePane pane;
    pane.SetPicture(Checker(6, 4));
    pane.FillPolygon({{0, 0}, {5, 0}, {5, 3}}, 0x0000FF);
    int changes = 0;
    pane.SetChangedHandler([&] { ++changes; });
    pane.Refresh();
    pane.Move(3, 4);
    EXPECT_EQ(changes, 2);

    ASSERT_TRUE(pane.SaveBitmap(folder.File("out.bmp")));
    const auto loaded = LoadImageFile(folder.File("out.bmp"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, pane.Layer());
    EXPECT_FALSE(pane.SaveBitmap(folder.File("missing/out.bmp")));
}

TEST(PicturePane, FailedLoadLeavesThePaneUnchanged) {
    test::TestFolder folder;
    PicturePane pane;
    pane.SetPicture(Checker(6, 4));
    test::WriteFile(folder.File("bad.jpg"), "garbage");
    EXPECT_FALSE(pane.LoadPicture(folder.File("bad.jpg")));
    EXPECT_EQ(pane.Width(), 6);
    EXPECT_TRUE(pane.LoadPicture(test::SamplePath("sun.bmp")));
    EXPECT_EQ(pane.Width(), 320);
    EXPECT_EQ(pane.Height(), 240);
}

}  // namespace
}  // namespace fennix

namespace fennix {
namespace {

// A picture is held once: the layer shares it until something is drawn, and
// Cls goes back to sharing it.
TEST(PicturePaneSharing, LayerSharesThePictureUntilDrawnOn) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(0xFF102030);
    PicturePane pane, other;
    pane.SetPicture(image);
    other.SetPicture(pane.Picture());
    EXPECT_EQ(pane.Layer().constBits(), image.constBits());
    EXPECT_EQ(other.Picture().constBits(), image.constBits());

    pane.DrawLine(0, 0, 63, 0, 0xFFFFFF);
    EXPECT_NE(pane.Layer().constBits(), image.constBits());
    EXPECT_EQ(pane.Layer().pixel(10, 0), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(10, 0), 0xFF102030u);  // the picture is untouched

    // A part put back is the picture's again there, and only there.
    pane.DrawLine(0, 10, 63, 10, 0xFFFFFF);
    pane.ClsArea(QRegion(0, 0, 20, 5));
    EXPECT_EQ(pane.Layer().pixel(10, 0), 0xFF102030u);
    EXPECT_EQ(pane.Layer().pixel(30, 0), 0xFFFFFFFFu);
    EXPECT_EQ(pane.Layer().pixel(10, 10), 0xFFFFFFFFu);
    pane.Cls();
    EXPECT_EQ(pane.Layer().constBits(), image.constBits());
}

TEST(FitSize, ShrinksToTheBoxKeepingProportions) {
    EXPECT_EQ(FitSize(300, 300, 300, 300), QSize(300, 300));
    EXPECT_EQ(FitSize(200, 100, 300, 300), QSize(200, 100));
    EXPECT_EQ(FitSize(640, 480, 300, 300), QSize(300, 225));
    EXPECT_EQ(FitSize(480, 640, 300, 300), QSize(225, 300));
    EXPECT_EQ(FitSize(6000, 4000, 300, 300), QSize(300, 200));
    EXPECT_EQ(FitSize(301, 3, 300, 300), QSize(300, 3));   // 2.99 → 3
    EXPECT_EQ(FitSize(6000, 10, 300, 300), QSize(300, 1));  // never below 1
}

}  // namespace
}  // namespace fennix
