#pragma once

#include <QImage>
#include <optional>
#include <string>

namespace fennix {

// The largest picture side, in pixels, a metafile may ask for.
inline constexpr int kMaxWmfSide = 16384;

// Renders a Windows metafile (.wmf) onto a white background at its natural
// size: with a placeable header, its bounding box at 96 dots per inch;
// without one, its window extent taken as pixels (or, when it sets none, the
// extent of what it draws). Text is drawn with the standard PostScript fonts
// or, when those are not installed, with TrueType stand-ins, and is shrunk
// to at most 512 pixels. The image is 32-bit RGB. Nothing when the file is
// missing, is not a metafile, is cut short or damaged, asks for a side
// larger than kMaxWmfSide, or for more pixels than QImageReader's allocation
// limit lets a 32-bit picture have (checked before rendering).
std::optional<QImage> LoadWmfImage(const std::string& path);

}  // namespace fennix
