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

// Writes the image as an uncompressed Windows bitmap file. False when the
// file cannot be written.
bool SaveBitmapFile(const QImage& image, const std::string& path);

}  // namespace fennix
