#include <gtest/gtest.h>

#include <QImage>
#include <QElapsedTimer>
#include <QImageReader>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "media/ImageFile.h"
#include "media/WmfImage.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

std::string Le16(unsigned v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF)};
}
std::string Le32(unsigned v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}

// One record: its size in 16-bit words, its function, its 16-bit parameters.
std::string Record(unsigned function, std::vector<int> params) {
    std::string bytes = Le32(unsigned(3 + params.size())) + Le16(function);
    for (int p : params) bytes += Le16(unsigned(p));
    return bytes;
}

// A metafile that sets the window and fills (left, top)-(right, bottom) red
// over a black outline; with `inch`, a placeable header boxes the window.
std::string Metafile(int x, int y, int w, int h, std::vector<int> rect, int inch = 0) {
    const std::vector<std::string> records = {
        Record(0x020B, {y, x}),                                // SetWindowOrg
        Record(0x020C, {h, w}),                                // SetWindowExt
        Record(0x02FC, {0, 0x00FF, 0, 0}),                     // CreateBrushIndirect: solid red
        Record(0x012D, {0}),                                   // SelectObject
        Record(0x041B, {rect[3], rect[2], rect[1], rect[0]}),  // Rectangle
        Record(0x0000, {})};                                   // end of file
    std::string body;
    unsigned largest = 0;
    for (const auto& r : records) {
        body += r;
        largest = std::max(largest, unsigned(r.size() / 2));
    }
    std::string file = Le16(1) + Le16(9) + Le16(0x0300) + Le32(unsigned(9 + body.size() / 2)) +
                       Le16(1) + Le32(largest) + Le16(0) + body;
    if (inch == 0) return file;
    const std::vector<unsigned> words = {
        0xCDD7,         0x9AC6, 0, unsigned(x), unsigned(y), unsigned(x + w), unsigned(y + h),
        unsigned(inch), 0,      0};
    std::string head;
    unsigned sum = 0;
    for (unsigned word : words) {
        head += Le16(word);
        sum ^= word & 0xFFFF;
    }
    return head + Le16(sum) + file;
}

constexpr QRgb kRed = 0xFFFF0000, kWhite = 0xFFFFFFFF;

