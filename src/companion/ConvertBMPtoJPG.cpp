// libFennix.so: turns one Windows bitmap file into a JPEG file.
//
// TurboJPEG's tjLoadImage reads the bitmap; the 24- and 32-bit layouts it
// rejects (rows stored top row first, the larger V4/V5 headers, bit-field
// colour masks) are unpacked here instead. tjCompress2 encodes the pixels at
// quality 90 with 4:2:0 chroma subsampling: frames of a morph are photographs
// in character, and 4:2:0 keeps them small without visible loss at that
// quality.

#include "ConvertBMPtoJPG.h"

#include "core/SafeWrite.h"

#include <sys/stat.h>
#include <turbojpeg.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "core/RegularFile.h"

namespace fennix::companion {
namespace {

constexpr int kQuality = 90;
constexpr int kSubsampling = TJSAMP_420;
// The largest width or height a JPEG file can record.
constexpr int64_t kMaxSide = 65535;
// Bitmaps larger than this are not read into memory for unpacking.
constexpr long kMaxFileBytes = 1L << 30;

struct TjBufferFree {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};
struct TjHandleDestroy {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjBuffer = std::unique_ptr<unsigned char, TjBufferFree>;
using TjHandle = std::unique_ptr<void, TjHandleDestroy>;

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// An image of packed RGB pixels, top row first; the pixels live either in a
// TurboJPEG buffer or in a vector of our own.
struct RgbImage {
    int width = 0;
    int height = 0;
    TjBuffer loaded;
    std::vector<unsigned char> unpacked;

