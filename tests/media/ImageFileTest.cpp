#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "media/ImageFile.h"
#include "media/WmfImage.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

// A 3 × 2 picture with a different colour in every pixel.
QImage SmallPicture() {
    QImage image(3, 2, QImage::Format_RGB32);
    const QRgb colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                            0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    for (int i = 0; i < 6; ++i) image.setPixel(i % 3, i / 3, colours[i]);
    return image;
}

// Writes `image` in `format` to a file of the given name, whatever bytes the
// name holds: Qt cannot name such a file, so the bytes are written under a
// plain name in a folder of their own and moved there.
void SaveAs(const QImage& image, const char* format, const std::string& path) {
    test::TestFolder scratch;
    const std::string plain = scratch.File("plain-name.tmp");
    QImageWriter writer(QString::fromStdString(plain), format);
    ASSERT_TRUE(writer.write(image)) << path;
    fs::rename(plain, path);
}

std::string Le16(unsigned v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF)};
}
std::string Le32(uint32_t v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}
std::string Be32(uint32_t v) {
    return {char(v >> 24), char((v >> 16) & 0xFF), char((v >> 8) & 0xFF), char(v & 0xFF)};
}

// The CRC of a PNG chunk (ISO 3309, as in zlib).
uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The headers of a 24-bit BMP that claims width × height but holds only a
// few bytes of pixels.
std::string BitmapHeaderClaiming(int32_t width, int32_t height, uint16_t bits = 24) {
    std::string info = Le32(40) + Le32(uint32_t(width)) + Le32(uint32_t(height)) + Le16(1) +
                       Le16(bits) + Le32(0) + Le32(0) + Le32(2835) + Le32(2835) + Le32(0) + Le32(0);
    const std::string pixels(64, '\x7F');
    return "BM" + Le32(uint32_t(14 + info.size() + pixels.size())) + Le32(0) +
           Le32(uint32_t(14 + info.size())) + info + pixels;
}

// A PNG whose header (with a correct checksum) claims width × height, cut
// off after a short data chunk.
std::string PngHeaderClaiming(uint32_t width, uint32_t height) {
    const std::string ihdr = "IHDR" + Be32(width) + Be32(height) + "\x08\x02" + std::string(3, '\0');
    const std::string idat = "IDAT" + std::string(16, '\0');
    return "\x89PNG\r\n\x1A\n" + Be32(13) + ihdr + Be32(Crc32(ihdr)) + Be32(16) + idat +
           Be32(Crc32(idat));
}

// A 24-bit bitmap of width × height (a negative height runs top-down) whose
// pixel (x, y) has blue x·37 + y, green y·91, red x ^ 5y; `gap` bytes
// between the headers and the pixels, `colours` in the header's colour
// count, the resolution `dpm`, and `cut` bytes taken off the end.
struct BitmapMake {
    int32_t width, height;
    int gap = 0;
    uint32_t colours = 0;
    int32_t dpmX = 2835, dpmY = 2835;
    int cut = 0;
};

std::string MakeBitmap(const BitmapMake& m) {
    const int rows = m.height < 0 ? -m.height : m.height;
    const size_t rowBytes = (size_t(m.width) * 3 + 3) / 4 * 4;
    std::string pixels(rowBytes * rows, '\0');
    for (int r = 0; r < rows; ++r) {
        const int y = m.height < 0 ? r : rows - 1 - r;
        for (int x = 0; x < m.width; ++x) {
            char* p = &pixels[r * rowBytes + size_t(x) * 3];
            p[0] = char(x * 37 + y);
            p[1] = char(y * 91);
            p[2] = char(x ^ (y * 5));
        }
    }
    const uint32_t offset = 54 + uint32_t(m.gap);
    std::string bytes = "BM" + Le32(uint32_t(offset + pixels.size())) + Le32(0) + Le32(offset) + Le32(40) +
                        Le32(uint32_t(m.width)) + Le32(uint32_t(m.height)) + Le16(1) + Le16(24) + Le32(0) +
                        Le32(0) + Le32(uint32_t(m.dpmX)) + Le32(uint32_t(m.dpmY)) + Le32(m.colours) + Le32(0) +
                        std::string(size_t(m.gap), '\x55') + pixels;
    bytes.resize(bytes.size() - size_t(m.cut));
    return bytes;
}

