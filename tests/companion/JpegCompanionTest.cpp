// The JPEG companion library libFennix.so, as built beside the test
// executables, and the loader the program reaches it through.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "media/JpegCompanion.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TestFolder;
using test::WriteFile;

// The folder of the test executable, where the build puts libFennix.so too.
std::string ProgramFolder() {
    return QCoreApplication::applicationDirPath().toStdString();
}

std::string LibraryPath() {
    return ProgramFolder() + "/" + companion::kLibraryFileName;
}

// A smooth colour gradient: red across, green down, blue along the diagonal,
// no more than about four levels from one pixel to the next (steeper colour
// steps are blurred by the chroma subsampling on any encoder).
QImage Gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int r = x * 255 / std::max(width - 1, 63);
            const int g = y * 255 / std::max(height - 1, 63);
            const int b = 255 - (r + g) / 2;
            image.setPixel(x, y, qRgb(r, g, b));
        }
    return image;
}

// The mean absolute difference over the red, green and blue values of two
// images of the same size.
double MeanAbsoluteDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * x.width() * x.height());
}

// The file decoded as a JPEG whatever its name; a null image when it is not one.
QImage DecodeJpeg(const std::string& path) {
    QImageReader reader(QString::fromStdString(path), "jpeg");
    return reader.read();
}

bool StartsLikeJpeg(const std::string& bytes) {
    return bytes.size() > 4 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8 &&
           static_cast<unsigned char>(bytes[bytes.size() - 2]) == 0xFF &&
           static_cast<unsigned char>(bytes[bytes.size() - 1]) == 0xD9;
}

void Put16(std::string& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// How a hand-written bitmap lays out its pixels.
struct BitmapLayout {
    const char* name;
    int bitCount;         // 24 or 32
    bool topDown;         // rows stored top row first (negative height)
    uint32_t headerSize;  // 40, 108 or 124
    bool bitFields;       // 32-bit only: colour masks instead of plain BGRX
};

void PrintTo(const BitmapLayout& layout, std::ostream* out) {
    *out << layout.name;
}

// A Windows bitmap file of `image` in the given layout. With bit fields the
// masks put red in the low byte (RGBX order), so a reader that ignored them
// would swap red and blue.
std::string BitmapBytes(const QImage& image, const BitmapLayout& layout) {
    const int w = image.width(), h = image.height();
    const int bytesPerPixel = layout.bitCount / 8;
    const int stride = (w * layout.bitCount + 31) / 32 * 4;
    const bool masksAfterHeader = layout.bitFields && layout.headerSize == 40;
    const uint32_t dataOffset = 14 + layout.headerSize + (masksAfterHeader ? 12 : 0);
    std::string bytes(dataOffset + static_cast<size_t>(stride) * h, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
    Put32(bytes, 10, dataOffset);
    Put32(bytes, 14, layout.headerSize);
    Put32(bytes, 18, static_cast<uint32_t>(w));
    Put32(bytes, 22, static_cast<uint32_t>(layout.topDown ? -h : h));
    Put16(bytes, 26, 1);
    Put16(bytes, 28, static_cast<uint16_t>(layout.bitCount));
    Put32(bytes, 30, layout.bitFields ? 3 : 0);
    Put32(bytes, 34, static_cast<uint32_t>(stride * h));
    if (layout.bitFields) {
        Put32(bytes, 54, 0x000000FF);  // red
        Put32(bytes, 58, 0x0000FF00);  // green
        Put32(bytes, 62, 0x00FF0000);  // blue
    }
    for (int y = 0; y < h; ++y) {
        const int fileRow = layout.topDown ? y : h - 1 - y;
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y);
            char* out = &bytes[dataOffset + static_cast<size_t>(fileRow) * stride +
                               static_cast<size_t>(x) * bytesPerPixel];
            if (layout.bitFields) {
                out[0] = static_cast<char>(qRed(p));
                out[1] = static_cast<char>(qGreen(p));
                out[2] = static_cast<char>(qBlue(p));
            } else {
                out[0] = static_cast<char>(qBlue(p));
                out[1] = static_cast<char>(qGreen(p));
                out[2] = static_cast<char>(qRed(p));
            }
            if (bytesPerPixel == 4) out[3] = static_cast<char>(0xFF);
        }
    }
    return bytes;
}

// At quality 90 a smooth gradient comes back within a few levels.
constexpr double kMaxMeanDifference = 3.0;

