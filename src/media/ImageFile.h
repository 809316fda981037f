#pragma once

#include <QFile>
#include <QImage>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/SafeWrite.h"

namespace fennix {

// The largest picture that is decoded: 200 megapixels (a 100-megapixel photo
// opens with room to spare), no side above 32767 pixels. A file that declares
// more is refused from its header, before anything is decoded.
inline constexpr int64_t kMaxImagePixels = 200'000'000;
inline constexpr int kMaxImageSide = 32767;

// Qt's bound on one decoded image, in MB: kMaxImagePixels at 32 bits per
// pixel, rounded up. Qt's own default (128 or 256 MB, by version) refuses
// an ordinary 8000 × 6000 photo.
inline constexpr int kImageAllocationLimitMB = 800;

// Why an image could not be read.
enum class ImageFailure {
    None,            // it was read
    CannotOpen,      // missing, or not readable
    NotRegularFile,  // a folder, FIFO, device or socket: never opened for reading
    CannotDecode,    // not a picture, damaged, or in a format without a reader
    TooLarge,        // declares more than kMaxImagePixels or a side above kMaxImageSide
    TooComplex,      // a metafile with more records, or more drawing work, than its budget
};

// A short English description of the failure ("not a regular file", …);
// empty for ImageFailure::None.
const char* ImageFailureText(ImageFailure failure);

// The same reason in Japanese, as one sentence for a message box; empty for
// ImageFailure::None.
const char* ImageFailureReason(ImageFailure failure);

// Opens the picture file at `path` (its bytes go to the system as they are,
// so a name that is not UTF-8 still opens) into `file`, for reading; only a
// regular file opens. None, NotRegularFile or CannotOpen.
ImageFailure OpenImageFile(const std::string& path, QFile& file);

// Sets Qt's image allocation limit to kImageAllocationLimitMB. Every program
// calls it at start-up so that Qt's own readers share the bound; LoadImageFile
// calls it too, so no decoding ever runs under Qt's default.
void ConfigureImageReading();

// Decodes an image file (BMP, DIB, JPEG, GIF, WMF, and whatever else the
// installed image plug-ins read) into a 32-bit RGB image. Only a regular file
// (or a link to one) is opened: a folder, FIFO or device fails at once. The
// path is the file name's own bytes, whatever their encoding. The format
// comes from the suffix (a .dib file is read as BMP, a .wmf file in any
// letter case is rendered by LoadWmfImage); when that fails, it is guessed
// from the content. Nothing when the file cannot be opened, cannot be decoded
// or is too large; `why`, when given, then says which.
std::optional<QImage> LoadImageFile(const std::string& path, ImageFailure* why = nullptr);

// The size of a bitmap file's headers (file header and info header).
inline constexpr int kBitmapHeaderBytes = 54;

// The image as the bytes of an uncompressed Windows bitmap file: 24 bits a
// pixel, rows bottom-up, each padded to 4 bytes, the image's resolution in
// the header (the layout Qt's own BMP writer gives an RGB32 image). The
// colour is taken as it is, without its alpha. Empty when it cannot be
// encoded (a null image).
QByteArray EncodeBitmap(const QImage& image);

// A picture stored as a bitmap file for a reader that takes a file name
// (the JPEG companion, the bitmap class, a reload). It is written under a
// hidden name of its own beside `nearPath` (see SafeFile), never under
// `nearPath` itself, so two runs or two copies of the program never read
// each other's pixels; the file goes when the object does.
class ScratchBitmap {
  public:
    // False, with Error() set, when the picture cannot be encoded or written.
    bool Write(const QImage& image, const std::string& nearPath);
    const std::string& Path() const { return file_.ScratchPath(); }
    const std::string& Error() const { return file_.Error(); }

  private:
    SafeFile file_;
};

// Writes the image as an uncompressed Windows bitmap file, through a file
// beside it that replaces it only once complete (see SafeFile). False, with
// `error` (when given) set to a short reason, when the file cannot be
// written; an existing file is then untouched and nothing new is left.
// `sync` flushes the file to the disk before it takes the name.
bool SaveBitmapFile(const QImage& image, const std::string& path, std::string* error = nullptr,
                    bool sync = true);

}  // namespace fennix