// Bitmaps read as Qt's own reader reads them (pixels, format, resolution),
// for every row padding, both row orders, pixels after a gap or a colour
// count, any resolution; other kinds of bitmap too. One cut short is
// refused, unless only the last row's padding is missing.
TEST(ImageFile, BitmapsReadAsQtReadsThem) {
    test::TestFolder folder;
    // Name, bytes, and the bytes Qt reads the expected picture from when
    // they are others.
    std::vector<std::array<std::string, 3>> files;
    for (int width : {1, 2, 3, 4, 5, 6, 7, 8, 333})
        for (int32_t height : {1, 5, -5})
            files.push_back({"w" + std::to_string(width) + "h" + std::to_string(height) + ".bmp",
                             MakeBitmap({width, height}), {}});
    files.push_back({"gap.bmp", MakeBitmap({9, 4, 12, 0}), {}});
    files.push_back({"colours.dib", MakeBitmap({9, 4, 8, 2}), {}});
    files.push_back({"colours-no-room.bmp", MakeBitmap({9, 4, 0, 2}), {}});
    files.push_back({"no-resolution.bmp", MakeBitmap({9, 4, 0, 0, 0, 0}), {}});
    files.push_back({"odd-resolution.bmp", MakeBitmap({9, 4, 0, 0, -5, 77}), {}});
    // Qt's reader leaves that row as the memory held it.
    files.push_back({"no-last-padding.bmp", MakeBitmap({5, 3, 0, 0, 2835, 2835, 1}), MakeBitmap({5, 3})});
    for (QImage::Format format : {QImage::Format_Indexed8, QImage::Format_ARGB32}) {
        QImage image = QImage(7, 3, QImage::Format_RGB32);
        image.fill(qRgb(10, 200, 30));
        image.setPixel(2, 1, qRgb(250, 0, 99));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "bmp").write(image.convertToFormat(format));
        files.push_back({"format" + std::to_string(int(format)) + ".bmp", bytes.toStdString(), {}});
    }
    for (const auto& [name, bytes, reference] : files) {
        SCOPED_TRACE(name);
        const QByteArray referenceBytes = QByteArray::fromStdString(reference.empty() ? bytes : reference);
        QBuffer buffer;
        buffer.setData(referenceBytes);
        buffer.open(QIODevice::ReadOnly);
        const QImage expected = QImageReader(&buffer, "bmp").read().convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(expected.isNull());
        const std::string path = folder.File(name);
        test::WriteFile(path, bytes);
        const std::optional<QImage> image = LoadImageFile(path);
        ASSERT_TRUE(image);
        EXPECT_EQ(*image, expected);
        EXPECT_EQ(image->format(), QImage::Format_RGB32);
        EXPECT_EQ(image->dotsPerMeterX(), expected.dotsPerMeterX());
        EXPECT_EQ(image->dotsPerMeterY(), expected.dotsPerMeterY());
    }
    for (int cut : {3, 40, 100}) {
        test::WriteFile(folder.File("cut.bmp"), MakeBitmap({30, 4, 0, 0, 2835, 2835, cut}));
        ImageFailure why = ImageFailure::None;
        EXPECT_FALSE(LoadImageFile(folder.File("cut.bmp"), &why)) << cut;
        EXPECT_EQ(why, ImageFailure::CannotDecode) << cut;
    }
}

// ---- Only regular files are opened ----

// The program's own bitmap writer gives the bytes Qt's BMP writer gives,
// for every row padding, for rows packed sixteen pixels at a time and the
// pixels after them, and for other formats, in memory and in a file,
// except that whatever resolution the image carries (it follows
// the screen in a program with windows) the file says 96 dots per inch.
TEST(ImageFile, BitmapBytesAreThoseOfQtsWriter) {
    auto qtBytes = [](const QImage& image) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImage at96 = image.convertToFormat(QImage::Format_RGB32);
        at96.setDotsPerMeterX(3780);
        at96.setDotsPerMeterY(3780);
        QImageWriter(&buffer, "bmp").write(at96);
        return bytes;
    };
    test::TestFolder folder;
    for (int width : {1, 2, 3, 4, 5, 6, 7, 10, 15, 16, 17, 31, 32, 33, 333, 48, 5}) {
        QImage image(width, 7, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 37 + y, y * 91, x ^ (y * 5)));
        image.setDotsPerMeterX(2835 + width);
        for (const QImage& picture : {image, image.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                                      image.convertToFormat(QImage::Format_RGB888)}) {
            const QByteArray expected = qtBytes(picture);
            ASSERT_EQ(EncodeBitmap(picture), expected) << width << " format " << picture.format();
            const std::string path = folder.File("b.bmp");
            ASSERT_TRUE(SaveBitmapFile(picture, path, nullptr, false));
            QFile file(QString::fromStdString(path));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            ASSERT_EQ(file.readAll(), expected) << width;
        }
    }
    EXPECT_TRUE(EncodeBitmap(QImage()).isEmpty());
    // A write that cannot be made says why and leaves nothing.
    std::string why;
    QImage image(9, 9, QImage::Format_RGB32);
    image.fill(0x123456);
    EXPECT_FALSE(SaveBitmapFile(image, folder.File("missing/b.bmp"), &why, false));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(fs::exists(folder.File("missing")));
}