    const unsigned char* Pixels() const { return loaded ? loaded.get() : unpacked.data(); }
};

// The whole file in `bytes`. False when it is not a regular file, cannot be
// opened or read, or is larger than kMaxFileBytes.
bool ReadWholeFile(const char* path, std::vector<unsigned char>& bytes) {
    const int fd = OpenRegularFile(path);
    if (fd < 0) return false;
    std::unique_ptr<std::FILE, FileClose> file(::fdopen(fd, "rb"));
    if (!file) {
        ::close(fd);
        return false;
    }
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file.get());
    if (size < 0 || size > kMaxFileBytes) return false;
    if (std::fseek(file.get(), 0, SEEK_SET) != 0) return false;
    bytes.resize(static_cast<size_t>(size));
    return std::fread(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

uint32_t U32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint32_t U32(const std::vector<unsigned char>& b, size_t at) {
    return U32(b.data() + at);
}
uint16_t U16(const std::vector<unsigned char>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
int32_t S32(const std::vector<unsigned char>& b, size_t at) {
    return static_cast<int32_t>(U32(b, at));
}

// One colour channel of a pixel word, described by its bit mask.
class Channel {
public:
    explicit Channel(uint32_t mask) {
        if (mask == 0) return;
        shift_ = std::countr_zero(mask);
        bits_ = std::countr_one(mask >> shift_);
    }

    // The channel of `word` scaled to 0 … 255; 0 for an empty mask.
    unsigned char Of(uint32_t word) const {
        if (bits_ == 0) return 0;
        const uint64_t max = (uint64_t{1} << bits_) - 1;
        const uint64_t value = (word >> shift_) & max;
        if (bits_ >= 8) return static_cast<unsigned char>(value >> (bits_ - 8));
        return static_cast<unsigned char>((value * 255 + max / 2) / max);
    }

private:
    int shift_ = 0;
    int bits_ = 0;
};

// Unpacks an uncompressed 24-bit or 32-bit bitmap (any row order, header of
// 40, 52, 56, 108 or 124 bytes, plain or bit-field colours) into `image`.
// False for anything else and for a file too short for its own header.
bool UnpackBitmap(const std::vector<unsigned char>& b, RgbImage& image) {
    constexpr uint32_t kPlain = 0, kBitFields = 3, kAlphaBitFields = 6;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
    const uint32_t dataOffset = U32(b, 10);
    const uint32_t headerSize = U32(b, 14);
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
        return false;
    const int64_t width = S32(b, 18);
    const int64_t storedHeight = S32(b, 22);
    const int64_t height = storedHeight < 0 ? -storedHeight : storedHeight;
    const uint16_t planes = U16(b, 26);
    const uint16_t bitCount = U16(b, 28);
    const uint32_t compression = U32(b, 30);
    if (planes != 1 || width < 1 || width > kMaxSide || height < 1 || height > kMaxSide)
        return false;

    uint32_t redMask = 0x00FF0000, greenMask = 0x0000FF00, blueMask = 0x000000FF;
    if (bitCount == 24) {
        if (compression != kPlain) return false;
    } else if (bitCount == 32) {
        if (compression == kBitFields || compression == kAlphaBitFields) {
            // The masks follow the 40-byte part of the header, whether they
            // belong to a larger header or stand after the small one.
            if (b.size() < 66) return false;
            redMask = U32(b, 54);
            greenMask = U32(b, 58);
            blueMask = U32(b, 62);
        } else if (compression != kPlain) {
            return false;
        }
    } else {
        return false;
    }

    const int64_t bytesPerPixel = bitCount / 8;
    const int64_t stride = (width * bitCount + 31) / 32 * 4;
    if (static_cast<int64_t>(dataOffset) + stride * height > static_cast<int64_t>(b.size()))
        return false;

    const Channel red(redMask), green(greenMask), blue(blueMask);
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.unpacked.resize(static_cast<size_t>(width * height * 3));
    const bool topDown = storedHeight < 0;
    unsigned char* out = image.unpacked.data();
    for (int64_t y = 0; y < height; ++y) {
        const int64_t fileRow = topDown ? y : height - 1 - y;
        const unsigned char* in = b.data() + dataOffset + fileRow * stride;
        for (int64_t x = 0; x < width; ++x, in += bytesPerPixel, out += 3) {
            if (bitCount == 24) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            } else {
                const uint32_t word = U32(in);
                out[0] = red.Of(word);
                out[1] = green.Of(word);
                out[2] = blue.Of(word);
            }
        }
    }
    return true;
}

// True when the file at `path` is a Windows bitmap whose header asks for no
// more uncompressed pixel rows than the file holds. tjLoadImage allocates
// the whole image the header states before it reads a row, so a short file
// claiming a huge picture must not reach it.
bool RowsFitInFile(const char* path) {
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(path, "rb"));
    if (!file) return false;
    std::vector<unsigned char> h(30);
    if (std::fread(h.data(), 1, h.size(), file.get()) != h.size() || h[0] != 'B' || h[1] != 'M')
        return false;
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file.get());
    const uint32_t offset = U32(h, 10);
    if (size < 0 || offset > static_cast<unsigned long>(size)) return false;
    int64_t width, height, bitCount;
    if (U32(h, 14) == 12) {  // the old 12-byte header: 16-bit sizes
        width = U16(h, 18);
        height = U16(h, 20);
        bitCount = U16(h, 24);
    } else {
        width = S32(h, 18);
        height = S32(h, 22);
        if (height < 0) height = -height;
        bitCount = U16(h, 28);
    }
    if (width < 1 || height < 1 || bitCount < 1 || bitCount > 32) return false;
    const int64_t stride = (width * bitCount + 31) / 32 * 4;
    const int64_t available = size - static_cast<int64_t>(offset);
    return stride <= available && height <= available / stride;
}

// Reads the bitmap file into `image`. False when the file is missing, is not
// a regular file, or cannot be decoded.
bool LoadBitmap(const char* path, RgbImage& image) {
    // A FIFO or device would keep the reader waiting or reading for ever.
    if (!IsRegularFile(path)) return false;
    int width = 0, height = 0, pixelFormat = TJPF_RGB;
    if (RowsFitInFile(path))
        image.loaded.reset(tjLoadImage(path, &width, 1, &height, &pixelFormat, 0));
    if (image.loaded && width > 0 && height > 0 && pixelFormat == TJPF_RGB) {
        image.width = width;
        image.height = height;
        return true;
    }
    image.loaded.reset();
    std::vector<unsigned char> bytes;
    return ReadWholeFile(path, bytes) && UnpackBitmap(bytes, image);
}

// Writes `size` bytes as the file at `path`. The bytes go to a file beside
// it that replaces it only once complete, so a failed write leaves an
// existing file as it was and nothing new behind; a destination that is not
// a regular file (a folder, device or FIFO) is refused. kOk or kCannotWrite.
int WriteWholeFile(const char* path, const unsigned char* data, unsigned long size) {
    const bool ok = fennix::ReplaceFileContents(
        path, std::string_view(reinterpret_cast<const char*>(data), size), nullptr, false);
    return ok ? kOk : kCannotWrite;
}

int Convert(const char* bmpPath, const char* jpgPath) {
    if (bmpPath == nullptr || jpgPath == nullptr || *bmpPath == '\0' || *jpgPath == '\0')
        return kBadArguments;

    RgbImage image;
    if (!LoadBitmap(bmpPath, image)) return kCannotRead;

    TjHandle compressor(tjInitCompress());
    if (!compressor) return kCannotEncode;
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    const int encoded =
        tjCompress2(compressor.get(), image.Pixels(), image.width, 0, image.height, TJPF_RGB, &jpeg,
                    &jpegSize, kSubsampling, kQuality, TJFLAG_ACCURATEDCT);
    const TjBuffer owned(jpeg);  // freed whether or not encoding succeeded
    if (encoded != 0 || jpeg == nullptr || jpegSize == 0) return kCannotEncode;

    return WriteWholeFile(jpgPath, jpeg, jpegSize);
}

}  // namespace
}  // namespace fennix::companion

extern "C" int ConvertBMPtoJPG(const char* bmpPath, const char* jpgPath) {
    // Nothing may escape into a caller that knows only C.
    try {
        return fennix::companion::Convert(bmpPath, jpgPath);
    } catch (...) {
        return fennix::companion::kInternalError;
    }
}
