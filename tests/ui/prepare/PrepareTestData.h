#pragma once

#include <QImage>
#include <string>

#include "media/ImageFile.h"

namespace fennix::test {

// A picture whose every pixel differs from its neighbours, so copies and
// crops can be checked pixel by pixel: red = x, green = y, blue = x + y.
inline QImage PatternImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x & 255, y & 255, (x + y) & 255));
    return image;
}

// Writes PatternImage(width, height) as a BMP file and returns its path.
inline std::string WritePattern(const std::string& path, int width, int height) {
    SaveBitmapFile(PatternImage(width, height), path);
    return path;
}

}  // namespace fennix::test