// Loads the companion beside the test executable; fails the test with a clear
// message when the library has not been built.
class CompanionTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::is_regular_file(LibraryPath()))
            << LibraryPath() << " is missing: build the Fennix target before test_companion";
        std::string error;
        companion_ = JpegCompanion::Load(ProgramFolder(), &error);
        ASSERT_TRUE(companion_.has_value()) << error;
    }

    // Converts and checks that the JPEG decodes to `expected` closely.
    void ExpectRoundTrip(const std::string& bmp, const QImage& expected) {
        const std::string jpg = folder_.File("frame.jpg");
        ASSERT_TRUE(companion_->Convert(bmp, jpg));
        EXPECT_TRUE(StartsLikeJpeg(ReadFile(jpg)));
        const QImage decoded = DecodeJpeg(jpg);
        ASSERT_FALSE(decoded.isNull());
        ASSERT_EQ(decoded.size(), expected.size());
        EXPECT_LT(MeanAbsoluteDifference(decoded, expected), kMaxMeanDifference);
    }

    TestFolder folder_;
    std::optional<JpegCompanion> companion_;
};

// ---- Bitmaps that convert ----

TEST_F(CompanionTest, ConvertsABitmapWrittenByQt) {
    const QImage image = Gradient(64, 48);
    const std::string bmp = folder_.File("Dumy.bmp");
    ASSERT_TRUE(image.save(QString::fromStdString(bmp), "BMP"));
    // Qt writes a 24-bit bitmap with the bottom row first.
    const std::string bytes = ReadFile(bmp);
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[28], 24);
    EXPECT_GT(static_cast<int32_t>(static_cast<unsigned char>(bytes[22]) |
                                   (static_cast<unsigned char>(bytes[23]) << 8)),
              0);
    ExpectRoundTrip(bmp, image);
}

TEST_F(CompanionTest, ConvertsOddSizesWithPaddedRows) {
    for (const QSize size : {QSize(37, 23), QSize(1, 1), QSize(3, 17), QSize(250, 2)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        const QImage image = Gradient(size.width(), size.height());
        const std::string bmp = folder_.File("odd.bmp");
        ASSERT_TRUE(image.save(QString::fromStdString(bmp), "BMP"));
        ExpectRoundTrip(bmp, image);
    }
}

TEST_F(CompanionTest, LeavesTheSourceAsItWas) {
    const std::string bmp = folder_.File("source.bmp");
    ASSERT_TRUE(Gradient(20, 10).save(QString::fromStdString(bmp), "BMP"));
    const std::string before = ReadFile(bmp);
    ASSERT_TRUE(companion_->Convert(bmp, folder_.File("out.jpg")));
    EXPECT_EQ(ReadFile(bmp), before);
}

TEST_F(CompanionTest, ReplacesAnExistingJpegFile) {
    const std::string bmp = folder_.File("source.bmp");
    const std::string jpg = folder_.File("000.jpg");
    ASSERT_TRUE(Gradient(30, 20).save(QString::fromStdString(bmp), "BMP"));
    WriteFile(jpg, std::string(100000, 'x'));
    ASSERT_TRUE(companion_->Convert(bmp, jpg));
    const std::string bytes = ReadFile(jpg);
    EXPECT_TRUE(StartsLikeJpeg(bytes));
    EXPECT_LT(bytes.size(), 100000u);
    EXPECT_EQ(DecodeJpeg(jpg).size(), QSize(30, 20));
}

class CompanionLayoutTest : public CompanionTest,
                            public testing::WithParamInterface<BitmapLayout> {};

TEST_P(CompanionLayoutTest, ConvertsEveryRowOrderAndPixelSize) {
    // A picture whose top and bottom differ sharply, so flipped rows show.
    QImage image = Gradient(45, 31);
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < 8; ++y) image.setPixel(x, y, qRgb(250, 10, 10));
    const std::string bmp = folder_.File("layout.bmp");
    WriteFile(bmp, BitmapBytes(image, GetParam()));
    ExpectRoundTrip(bmp, image);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, CompanionLayoutTest,
    testing::Values(BitmapLayout{"Bits24BottomUp", 24, false, 40, false},
                    BitmapLayout{"Bits24TopDown", 24, true, 40, false},
                    BitmapLayout{"Bits32BottomUp", 32, false, 40, false},
                    BitmapLayout{"Bits32TopDown", 32, true, 40, false},
                    BitmapLayout{"Bits32BitFieldsBottomUp", 32, false, 40, true},
                    BitmapLayout{"Bits32V4HeaderTopDown", 32, true, 108, true},
                    BitmapLayout{"Bits32V5HeaderBottomUp", 32, false, 124, true}),
    [](const testing::TestParamInfo<BitmapLayout>& info) { return info.param.name; });

// ---- Bitmaps and destinations that fail ----

TEST_F(CompanionTest, MissingSourceFailsAndWritesNothing) {
    const std::string jpg = folder_.File("000.jpg");
    EXPECT_FALSE(companion_->Convert(folder_.File("absent.bmp"), jpg));
    EXPECT_FALSE(fs::exists(jpg));
}

