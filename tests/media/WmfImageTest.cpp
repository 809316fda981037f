#include <gtest/gtest.h>

#include <QImage>
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
        {"text.wmf", ImageFailure::CannotDecode},
        {"cut.wmf", ImageFailure::CannotDecode},
        {"huge.wmf", ImageFailure::TooLarge},
        {"empty.wmf", ImageFailure::CannotDecode},
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
                    double(natural.width()) / natural.height(),
                    0.002 * natural.width() / natural.height());
    }
    EXPECT_EQ(WmfRenderSize(QSize(16384, 16384)), QSize(4096, 4096));
}

TEST(WmfImage, AFewBytesAskingFor16384SquaredRenderWithinTheBudget) {
    // A placeable metafile of about a hundred bytes whose frame is 16384
    // pixels square at 96 dots per inch, a red rectangle over its middle
    // half. At its natural size it would take a gigabyte to render; it is
    // rendered at the pixel budget's size (here a budget of 256 × 256, so
    // that the test draws little; the default one is WmfRenderSize's).
    test::TestFolder folder;
    const std::string bomb = Metafile(0, 0, 16384, 16384, {4096, 4096, 12288, 12288}, 96);
    ASSERT_LT(bomb.size(), 400u);
    test::WriteFile(folder.File("bomb.wmf"), bomb);
    WmfLimits limits;
    limits.pixels = 256 * 256;
    ImageFailure why = ImageFailure::CannotOpen;
    const auto image = LoadWmfImage(folder.File("bomb.wmf"), &why, limits);
    ASSERT_TRUE(image);
    EXPECT_EQ(why, ImageFailure::None);
    EXPECT_EQ(image->size(), QSize(256, 256));
    EXPECT_EQ(image->size(), WmfRenderSize(QSize(16384, 16384), limits.pixels));
    // The drawing is scaled with the frame: red in the middle, white around.
    EXPECT_EQ(image->pixel(128, 128), kRed);
    EXPECT_EQ(image->pixel(69, 69), kRed);
    EXPECT_EQ(image->pixel(186, 186), kRed);
    EXPECT_EQ(image->pixel(56, 56), kWhite);
    EXPECT_EQ(image->pixel(200, 200), kWhite);
    EXPECT_EQ(image->pixel(128, 6), kWhite);

    // An oblong one keeps its shape.
    test::WriteFile(folder.File("wide.wmf"), Metafile(0, 0, 16384, 4096, {0, 0, 8192, 4096}, 96));
    const auto wide = LoadWmfImage(folder.File("wide.wmf"), nullptr, limits);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->size(), WmfRenderSize(QSize(16384, 4096), limits.pixels));
    EXPECT_EQ(wide->size(), QSize(512, 128));
    EXPECT_EQ(wide->pixel(125, 62), kRed);
    EXPECT_EQ(wide->pixel(375, 62), kWhite);
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
    std::string body =
        Record(0x020C, {h, w}) + Record(0x02FC, {0, 0x00FF, 0, 0}) + Record(0x012D, {0});
    const std::string rectangle = Record(0x041B, {h, w, 0, 0});
    body.reserve(body.size() + rectangle.size() * size_t(count) + 6);
    for (int64_t k = 0; k < count; ++k) body += rectangle;
    body += Record(0x0000, {});
    return Le16(1) + Le16(9) + Le16(0x0300) + Le32(unsigned(9 + body.size() / 2)) + Le16(1) +
           Le32(7) + Le16(0) + body;
}

// Drawings beyond the record or the work budget are refused, with their own
// reason, after at most the budget's work; a drawing within both renders.
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
        // A few thousand fills of 16 megapixels each: about a minute of
        // drawing, refused when the next fill would pass the work budget.
        {"slow.wmf", 4096, 5000, ImageFailure::TooComplex},
    };
    for (const Case& c : cases) {
        const std::string path = folder.File(c.name);
        test::WriteFile(path, Rectangles(c.side, c.side, c.rectangles));
        ImageFailure why = ImageFailure::None;
        int64_t work = -1;
        const auto image = LoadWmfImage(path, &why, {}, &work);
        EXPECT_EQ(why, c.expected) << c.name;
        EXPECT_EQ(image.has_value(), c.expected == ImageFailure::None) << c.name;
        EXPECT_LE(work, kWmfWorkBudget) << c.name;
        if (image) {
            EXPECT_EQ(image->pixel(10, 10), kRed) << c.name;
        }
    }
    EXPECT_STREQ(ImageFailureReason(ImageFailure::TooComplex),
                 "図形の数が多すぎるか、描画に時間がかかりすぎます。");
}

// A metafile (window extent, no placeable header) of the given records
// after SetWindowOrg (0, 0) and SetWindowExt (w, h).
std::string Drawing(int w, int h, const std::vector<std::string>& records) {
    std::string body = Record(0x020B, {0, 0}) + Record(0x020C, {h, w});
    unsigned largest = 5;
    for (const auto& r : records) {
        body += r;
        largest = std::max(largest, unsigned(r.size() / 2));
    }
    body += Record(0x0000, {});
    return Le16(1) + Le16(9) + Le16(0x0300) + Le32(unsigned(9 + body.size() / 2)) + Le16(4) +
           Le32(largest) + Le16(0) + body;
}

