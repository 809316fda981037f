#pragma once

#include <QImage>
#include <optional>
#include <string>

namespace fennix {

// Decodes an image file (BMP, DIB, JPEG, GIF, WMF, and whatever else the
// installed image plug-ins read) into a 32-bit RGB image. A .dib file is read
// as BMP; a .wmf file (any letter case) is rendered by LoadWmfImage.
// Nothing when the file is missing or cannot be decoded.
std::optional<QImage> LoadImageFile(const std::string& path);

// The image as the bytes of an uncompressed 32-bit Windows bitmap file.
// Empty when it cannot be encoded (a null image).
QByteArray EncodeBitmap(const QImage& image);

// Writes the image as an uncompressed Windows bitmap file, through a file
// beside it that replaces it only once complete (see SafeFile). False, with
// `error` (when given) set to a short reason, when the file cannot be
// written; an existing file is then untouched and nothing new is left.
// `sync` flushes the file to the disk before it takes the name.
bool SaveBitmapFile(const QImage& image, const std::string& path, std::string* error = nullptr,
                    bool sync = true);

}  // namespace fennix
