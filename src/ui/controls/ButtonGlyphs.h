#pragma once

#include <QColor>
#include <QIcon>

namespace fennix {

// The small pictures on the program's tool buttons, drawn rather than
// loaded, so the program ships no icon files.
enum class Glyph { Folder, Play, Pause, Loop };

// The ink of the pause and loop glyphs on the program's light buttons.
inline const QColor kGlyphInk(40, 70, 120);

// A 16 × 16 icon of `glyph`, drawn in `ink` where it has no colour of its
// own; drawn for screens of one and of two device pixels per pixel, so it
// stays sharp on both.
QIcon GlyphIcon(Glyph glyph, const QColor& ink = kGlyphInk);

}  // namespace fennix
