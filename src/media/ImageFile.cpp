#include "media/ImageFile.h"

#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "core/Paths.h"
#include "core/RegularFile.h"
#include "core/SafeWrite.h"
#include "core/Translation.h"
#include "media/WmfImage.h"
#include "media/cDIB.h"

namespace fennix {

namespace {

// The file name's suffix in lower case ASCII, from the path's own bytes;
// empty when the name has none.
std::string LowerSuffix(const std::string& path) {
    const std::string name = PathFileName(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {};
    std::string suffix = name.substr(dot + 1);
    for (char& c : suffix)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return suffix;
}

bool SizeAllowed(int64_t width, int64_t height) {
    return width <= kMaxImageSide && height <= kMaxImageSide && width * height <= kMaxImagePixels;
}

// Reads one image with `reader`; a size declared beyond the bounds stops it
// before any pixel is decoded. `tooLarge` is set when that happened.
QImage ReadBounded(QImageReader& reader, bool& tooLarge) {
    reader.setAutoTransform(false);
    // (-1, -1) when the format cannot tell; a top-down bitmap declares a
    // negative height, whose rows count all the same.
    const QSize declared = reader.size();
    if (!SizeAllowed(std::abs(int64_t{declared.width()}), std::abs(int64_t{declared.height()}))) {
        tooLarge = true;
        return {};
    }
    return reader.read();
}

// Blue, green, red of `width` pixels as 32-bit pixels with an opaque fourth
// byte.
void ExpandPixelsPlain(const uint8_t* __restrict in, int width, uint32_t* __restrict out) {
    for (int x = 0; x < width; ++x)
        out[x] = 0xFF000000u | uint32_t{in[3 * x + 2]} << 16 | uint32_t{in[3 * x + 1]} << 8 | in[3 * x];
}

#if defined(__x86_64__)
// The same, four pixels to a byte shuffle. Each load reads 16 bytes of
// which the first 12 count, so the last pixels go the plain way and
// nothing is read beyond the row.
__attribute__((target("ssse3"))) void ExpandPixelsSsse3(const uint8_t* __restrict in, int width,
                                                        uint32_t* __restrict out) {
    const __m128i pick = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
    int x = 0;
    for (; x + 6 <= width; x += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         _mm_or_si128(_mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * x)),
                                                       pick),
                                      opaque));
    ExpandPixelsPlain(in + 3 * x, width - x, out + x);
}
#endif

void ExpandPixels(const uint8_t* in, int width, uint32_t* out) {
#if defined(__x86_64__)
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    if (shuffles) return ExpandPixelsSsse3(in, width, out);
#endif
    ExpandPixelsPlain(in, width, out);
}

enum class PlainBitmap {
    Other,     // not a plain bitmap: for Qt's reader
    Read,
    TooLarge,  // declares a size beyond the bounds
    Cut,       // the pixels end before the last row
};