const std::string kRedBrush = Record(0x02FC, {0, 0x00FF, 0, 0}) + Record(0x012D, {0});
const std::string kNoPen = Record(0x02FA, {5, 0, 0, 0, 0}) + Record(0x012D, {1});
std::string WidePen(int width) {
    return Record(0x02FA, {0, width, 0, 0, 0}) + Record(0x012D, {1});
}
std::string Rectangle(int left, int top, int right, int bottom) {
    return Record(0x041B, {bottom, right, top, left});
}
std::string Repeat(const std::string& record, int times) {
    std::string all;
    for (int k = 0; k < times; ++k) all += record;
    return all;
}

// libwmf's painter clips nothing: a few records of a few hundred bytes can
// ask it to fill far more than the picture, to stamp a wide pen at every
// step of long lines, or to fill the picture over and over. Each drawing
// call is weighed before it is made; a drawing that asks for more than the
// work budget is refused without doing that work, while the same shapes
// within the picture render.
TEST(WmfImage, DrawingWorkIsWeighedBeforeItIsDone) {
    test::TestFolder folder;
    const int64_t background = 2 * 256 * 256;  // clearing and whitening the picture
    struct Case {
        const char* name;
        std::string file;
        int64_t budget;  // 0: the default one
        bool renders;
        int64_t leastWork, mostWork;
    };
    const std::string fourCorners =
        Record(0x0324, {4, -30000, -30000, 30000, -30000, 30000, 30000, -30000, 30000});  // Polygon
    const Case cases[] = {
        // One fill over a million times the picture: refused, only the
        // background painted.
        {"fill-far-beyond",
         Drawing(256, 256, {kRedBrush, kNoPen, Rectangle(-32000, -32000, 32000, 32000)}), 0, false,
         background, background},
        {"polygon-far-beyond", Drawing(256, 256, {kRedBrush, kNoPen, fourCorners}), 0, false,
         background, background},
        // Ellipses, pies and flood fills far beyond the picture.
        {"ellipse-far-beyond",
         Drawing(256, 256, {kRedBrush, kNoPen, Record(0x0418, {32000, 32000, -32000, -32000})}), 0,
         false, background, background},
        // A pen 200 pixels wide drawn along a 256-pixel line stamps 40,000
        // pixels at each step.
        {"wide-pen-line",
         Drawing(256, 256, {WidePen(200), Record(0x0214, {10, 10}), Record(0x0213, {250, 250})}), 0,
         true, background + 256 * 40'000, background + 2 * 256 * 2 * 40'000},
        {"wide-pen-lines",
         Drawing(256, 256,
                 {WidePen(200), Repeat(Record(0x0214, {10, 10}) + Record(0x0213, {250, 250}), 30)}),
         0, false, kWmfWorkBudget / 2, kWmfWorkBudget},
        // The same fill of the whole picture, again and again.
        {"fills-within",
         Drawing(256, 256, {kRedBrush, kNoPen, Repeat(Rectangle(0, 0, 256, 256), 4)}),
         background + 5 * 257 * 257, true, background + 4 * 257 * 257,
         background + 4 * 257 * 257 + 8},
        {"fills-beyond",
         Drawing(256, 256, {kRedBrush, kNoPen, Repeat(Rectangle(0, 0, 256, 256), 20)}),
         background + 5 * 257 * 257, false, background + 4 * 257 * 257, background + 5 * 257 * 257},
        {"floods-beyond",
         Drawing(256, 256,
                 {kRedBrush, Rectangle(10, 10, 200, 200),
                  Repeat(Record(0x0548, {1, 0, 0x00FF, 128, 128}), 30)}),
         background + 2 * 257 * 257 + 20 * 4 * 256 * 256, false, background + 191 * 191,
         background + 2 * 257 * 257 + 20 * 4 * 256 * 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_LT(c.file.size(), 700u);
        const std::string path = folder.File(std::string(c.name) + ".wmf");
        test::WriteFile(path, c.file);
        WmfLimits limits;
        if (c.budget) limits.work = c.budget;
        ImageFailure why = ImageFailure::None;
        int64_t work = -1;
        const auto image = LoadWmfImage(path, &why, limits, &work);
        EXPECT_EQ(image.has_value(), c.renders);
        EXPECT_EQ(why, c.renders ? ImageFailure::None : ImageFailure::TooComplex);
        EXPECT_LE(work, limits.work);
        EXPECT_GE(work, c.leastWork);
        EXPECT_LE(work, c.mostWork);
        if (image) {
            EXPECT_EQ(image->size(), QSize(256, 256));
        }
    }
}

// A plain drawing costs what its pixels cost: the background, the fill of
// its rectangle and the steps around it.
TEST(WmfImage, DrawingWorkOfAPlainDrawing) {
    test::TestFolder folder;
    test::WriteFile(folder.File("b.wmf"), Metafile(100, 50, 200, 100, {150, 75, 250, 125}));
    int64_t work = -1;
    const auto image = LoadWmfImage(folder.File("b.wmf"), nullptr, {}, &work);
    ASSERT_TRUE(image);
    EXPECT_EQ(work, 2 * 200 * 100 + 1 + 101 * 51 + 2 * (101 + 51));
}

}  // namespace
}  // namespace fennix
