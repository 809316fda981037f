#pragma once

#include <QColor>
#include <cstdint>

namespace fennix {

// Colours are packed 24-bit RGB integers with red in the lowest byte
// (255 red, 16777215 white).
inline QColor ColorFromPacked(int32_t packed) {
    return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

inline int32_t PackedFromColor(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

// The same colour as a 0xAARRGGBB pixel value of a 32-bit image.
inline uint32_t PixelFromPacked(int32_t packed) {
    return 0xFF000000u | (static_cast<uint32_t>(packed & 0xFF) << 16) |
           (static_cast<uint32_t>(packed) & 0xFF00u) | ((static_cast<uint32_t>(packed) >> 16) & 0xFFu);
}

}  // namespace fennix
