#pragma once

#include <QIcon>

namespace fennix {

// The small pictures on the program's tool buttons, drawn rather than
// loaded, so the program ships no icon files.
enum class Glyph { Folder, Play, Pause, Loop };

// A 16 × 16 icon of `glyph`.
QIcon GlyphIcon(Glyph glyph);

}  // namespace fennix