// A plain bitmap, as every frame file is: 24 bits a pixel, uncompressed,
// the 40-byte info header. Qt's reader converts such a file pixel by pixel
// (several times slower than reading it); here the rows are expanded four
// pixels to a shuffle, into the very image Qt's reader gives: the same
// pixels, format and resolution (Qt keeps its default where the header
// says 0, as the setters do). A file cut short is refused, where Qt's
// reader would leave the missing rows as whatever the memory held.
PlainBitmap ReadPlainBitmap(QFile& file, QImage& image) {
    uint8_t h[kBitmapHeaderBytes];
    if (file.read(reinterpret_cast<char*>(h), sizeof h) != static_cast<qint64>(sizeof h)) return PlainBitmap::Other;
    const cDIB::FileHeader head = cDIB::ParseFileHeader(h);
    const cDIB::InfoHeader info = cDIB::ParseInfoHeader(h + cDIB::kFileHeaderSize);
    const uint32_t offset = head.bfOffBits;
    const int32_t width = info.biWidth, height = info.biHeight;
    // Any bitmap's size is bounded here, from its header, before Qt's reader
    // would allocate and fill its rows (a top-down one, negative height,
    // escapes the size Qt's reader reports).
    if (head.bfType == cDIB::kBitmapMark) {
        const bool core = info.biSize == 12;  // the old header: 16-bit sides
        const int64_t sideX = core ? (h[18] | h[19] << 8) : std::abs(int64_t{width});
        const int64_t sideY = core ? (h[20] | h[21] << 8) : std::abs(int64_t{height});
        if (!SizeAllowed(sideX, sideY)) return PlainBitmap::TooLarge;
    }
    if (head.bfType != cDIB::kBitmapMark || info.biSize != cDIB::kInfoHeaderSize || info.biPlanes != 1 ||
        info.biBitCount != 24 || info.biCompression != 0 || width <= 0 || height == 0 ||
        offset < kBitmapHeaderBytes)
        return PlainBitmap::Other;
    const int64_t rows = height < 0 ? -int64_t{height} : height;  // a negative height runs top-down
    // Rows are padded to 4 bytes; the last row's padding may be missing.
    const int64_t rowBytes = (int64_t{width} * 3 + 3) / 4 * 4;
    const int64_t padding = rowBytes - int64_t{width} * 3;
    if (file.size() < offset + rowBytes * rows - padding) return PlainBitmap::Cut;

    QImage read(width, static_cast<int>(rows), QImage::Format_RGB32);
    if (read.isNull() || !file.seek(offset)) return PlainBitmap::Other;
    read.setDotsPerMeterX(info.biXPelsPerMeter);
    read.setDotsPerMeterY(info.biYPelsPerMeter);
    // Pieces of about 256 KB, each expanded while it is in the cache.
    const int64_t rowsPerPiece = std::max<int64_t>(1, (256 << 10) / rowBytes);
    std::vector<uint8_t> piece(static_cast<size_t>(rowBytes * std::min(rowsPerPiece, rows)));
    for (int64_t done = 0; done < rows;) {
        const int64_t count = std::min(rowsPerPiece, rows - done);
        const int64_t bytes = rowBytes * count - (done + count == rows ? padding : 0);
        if (file.read(reinterpret_cast<char*>(piece.data()), bytes) != bytes) return PlainBitmap::Cut;
        for (int64_t k = 0; k < count; ++k, ++done) {
            const auto y = static_cast<int>(height > 0 ? rows - 1 - done : done);
            ExpandPixels(piece.data() + k * rowBytes, width, reinterpret_cast<uint32_t*>(read.scanLine(y)));
        }
    }
    image = std::move(read);
    return PlainBitmap::Read;
}

}  // namespace

const char* ImageFailureText(ImageFailure failure) {
    switch (failure) {
        case ImageFailure::None:
            return "";
        case ImageFailure::CannotOpen:
            return "cannot be opened";
        case ImageFailure::NotRegularFile:
            return "not a regular file";
        case ImageFailure::CannotDecode:
            return "not a picture that can be decoded";
        case ImageFailure::TooLarge:
            return "too large (more than 200 megapixels or a side above 32767 pixels)";
        case ImageFailure::TooComplex:
            return "a drawing too complex to render (too many records or too long to draw)";
    }
    return "";
}

const char* ImageFailureReason(ImageFailure failure) {
    switch (failure) {
        case ImageFailure::None:
            return "";
        case ImageFailure::CannotOpen:
            return Tr("ImageFile", "ファイルが見つからないか、読み取る権限がありません。");
        case ImageFailure::NotRegularFile:
            return Tr("ImageFile",
                      "通常のファイルではありません（フォルダ、FIFO、デバイスなど）。");
        case ImageFailure::CannotDecode:
            return Tr("ImageFile",
                      "画像として読み込めません。形式が違うか、壊れているか、途中で切れています。");
        case ImageFailure::TooLarge:
            return Tr(
                "ImageFile",
                "画像が大きすぎます（2 億画素を超えるか、一辺が 32767 ピクセルを超えています）。");
        case ImageFailure::TooComplex:
            return Tr("ImageFile", "図形の数が多すぎるか、描画に時間がかかりすぎます。");
    }
    return "";
}

void ConfigureImageReading() {
    QImageReader::setAllocationLimit(kImageAllocationLimitMB);
}

ImageFailure OpenImageFile(const std::string& path, QFile& file) {
    // The path's bytes go to the system as they are: Qt could not name a
    // file whose name is not valid UTF-8.
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return errno == EISDIR || errno == EINVAL ? ImageFailure::NotRegularFile
                                                  : ImageFailure::CannotOpen;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return ImageFailure::CannotOpen;
    }
    return ImageFailure::None;
}