TEST(WmfImage, PlaceableBoxAt96DotsPerInch) {
    test::TestFolder folder;
    test::WriteFile(folder.File("a.wmf"), Metafile(0, 0, 1440, 720, {360, 180, 1080, 540}, 1440));
    const auto image = LoadWmfImage(folder.File("a.wmf"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(96, 48));
    EXPECT_EQ(image->format(), QImage::Format_RGB32);
    EXPECT_EQ(image->pixel(48, 24), kRed);
    EXPECT_EQ(image->pixel(30, 15), kRed);
    EXPECT_EQ(image->pixel(5, 5), kWhite);
    EXPECT_EQ(image->pixel(90, 44), kWhite);
    EXPECT_EQ(image->pixel(48, 5), kWhite);
}

TEST(WmfImage, WithoutPlaceableHeaderTakesTheWindowExtent) {
    test::TestFolder folder;
    test::WriteFile(folder.File("b.wmf"), Metafile(100, 50, 200, 100, {150, 75, 250, 125}));
    const auto image = LoadWmfImage(folder.File("b.wmf"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(200, 100));
    EXPECT_EQ(image->pixel(100, 50), kRed);
    EXPECT_EQ(image->pixel(55, 30), kRed);
    EXPECT_EQ(image->pixel(10, 10), kWhite);
    EXPECT_EQ(image->pixel(190, 90), kWhite);
}

TEST(WmfImage, BadFilesGiveNothing) {
    test::TestFolder folder;
    const std::string good = Metafile(0, 0, 1440, 720, {360, 180, 1080, 540}, 1440);
    test::WriteFile(folder.File("text.wmf"), "this is not a picture at all, only some words");
    test::WriteFile(folder.File("cut.wmf"), good.substr(0, good.size() - 20));
    test::WriteFile(folder.File("huge.wmf"), Metafile(0, 0, 30000, 30000, {0, 0, 9, 9}, 1));
    test::WriteFile(folder.File("empty.wmf"), "");
    for (const char* name : {"text.wmf", "cut.wmf", "huge.wmf", "empty.wmf", "missing.wmf"})
        EXPECT_FALSE(LoadWmfImage(folder.File(name))) << name;
    // Each says why.
    const std::pair<const char*, ImageFailure> reasons[] = {
        {"text.wmf", ImageFailure::CannotDecode}, {"cut.wmf", ImageFailure::CannotDecode},
        {"huge.wmf", ImageFailure::TooLarge},     {"empty.wmf", ImageFailure::CannotDecode},
        {"missing.wmf", ImageFailure::CannotOpen}};
    for (const auto& [name, reason] : reasons) {
        ImageFailure why = ImageFailure::None;
        EXPECT_FALSE(LoadImageFile(folder.File(name), &why));
        EXPECT_EQ(why, reason) << name;
    }
}

TEST(WmfImage, NamesThatAreNotUtf8Render) {
    test::TestFolder folder;
    const std::string name = folder.File("\xE9t\xE9.wmf");
    test::WriteFile(name, Metafile(0, 0, 200, 100, {50, 25, 150, 75}));
    const auto image = LoadImageFile(name);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(200, 100));
    EXPECT_EQ(image->pixel(100, 50), kRed);
}

TEST(WmfImage, PicturesBeyondThePixelBudgetAreRenderedSmaller) {
    // Sizes within the budget stay as they are, whatever their shape.
    for (const QSize natural : {QSize(96, 48), QSize(4096, 4096), QSize(16384, 1), QSize(1, 1)})
        EXPECT_EQ(WmfRenderSize(natural), natural);
    // Beyond it: the aspect kept, the budget nearly filled but never passed.
    for (const QSize natural : {QSize(16384, 16384), QSize(16384, 8192), QSize(4097, 4096),
                                QSize(16384, 2000), QSize(9000, 16384)}) {
        SCOPED_TRACE(natural.width());
        const QSize size = WmfRenderSize(natural);
        const int64_t pixels = int64_t{size.width()} * size.height();
        EXPECT_LE(pixels, kWmfPixelBudget);
        EXPECT_GT(pixels, kWmfPixelBudget * 99 / 100);
        EXPECT_NEAR(double(size.width()) / size.height(),
                    double(natural.width()) / natural.height(), 0.002 * natural.width() /
                                                                    natural.height());
    }
    EXPECT_EQ(WmfRenderSize(QSize(16384, 16384)), QSize(4096, 4096));
}

TEST(WmfImage, AFewBytesAskingFor16384SquaredRenderWithinTheBudget) {
    // A placeable metafile of about a hundred bytes whose frame is 16384
    // pixels square at 96 dots per inch, a red rectangle over its middle
    // half. At its natural size it would take a gigabyte to render.
    test::TestFolder folder;
    const std::string bomb = Metafile(0, 0, 16384, 16384, {4096, 4096, 12288, 12288}, 96);
    ASSERT_LT(bomb.size(), 400u);
    test::WriteFile(folder.File("bomb.wmf"), bomb);
    ImageFailure why = ImageFailure::CannotOpen;
    const auto image = LoadWmfImage(folder.File("bomb.wmf"), &why);
    ASSERT_TRUE(image);
    EXPECT_EQ(why, ImageFailure::None);
    EXPECT_EQ(image->size(), QSize(4096, 4096));
    // The drawing is scaled with the frame: red in the middle, white around.
    EXPECT_EQ(image->pixel(2048, 2048), kRed);
    EXPECT_EQ(image->pixel(1100, 1100), kRed);
    EXPECT_EQ(image->pixel(2990, 2990), kRed);
    EXPECT_EQ(image->pixel(900, 900), kWhite);
    EXPECT_EQ(image->pixel(3200, 3200), kWhite);
    EXPECT_EQ(image->pixel(2048, 100), kWhite);

    // An oblong one keeps its shape.
    test::WriteFile(folder.File("wide.wmf"),
                    Metafile(0, 0, 16384, 4096, {0, 0, 8192, 4096}, 96));
    const auto wide = LoadImageFile(folder.File("wide.wmf"));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->size(), WmfRenderSize(QSize(16384, 4096)));
    EXPECT_EQ(wide->size(), QSize(8192, 2048));
    EXPECT_EQ(wide->pixel(2000, 1000), kRed);
    EXPECT_EQ(wide->pixel(6000, 1000), kWhite);
}

