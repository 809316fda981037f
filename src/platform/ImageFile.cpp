#include "platform/ImageFile.h"

#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <cerrno>

#include "core/Paths.h"
#include "core/RegularFile.h"
#include "core/SafeWrite.h"
#include "platform/WmfImage.h"

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

bool SizeAllowed(const QSize& size) {
    return size.width() <= kMaxImageSide && size.height() <= kMaxImageSide &&
           int64_t{size.width()} * size.height() <= kMaxImagePixels;
}

// Reads one image with `reader`; a size declared beyond the bounds stops it
// before any pixel is decoded. `tooLarge` is set when that happened.
QImage ReadBounded(QImageReader& reader, bool& tooLarge) {
    reader.setAutoTransform(false);
    const QSize declared = reader.size();  // invalid when the format cannot tell
    if (declared.isValid() && !SizeAllowed(declared)) {
        tooLarge = true;
        return {};
    }
    return reader.read();
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
    }
    return "";
}

void ConfigureImageReading() {
    QImageReader::setAllocationLimit(kImageAllocationLimitMB);
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

    // The path's bytes go to the system as they are: Qt could not name a
    // file whose name is not valid UTF-8.
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return fail(errno == EISDIR || errno == EINVAL ? ImageFailure::NotRegularFile
                                                       : ImageFailure::CannotOpen);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(ImageFailure::CannotOpen);
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

QByteArray EncodeBitmap(const QImage& image) {
    QByteArray bytes;
    if (image.isNull()) return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) bytes.clear();
    return bytes;
}

bool ScratchBitmap::Write(const QImage& image, const std::string& nearPath) {
    const QByteArray bytes = EncodeBitmap(image);
    return !bytes.isEmpty() && file_.Begin(nearPath) &&
           file_.Write(std::string_view(bytes.constData(), size_t(bytes.size())));
}

bool SaveBitmapFile(const QImage& image, const std::string& path, std::string* error, bool sync) {
    const QByteArray bytes = EncodeBitmap(image);
    if (bytes.isEmpty()) {
        if (error) *error = "cannot encode the picture for " + path;
        return false;
    }
    return ReplaceFileContents(path, std::string_view(bytes.constData(), size_t(bytes.size())),
                               error, sync);
}

}  // namespace fennix
