#include "platform/ImageFile.h"

#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

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

bool SaveBitmapFile(const QImage& image, const std::string& path) {
    QImageWriter writer(QString::fromStdString(path), "bmp");
    return writer.write(image.convertToFormat(QImage::Format_RGB32));
}

}  // namespace fennix