// The header's largest record sizes libwmf's record buffer before any
// record is read: one larger than the file is refused before libwmf sees it.
TEST(WmfImage, LargestRecordBeyondTheFileGivesNothing) {
    test::TestFolder folder;
    const std::string good = Metafile(100, 50, 200, 100, {150, 75, 250, 125});
    const std::string placeable = Metafile(0, 0, 1440, 720, {360, 180, 1080, 540}, 1440);
    for (const auto& [file, start] : {std::pair{good, 0}, std::pair{placeable, 22}}) {
        std::string huge = file;
        huge.replace(start + 12, 4, Le32(0x4AFFFFFF));
        test::WriteFile(folder.File("huge.wmf"), huge);
        EXPECT_FALSE(LoadWmfImage(folder.File("huge.wmf")));
        std::string fits = file;
        fits.replace(start + 12, 4, Le32(unsigned(file.size() - start) / 2));
        test::WriteFile(folder.File("fits.wmf"), fits);
        EXPECT_TRUE(LoadWmfImage(folder.File("fits.wmf")));
    }
}

// A 200 × 100 metafile (window extent, no placeable header) that writes
// "Hi" at (20, 20) in Helvetica of the given font height.
std::string TextMetafile(int height) {
    std::vector<int> font = {height, 0, 0, 0, 400, 0, 0, 0};
    const std::string face("Helvetica\0", 10);
    for (size_t i = 0; i < face.size(); i += 2)
        font.push_back(quint8(face[i]) | (quint8(face[i + 1]) << 8));
    const std::vector<std::string> records = {Record(0x020B, {0, 0}),      // SetWindowOrg
                                              Record(0x020C, {100, 200}),  // SetWindowExt
                                              Record(0x02FB, font),        // CreateFontIndirect
                                              Record(0x012D, {0}),         // SelectObject
                                              Record(0x0521, {2, 0x6948, 20, 20}),  // TextOut "Hi"
                                              Record(0x0000, {})};                  // end of file
    std::string body;
    unsigned largest = 0;
    for (const auto& r : records) {
        body += r;
        largest = std::max(largest, unsigned(r.size() / 2));
    }
    return Le16(1) + Le16(9) + Le16(0x0300) + Le32(unsigned(9 + body.size() / 2)) + Le16(1) +
           Le32(largest) + Le16(0) + body;
}

// A font height of 0 asks for the default size; libwmf never finishes such
// text, so it is drawn 12 pixels high instead.
TEST(WmfImage, FontHeightZeroDrawsTwelvePixelText) {
    test::TestFolder folder;
    test::WriteFile(folder.File("zero.wmf"), TextMetafile(0));
    test::WriteFile(folder.File("twelve.wmf"), TextMetafile(-12));
    const auto zero = LoadWmfImage(folder.File("zero.wmf"));
    const auto twelve = LoadWmfImage(folder.File("twelve.wmf"));
    ASSERT_TRUE(zero);
    ASSERT_TRUE(twelve);
    EXPECT_EQ(*zero, *twelve);
    int dark = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) dark += qGray(zero->pixel(x, y)) < 128;
    EXPECT_GT(dark, 10);
}

