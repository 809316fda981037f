#include "platform/ImageFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include "core/SafeWrite.h"
#include "platform/WmfImage.h"

namespace fennix {

std::optional<QImage> LoadImageFile(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (QFileInfo(file).suffix().compare("wmf", Qt::CaseInsensitive) == 0)
        return LoadWmfImage(path);
    QImageReader reader(file);
    if (QFileInfo(file).suffix().compare("dib", Qt::CaseInsensitive) == 0) reader.setFormat("bmp");
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull()) {
        // The suffix may not match the content (a JPEG saved as .bmp):
        // let the reader guess from the bytes.
        QImageReader guess(file);
        guess.setDecideFormatFromContent(true);
        image = guess.read();
    }
    if (image.isNull()) return std::nullopt;
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