TEST(ImageFile, FifosFoldersAndDevicesFailAtOnceWithoutBlocking) {
    test::TestFolder folder;
    // A FIFO without a writer: opening it for reading the usual way would
    // wait for ever, so this test ending at all is half the check.
    for (const char* name : {"start.bmp", "picture.jpg", "drawing.wmf", "noext"}) {
        SCOPED_TRACE(name);
        const std::string fifo = folder.File(name);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        ImageFailure why = ImageFailure::None;
        EXPECT_FALSE(LoadImageFile(fifo, &why));
        EXPECT_EQ(why, ImageFailure::NotRegularFile);
        EXPECT_FALSE(LoadWmfImage(fifo));
    }

    fs::create_directory(folder.File("folder.bmp"));
    fs::create_directory(folder.File("folder.wmf"));
    ImageFailure why = ImageFailure::None;
    EXPECT_FALSE(LoadImageFile(folder.File("folder.bmp"), &why));
    EXPECT_EQ(why, ImageFailure::NotRegularFile);
    EXPECT_FALSE(LoadImageFile(folder.File("folder.wmf"), &why));
    EXPECT_EQ(why, ImageFailure::NotRegularFile);
    EXPECT_FALSE(LoadImageFile("/dev/null", &why));  // a device, only ever opened to look
    EXPECT_EQ(why, ImageFailure::NotRegularFile);

    EXPECT_FALSE(LoadImageFile(folder.File("missing.bmp"), &why));
    EXPECT_EQ(why, ImageFailure::CannotOpen);
    test::WriteFile(folder.File("words.bmp"), "only words, no picture");
    EXPECT_FALSE(LoadImageFile(folder.File("words.bmp"), &why));
    EXPECT_EQ(why, ImageFailure::CannotDecode);
    EXPECT_STREQ(ImageFailureText(ImageFailure::NotRegularFile), "not a regular file");

    // A link to a regular file is followed; a good file reports no failure.
    SaveAs(SmallPicture(), "bmp", folder.File("real.bmp"));
    fs::create_symlink(folder.File("real.bmp"), folder.File("link.bmp"));
    why = ImageFailure::CannotOpen;
    const auto linked = LoadImageFile(folder.File("link.bmp"), &why);
    ASSERT_TRUE(linked);
    EXPECT_EQ(why, ImageFailure::None);
    EXPECT_EQ(*linked, SmallPicture());
}

// ---- File names are bytes ----

TEST(ImageFile, NamesThatAreNotUtf8Load) {
    test::TestFolder folder;
    // Latin-1 names, as an older system or a copied archive leaves them.
    const std::string latin = folder.File("d\xE9j\xE0");
    fs::create_directory(latin);
    const std::string names[] = {folder.File("caf\xE9.bmp"), latin + "/\xE9t\xE9.png",
                                 latin + "/cr\xE8me.DIB", latin + "/000.bmp"};
    SaveAs(SmallPicture(), "bmp", names[0]);
    SaveAs(SmallPicture(), "png", names[1]);
    SaveAs(SmallPicture(), "bmp", names[2]);
    SaveAs(SmallPicture(), "bmp", names[3]);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ImageFailure why = ImageFailure::CannotOpen;
        const auto image = LoadImageFile(name, &why);
        ASSERT_TRUE(image);
        EXPECT_EQ(why, ImageFailure::None);
        EXPECT_EQ(image->format(), QImage::Format_RGB32);
        EXPECT_EQ(*image, SmallPicture());
    }
    // The content decides when the suffix is wrong, also under such a name.
    SaveAs(SmallPicture(), "png", folder.File("na\xEFve.bmp"));
    const auto guessed = LoadImageFile(folder.File("na\xEFve.bmp"));
    ASSERT_TRUE(guessed);
    EXPECT_EQ(*guessed, SmallPicture());
}