TEST_F(CompanionTest, SourceThatIsNoRegularFileFailsAtOnce) {
    // A FIFO without a writer would block a plain open for ever.
    const std::string jpg = folder_.File("000.jpg");
    const std::string fifo = folder_.File("fifo.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(folder_.File("folder.bmp"));
    for (const std::string& source : {fifo, folder_.File("folder.bmp")}) {
        EXPECT_FALSE(companion_->Convert(source, jpg)) << source;
        EXPECT_FALSE(fs::exists(jpg));
    }
}

TEST_F(CompanionTest, UndecodableSourceFailsAndWritesNothing) {
    const std::string jpg = folder_.File("000.jpg");
    const std::string text = folder_.File("text.bmp");
    WriteFile(text, "This is not a picture.\n");
    EXPECT_FALSE(companion_->Convert(text, jpg));
    EXPECT_FALSE(fs::exists(jpg));

    const std::string empty = folder_.File("empty.bmp");
    WriteFile(empty, "");
    EXPECT_FALSE(companion_->Convert(empty, jpg));
    EXPECT_FALSE(fs::exists(jpg));
}

TEST_F(CompanionTest, TruncatedSourceFailsAndWritesNothing) {
    const std::string jpg = folder_.File("000.jpg");
    for (const BitmapLayout layout : {BitmapLayout{"bottom-up", 24, false, 40, false},
                                      BitmapLayout{"top-down", 24, true, 40, false}}) {
        SCOPED_TRACE(layout.name);
        std::string bytes = BitmapBytes(Gradient(40, 40), layout);
        bytes.resize(bytes.size() / 2);
        const std::string bmp = folder_.File("cut.bmp");
        WriteFile(bmp, bytes);
        EXPECT_FALSE(companion_->Convert(bmp, jpg));
        EXPECT_FALSE(fs::exists(jpg));
    }
}

// A short file whose header claims a huge picture is refused before any
// decoder sizes its buffers by that header (the fuzz target runs this file
// under a 2 GB allocation limit).
TEST_F(CompanionTest, HeaderClaimingMoreRowsThanTheFileHoldsFails) {
    const std::string jpg = folder_.File("000.jpg");
    std::string bytes =
        BitmapBytes(Gradient(4, 4), BitmapLayout{"bottom-up", 24, false, 40, false});
    const std::string bmp = folder_.File("claim.bmp");
    for (const auto& [width, height] :
         {std::pair{30000, 30000}, std::pair{4, 5}, std::pair{5, 4}}) {
        for (int i = 0; i < 4; ++i) {
            bytes[18 + i] = static_cast<char>((width >> (8 * i)) & 0xFF);
            bytes[22 + i] = static_cast<char>((height >> (8 * i)) & 0xFF);
        }
        WriteFile(bmp, bytes);
        EXPECT_FALSE(companion_->Convert(bmp, jpg)) << width << "x" << height;
        EXPECT_FALSE(fs::exists(jpg));
    }
}

TEST_F(CompanionTest, UnwritableDestinationFails) {
    const std::string bmp = folder_.File("source.bmp");
    ASSERT_TRUE(Gradient(16, 16).save(QString::fromStdString(bmp), "BMP"));

    const std::string inMissingFolder = folder_.File("no such folder/000.jpg");
    EXPECT_FALSE(companion_->Convert(bmp, inMissingFolder));
    EXPECT_FALSE(fs::exists(folder_.File("no such folder")));

    // A destination that is a folder stays a folder.
    const std::string folderNamedJpg = folder_.File("000.jpg");
    fs::create_directory(folderNamedJpg);
    EXPECT_FALSE(companion_->Convert(bmp, folderNamedJpg));
    EXPECT_TRUE(fs::is_directory(folderNamedJpg));
}

TEST_F(CompanionTest, WriteErrorRemovesThePartialFile) {
    const std::string bmp = folder_.File("source.bmp");
    const std::string jpg = folder_.File("000.jpg");
    ASSERT_TRUE(Gradient(64, 64).save(QString::fromStdString(bmp), "BMP"));

    // Let this process write no more than 100 bytes into any file, so the
    // JPEG stops part way; the signal that would otherwise end the process
    // is ignored and the write reports the error instead.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 100;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool converted = companion_->Convert(bmp, jpg);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(converted);
    EXPECT_FALSE(fs::exists(jpg));
    EXPECT_TRUE(companion_->Convert(bmp, jpg));  // and all is well again
}

// ---- The exported function called directly ----

TEST_F(CompanionTest, ExportedFunctionRefusesNullAndEmptyPaths) {
    void* handle = dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    const auto convert =
        reinterpret_cast<companion::ConvertFunction>(dlsym(handle, companion::kFunctionName));
    ASSERT_NE(convert, nullptr);

    const std::string bmp = folder_.File("source.bmp");
    const std::string jpg = folder_.File("out.jpg");
    ASSERT_TRUE(Gradient(8, 8).save(QString::fromStdString(bmp), "BMP"));
    EXPECT_EQ(convert(nullptr, jpg.c_str()), companion::kBadArguments);
    EXPECT_EQ(convert(bmp.c_str(), nullptr), companion::kBadArguments);
    EXPECT_EQ(convert(nullptr, nullptr), companion::kBadArguments);
    EXPECT_EQ(convert("", jpg.c_str()), companion::kBadArguments);
    EXPECT_EQ(convert(bmp.c_str(), ""), companion::kBadArguments);
    EXPECT_FALSE(fs::exists(jpg));

    EXPECT_EQ(convert(folder_.File("absent.bmp").c_str(), jpg.c_str()), companion::kCannotRead);
    EXPECT_EQ(convert(bmp.c_str(), folder_.File("gone/out.jpg").c_str()), companion::kCannotWrite);
    EXPECT_EQ(convert(bmp.c_str(), jpg.c_str()), companion::kOk);
    EXPECT_TRUE(StartsLikeJpeg(ReadFile(jpg)));
    dlclose(handle);
}

// ---- Loading ----

TEST(JpegCompanionLoadTest, FolderWithoutTheLibraryGivesNothingAndAReason) {
    TestFolder folder;
    std::string error;
    EXPECT_FALSE(JpegCompanion::Load(folder.Path(), &error).has_value());
    EXPECT_NE(error.find("libFennix.so"), std::string::npos) << error;

    // Without an error text to fill in, Load still just says no.
    EXPECT_FALSE(JpegCompanion::Load(folder.File("nowhere")).has_value());
}

TEST(JpegCompanionLoadTest, FileThatIsNotALibraryGivesNothingAndAReason) {
    TestFolder folder;
    WriteFile(folder.File("libFennix.so"), "not a shared object");
    std::string error;
    EXPECT_FALSE(JpegCompanion::Load(folder.Path(), &error).has_value());
    EXPECT_FALSE(error.empty());
}

TEST(JpegCompanionLoadTest, LibraryWithoutTheFunctionGivesNothingAndAReason) {
    // Any real shared library that lacks ConvertBMPtoJPG serves: take the
    // TurboJPEG library the companion itself is linked against.
    ASSERT_TRUE(fs::is_regular_file(LibraryPath())) << LibraryPath() << " is missing";
    void* handle = dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    Dl_info info{};
    void* symbol = dlsym(handle, "tjInitCompress");
    ASSERT_NE(symbol, nullptr);
    ASSERT_NE(dladdr(symbol, &info), 0);
    ASSERT_NE(info.dli_fname, nullptr);
    const std::string turbojpeg = info.dli_fname;
    dlclose(handle);

    TestFolder folder;
    fs::copy_file(turbojpeg, folder.File("libFennix.so"));
    std::string error;
    EXPECT_FALSE(JpegCompanion::Load(folder.Path(), &error).has_value());
    EXPECT_NE(error.find("ConvertBMPtoJPG"), std::string::npos) << error;
}

TEST(JpegCompanionLoadTest, MovedCompanionKeepsWorkingAndTheOldOneConvertsNothing) {
    ASSERT_TRUE(fs::is_regular_file(LibraryPath())) << LibraryPath() << " is missing";
    TestFolder folder;
    const std::string bmp = folder.File("source.bmp");
    ASSERT_TRUE(Gradient(12, 9).save(QString::fromStdString(bmp), "BMP"));

    std::optional<JpegCompanion> first = JpegCompanion::Load(ProgramFolder());
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->LibraryPath(), LibraryPath());
    JpegCompanion moved = std::move(*first);
    EXPECT_FALSE(first->Convert(bmp, folder.File("a.jpg")));
    EXPECT_FALSE(fs::exists(folder.File("a.jpg")));
    EXPECT_TRUE(moved.Convert(bmp, folder.File("b.jpg")));

    // Two companions from one folder share the library; closing one leaves
    // the other usable.
    {
        std::optional<JpegCompanion> second = JpegCompanion::Load(ProgramFolder());
        ASSERT_TRUE(second.has_value());
        EXPECT_TRUE(second->Convert(bmp, folder.File("c.jpg")));
    }
    EXPECT_TRUE(moved.Convert(bmp, folder.File("d.jpg")));
    first.reset();
    EXPECT_TRUE(moved.Convert(bmp, folder.File("e.jpg")));
    EXPECT_EQ(DecodeJpeg(folder.File("e.jpg")).size(), QSize(12, 9));
}

}  // namespace
}  // namespace fennix