// The parameters of a pattern brush record holding a 2 × 2 24-bit red
// bitmap whose header states the given width and height.
std::vector<int> PatternBrush(int width, int height) {
    std::string dib = Le32(40) + Le32(unsigned(width)) + Le32(unsigned(height)) + Le16(1) +
                      Le16(24) + Le32(0) + Le32(16) + Le32(0) + Le32(0) + Le32(0) + Le32(0);
    for (int row = 0; row < 2; ++row) dib += std::string("\x00\x00\xff\x00\x00\xff\x00\x00", 8);
    std::vector<int> params = {5, 0};  // a bitmap pattern, RGB colours
    for (size_t i = 0; i < dib.size(); i += 2)
        params.push_back(quint8(dib[i]) | (quint8(dib[i + 1]) << 8));
    return params;
}

// A 200 × 100 metafile that fills a rectangle with the pattern brush.
std::string PatternMetafile(const std::vector<int>& params) {
    const std::vector<std::string> records = {Record(0x020B, {0, 0}),      // SetWindowOrg
                                              Record(0x020C, {100, 200}),  // SetWindowExt
                                              Record(0x0142, params),      // DibCreatePatternBrush
                                              Record(0x012D, {0}),         // SelectObject
                                              Record(0x041B, {80, 160, 20, 40}),  // Rectangle
                                              Record(0x0000, {})};                // end of file
    std::string body;
    unsigned largest = 0;
    for (const auto& r : records) {
        body += r;
        largest = std::max(largest, unsigned(r.size() / 2));
    }
    return Le16(1) + Le16(9) + Le16(0x0300) + Le32(unsigned(9 + body.size() / 2)) + Le16(1) +
           Le32(largest) + Le16(0) + body;
}

// libwmf sizes a bitmap by its header before reading the pixels: a bitmap
// whose header claims more than its record holds refuses the picture.
TEST(WmfImage, BitmapLargerThanItsRecordGivesNothing) {
    test::TestFolder folder;
    test::WriteFile(folder.File("pattern.wmf"), PatternMetafile(PatternBrush(2, 2)));
    const auto image = LoadWmfImage(folder.File("pattern.wmf"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixel(100, 50), kRed);
    EXPECT_EQ(image->pixel(10, 10), kWhite);
    for (const auto& [width, height] :
         {std::pair{30000, 30000}, std::pair{2, 3}, std::pair{0, 2}, std::pair{2, -70000}}) {
        test::WriteFile(folder.File("claim.wmf"), PatternMetafile(PatternBrush(width, height)));
        EXPECT_FALSE(LoadWmfImage(folder.File("claim.wmf"))) << width << "x" << height;
    }
    // A colour table of 3.4 billion entries (10 GB), and a depth of 23 bits.
    std::vector<int> colours = PatternBrush(2, 2);
    colours[18] = colours[19] = 0xCACA;
    test::WriteFile(folder.File("colours.wmf"), PatternMetafile(colours));
    EXPECT_FALSE(LoadWmfImage(folder.File("colours.wmf")));
    std::vector<int> depth = PatternBrush(2, 2);
    depth[9] = 23;
    test::WriteFile(folder.File("depth.wmf"), PatternMetafile(depth));
    EXPECT_FALSE(LoadWmfImage(folder.File("depth.wmf")));
    // A record too short for the header it starts (libwmf asked for 12 GB).
    std::vector<int> cut = PatternBrush(2, 2);
    cut.resize(12);
    cut[2] = cut[3] = 0xFFFF;
    test::WriteFile(folder.File("cut.wmf"), PatternMetafile(cut));
    EXPECT_FALSE(LoadWmfImage(folder.File("cut.wmf")));
}

// A picture QImage would refuse for its allocation limit is not rendered.
TEST(WmfImage, PictureBeyondTheImageAllocationLimitGivesNothing) {
    test::TestFolder folder;
    const int saved = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);  // 1 MB: below 512 × 512 pixels of 32 bits
    test::WriteFile(folder.File("fits.wmf"), Metafile(0, 0, 511, 511, {10, 10, 200, 200}));
    test::WriteFile(folder.File("big.wmf"), Metafile(0, 0, 512, 512, {10, 10, 200, 200}));
    const auto fits = LoadWmfImage(folder.File("fits.wmf"));
    const auto big = LoadWmfImage(folder.File("big.wmf"));
    QImageReader::setAllocationLimit(saved);
    ASSERT_TRUE(fits);
    EXPECT_EQ(fits->size(), QSize(511, 511));
    EXPECT_FALSE(big);
}