// ---- Large photos open, absurd sizes are refused from the header ----

TEST(ImageFile, APhotoOf48MegapixelsLoads) {
    // 8000 × 6000 decodes to 192 MB at 32 bits, beyond Qt's default bound.
    // The photo is written from a 4-colour indexed picture (48 MB) as a
    // colour JPEG, quarter by quarter in its own colour.
    test::TestFolder folder;
    const std::string path = folder.File("photo.jpg");
    {
        QImage source(8000, 6000, QImage::Format_Indexed8);
        source.setColorTable({0xFFD02020, 0xFF20D020, 0xFF2020D0, 0xFFF0F0F0});
        for (int y = 0; y < source.height(); ++y) {
            uchar* line = source.scanLine(y);
            for (int x = 0; x < source.width(); ++x)
                line[x] = uchar((y >= 3000 ? 2 : 0) + (x >= 4000 ? 1 : 0));
        }
        SaveAs(source, "jpeg", path);
    }
    ImageFailure why = ImageFailure::CannotOpen;
    const auto photo = LoadImageFile(path, &why);
    ASSERT_TRUE(photo) << ImageFailureText(why);
    EXPECT_EQ(why, ImageFailure::None);
    EXPECT_EQ(photo->size(), QSize(8000, 6000));
    const auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) < 12 && std::abs(qGreen(a) - qGreen(b)) < 12 &&
               std::abs(qBlue(a) - qBlue(b)) < 12;
    };
    EXPECT_TRUE(near(photo->pixel(1000, 1000), 0xFFD02020));
    EXPECT_TRUE(near(photo->pixel(7000, 1000), 0xFF20D020));
    EXPECT_TRUE(near(photo->pixel(1000, 5000), 0xFF2020D0));
    EXPECT_TRUE(near(photo->pixel(7999, 5999), 0xFFF0F0F0));

    // The bounds leave room for 100 megapixels at 32 bits per pixel.
    EXPECT_GE(kMaxImagePixels, 100'000'000);
    EXPECT_GE(int64_t{kImageAllocationLimitMB} << 20, int64_t{100'000'000} * 4);
}

TEST(ImageFile, AbsurdDeclaredSizesAreRefusedFromTheHeader) {
    test::TestFolder folder;
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"huge.bmp", BitmapHeaderClaiming(16000, 16000)},  // 256 MP, a gigabyte decoded
        {"wide.bmp", BitmapHeaderClaiming(40000, 2)},  // few pixels, but a side Qt cannot hold
        {"huge.png", PngHeaderClaiming(100000, 100000)},
        {"tall.png", PngHeaderClaiming(3, 60000)},
        {"huge-as.jpg", PngHeaderClaiming(20000, 20000)},  // 400 MP under a wrong suffix
        // Top-down (a negative height): 3 × 33,554,434 in 57 bytes or so.
        {"down24.bmp", BitmapHeaderClaiming(3, -33554434)},
        {"down32.bmp", BitmapHeaderClaiming(3, -33554434, 32)},
        {"down8.dib", BitmapHeaderClaiming(3, -33554434, 8)},
        {"down32-as.jpg", BitmapHeaderClaiming(3, -33554434, 32)},
        {"down-wide.bmp", BitmapHeaderClaiming(40000, -2, 32)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::WriteFile(folder.File(c.name), c.bytes);
        ImageFailure why = ImageFailure::None;
        EXPECT_FALSE(LoadImageFile(folder.File(c.name), &why));
        EXPECT_EQ(why, ImageFailure::TooLarge);
    }
    // Beyond 16384 × 16384 Qt's bitmap reader refuses the header itself.
    test::WriteFile(folder.File("vast.bmp"), BitmapHeaderClaiming(100000, 100000));
    EXPECT_FALSE(LoadImageFile(folder.File("vast.bmp")));

    // A small file of the same make that claims a sensible size is merely
    // damaged, not too large.
    test::WriteFile(folder.File("cut.png"), PngHeaderClaiming(64, 64));
    ImageFailure why = ImageFailure::None;
    EXPECT_FALSE(LoadImageFile(folder.File("cut.png"), &why));
    EXPECT_EQ(why, ImageFailure::CannotDecode);
}

}  // namespace
}  // namespace fennix