std::optional<QImage> LoadImageFile(const std::string& path, ImageFailure* why) {
    static const bool configured = (ConfigureImageReading(), true);
    (void)configured;
    const auto fail = [why](ImageFailure failure) -> std::optional<QImage> {
        if (why) *why = failure;
        return std::nullopt;
    };
    if (why) *why = ImageFailure::None;

    const std::string suffix = LowerSuffix(path);
    if (suffix == "wmf") return LoadWmfImage(path, why);

    QFile file;
    if (const ImageFailure failure = OpenImageFile(path, file); failure != ImageFailure::None)
        return fail(failure);

    if (suffix == "bmp" || suffix == "dib") {
        QImage image;
        switch (ReadPlainBitmap(file, image)) {
            case PlainBitmap::Read:
                return image;
            case PlainBitmap::TooLarge:
                return fail(ImageFailure::TooLarge);
            case PlainBitmap::Cut:
                return fail(ImageFailure::CannotDecode);
            case PlainBitmap::Other:
                if (!file.seek(0)) return fail(ImageFailure::CannotOpen);
                break;
        }
    }
    const QByteArray format =
        suffix == "dib" ? QByteArray("bmp") : QByteArray::fromStdString(suffix);
    bool tooLarge = false;
    QImage image;
    {
        QImageReader reader(&file, format);
        image = ReadBounded(reader, tooLarge);
    }
    if (image.isNull() && !tooLarge && file.seek(0)) {
        // The suffix may not match the content (a JPEG saved as .bmp):
        // let the reader guess from the bytes.
        QImageReader guess(&file);
        guess.setDecideFormatFromContent(true);
        image = ReadBounded(guess, tooLarge);
    }
    if (tooLarge) return fail(ImageFailure::TooLarge);
    if (image.isNull()) return fail(ImageFailure::CannotDecode);
    return image.convertToFormat(QImage::Format_RGB32);
}

namespace {

void Put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

// Rows of 3 bytes a pixel, padded to a multiple of 4 bytes.
size_t BitmapRowBytes(int width) {
    return (static_cast<size_t>(width) * 24 + 31) / 32 * 4;
}

// The file and info headers of a 24-bit bottom-up bitmap of `image`.
std::array<uint8_t, kBitmapHeaderBytes> BitmapHeader(const QImage& image) {
    std::array<uint8_t, kBitmapHeaderBytes> h{};
    const size_t imageBytes = BitmapRowBytes(image.width()) * static_cast<size_t>(image.height());
    h[0] = 'B';
    h[1] = 'M';
    Put32(&h[2], static_cast<uint32_t>(kBitmapHeaderBytes + imageBytes));
    Put32(&h[10], kBitmapHeaderBytes);
    Put32(&h[14], 40);
    Put32(&h[18], static_cast<uint32_t>(image.width()));
    Put32(&h[22], static_cast<uint32_t>(image.height()));
    Put16(&h[26], 1);
    Put16(&h[28], 24);
    Put32(&h[34], static_cast<uint32_t>(imageBytes));
    // One resolution for every file, 96 dots per inch: a QImage's own
    // follows the screen it was made under, so the window and the command
    // line would otherwise write different headers for the same frame.
    constexpr uint32_t kDotsPerMeter = 3780;
    Put32(&h[38], kDotsPerMeter);
    Put32(&h[42], kDotsPerMeter);
    return h;
}

// Blue, green, red of `width` pixels of 4 bytes.
void PackPixelsPlain(const uint8_t* __restrict in, int width, uint8_t* __restrict out) {
    for (int x = 0; x < width; ++x) {
        out[3 * x] = in[4 * x];
        out[3 * x + 1] = in[4 * x + 1];
        out[3 * x + 2] = in[4 * x + 2];
    }
}

#if defined(__x86_64__)
// The same, four pixels to a byte shuffle. Each store writes 16 bytes of
// which the first 12 count; the last pixels go the plain way, so nothing
// is written beyond the row.
__attribute__((target("ssse3"))) void PackPixelsSsse3(const uint8_t* __restrict in, int width,
                                                      uint8_t* __restrict out) {
    const __m128i pick = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    for (; x + 6 <= width; x += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * x),
                         _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * x)), pick));
    PackPixelsPlain(in + 4 * x, width - x, out + 3 * x);
}
#endif