TEST(WmfImage, ImageFileRendersWmfInAnyLetterCase) {
    test::TestFolder folder;
    test::WriteFile(folder.File("X.WMF"), Metafile(0, 0, 200, 100, {50, 25, 150, 75}));
    const auto image = LoadImageFile(folder.File("X.WMF"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(200, 100));
    EXPECT_EQ(image->pixel(100, 50), kRed);
    EXPECT_EQ(*image, *LoadWmfImage(folder.File("X.WMF")));
}

// A w × h drawing (window extent, no placeable header) of `count` red
// rectangles over the whole window.
std::string Rectangles(int w, int h, int64_t count) {
    std::string body = Record(0x020C, {h, w}) + Record(0x02FC, {0, 0x00FF, 0, 0}) +
                       Record(0x012D, {0});
    const std::string rectangle = Record(0x041B, {h, w, 0, 0});
    body.reserve(body.size() + rectangle.size() * size_t(count) + 6);
    for (int64_t k = 0; k < count; ++k) body += rectangle;
    body += Record(0x0000, {});
    return Le16(1) + Le16(9) + Le16(0x0300) + Le32(unsigned(9 + body.size() / 2)) + Le16(1) +
           Le32(7) + Le16(0) + body;
}

// Drawings beyond the record or the time budget are refused quickly, with
// their own reason; a drawing within both renders.
TEST(WmfImage, RecordAndTimeBudgets) {
    test::TestFolder folder;
    struct Case {
        const char* name;
        int side;
        int64_t rectangles;  // three set-up records come first
        ImageFailure expected;
    };
    const Case cases[] = {
        {"within.wmf", 64, 1000, ImageFailure::None},
        // Refused by their count, before anything is drawn.
        {"one-record-over.wmf", 64, kWmfRecordBudget - 2, ImageFailure::TooComplex},
        {"million-records.wmf", 64, 1'500'000, ImageFailure::TooComplex},
        // A few thousand fills of 16 megapixels each: about a minute of drawing.
        {"slow.wmf", 4096, 5000, ImageFailure::TooComplex},
    };
    for (const Case& c : cases) {
        const std::string path = folder.File(c.name);
        test::WriteFile(path, Rectangles(c.side, c.side, c.rectangles));
        QElapsedTimer clock;
        clock.start();
        ImageFailure why = ImageFailure::None;
        const auto image = LoadImageFile(path, &why);
        const qint64 elapsed = clock.elapsed();
        EXPECT_EQ(why, c.expected) << c.name;
        EXPECT_EQ(image.has_value(), c.expected == ImageFailure::None) << c.name;
        if (image) {
            EXPECT_EQ(image->pixel(10, 10), kRed) << c.name;
        }
        // Refusing takes a fraction of a second; the bound is generous for
        // a busy machine and a sanitizer build.
        if (!image) {
            EXPECT_LT(elapsed, 5000) << c.name;
        }
    }
    EXPECT_STREQ(ImageFailureReason(ImageFailure::TooComplex),
                 "図形の数が多すぎるか、描画に時間がかかりすぎます。");
}

}  // namespace
}  // namespace fennix
