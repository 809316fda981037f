#include "engine/PixelBuffer.h"

#include <cstring>

namespace fennix {

void CaptureBits(const PicturePane& pane, PixelBuffer& buffer) {
    const QImage& layer = pane.Layer();
    const int w = layer.isNull() ? 0 : layer.width();
    const int h = layer.isNull() ? 0 : layer.height();
    buffer.Header = BitmapInfoHeader{};
    buffer.Header.biWidth = w;
    buffer.Header.biHeight = -h;
    buffer.Bits.resize(static_cast<size_t>(w) * h * 4);
    const size_t rowBytes = static_cast<size_t>(w) * 4;
    for (int y = 0; y < h; ++y)
        std::memcpy(buffer.Bits.data() + y * rowBytes, layer.constScanLine(y), rowBytes);
}

bool StoreBits(PicturePane& pane, const PixelBuffer& buffer) {
    QImage& layer = pane.Layer();
    const int w = buffer.Width();
    const int h = buffer.Height();
    const size_t rowBytes = static_cast<size_t>(w) * 4;
    if (layer.width() != w || layer.height() != h || buffer.Bits.size() < rowBytes * h) return false;
    for (int y = 0; y < h; ++y)
        std::memcpy(layer.scanLine(y), buffer.Bits.data() + y * rowBytes, rowBytes);
    return true;
}

void ReleaseBits(PixelBuffer& buffer) {
    buffer.Bits.assign(4, 0);
    buffer.Bits.shrink_to_fit();
}

}  // namespace fennix