#if defined(__x86_64__)
// GCC 12's AVX-512 headers start some intrinsics from a deliberately
// undefined register and then warn about it.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
// Sixteen pixels to one byte permutation (AVX-512 VBMI): 64 bytes in, the
// first 48 of the permuted register out. The last pixels go the SSSE3 way.
__attribute__((target("avx512f,avx512bw,avx512vbmi,ssse3"))) void PackPixelsVbmi(
    const uint8_t* __restrict in, int width, uint8_t* __restrict out) {
    alignas(64) static constexpr uint8_t kPick[64] = {
        0,  1,  2,  4,  5,  6,  8,  9,  10, 12, 13, 14, 16, 17, 18, 20, 21, 22, 24, 25, 26, 28,
        29, 30, 32, 33, 34, 36, 37, 38, 40, 41, 42, 44, 45, 46, 48, 49, 50, 52, 53, 54, 56, 57,
        58, 60, 61, 62, 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0};
    const __m512i pick = _mm512_load_si512(kPick);
    constexpr __mmask64 kFirst48 = (__mmask64{1} << 48) - 1;
    int x = 0;
    for (; x + 16 <= width; x += 16)
        _mm512_mask_storeu_epi8(out + 3 * x, kFirst48,
                                _mm512_permutexvar_epi8(pick, _mm512_loadu_si512(in + 4 * x)));
    PackPixelsSsse3(in + 4 * x, width - x, out + 3 * x);
}
#endif

void PackPixels(const uint8_t* in, int width, uint8_t* out) {
#if defined(__x86_64__)
    static const bool permutes = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                                 __builtin_cpu_supports("avx512vbmi");
    if (permutes) return PackPixelsVbmi(in, width, out);
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    if (shuffles) return PackPixelsSsse3(in, width, out);
#endif
    PackPixelsPlain(in, width, out);
}

// Row y of a 32-bit image as bitmap bytes: blue, green, red per pixel, then
// zeros up to the row's padded length.
void PackRow(const QImage& image, int y, uint8_t* out) {
    const int width = image.width();
    PackPixels(image.constScanLine(y), width, out);
    for (size_t pad = size_t(width) * 3; pad < BitmapRowBytes(width); ++pad) out[pad] = 0;
}

// Sends the bitmap of a 32-bit image to `sink` in pieces of about 256 KB:
// the header, then the rows from the bottom one up, packed as they go, so
// the whole file is never held in memory. False as soon as the sink fails.
template <typename Sink>
bool StreamBitmap(const QImage& image, Sink&& sink) {
    const auto header = BitmapHeader(image);
    if (!sink(header.data(), header.size())) return false;
    const size_t rowBytes = BitmapRowBytes(image.width());
    const int rowsPerPiece = std::max<int>(1, static_cast<int>((256 << 10) / rowBytes));
    std::vector<uint8_t> piece(rowBytes * static_cast<size_t>(std::min(rowsPerPiece, image.height())));
    for (int y = image.height() - 1; y >= 0;) {
        uint8_t* out = piece.data();
        int rows = 0;
        for (; rows < rowsPerPiece && y >= 0; ++rows, --y, out += rowBytes) PackRow(image, y, out);
        if (!sink(piece.data(), rowBytes * rows)) return false;
    }
    return true;
}

// The image in the 32-bit layout the bitmap rows are packed from.
QImage AsRgb32(const QImage& image) {
    return image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
}

// Writes the bitmap of `image` into a started SafeFile, packed and written
// a piece at a time: each piece is still in the cache when the kernel
// copies it. (Packing a whole frame first and writing it in one go, its
// room asked for with fallocate, measured slower in real runs: 0.82 against
// 0.58 s for sixty 1080p frames on ext4.)
bool WriteBitmap(const QImage& image, SafeFile& file) {
    return StreamBitmap(AsRgb32(image), [&](const uint8_t* data, size_t size) {
        return file.Write(std::string_view(reinterpret_cast<const char*>(data), size));
    });
}

}  // namespace

QByteArray EncodeBitmap(const QImage& image) {
    QByteArray bytes;
    if (image.isNull()) return bytes;
    StreamBitmap(AsRgb32(image), [&](const uint8_t* data, size_t size) {
        bytes.append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
        return true;
    });
    return bytes;
}

bool ScratchBitmap::Write(const QImage& image, const std::string& nearPath) {
    return !image.isNull() && file_.Begin(nearPath) && WriteBitmap(image, file_);
}

bool SaveBitmapFile(const QImage& image, const std::string& path, std::string* error, bool sync) {
    if (image.isNull()) {
        if (error) *error = "cannot encode the picture for " + path;
        return false;
    }
    SafeFile file;
    const bool ok = file.Begin(path) && WriteBitmap(image, file) && file.Commit(sync);
    if (!ok && error) *error = file.Error();
    return ok;
}

}  // namespace fennix
