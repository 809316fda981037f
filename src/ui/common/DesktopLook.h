#pragma once

#include <QStringList>

namespace fennix {

// The family Japanese text falls back to where the desktop's font has no
// Japanese glyphs (half-width katakana included).
inline constexpr const char* kJapaneseFallbackFamily = "IPAGothic";

// The font families of the interface, in the order Qt looks for a glyph:
// the desktop's font first (English and everything it has glyphs for look
// as in every other program), then, where that font has no Japanese and
// the fallback is installed, the fallback for Japanese text.
QStringList InterfaceFontFamilies(const QString& desktopFamily, bool desktopHasJapanese,
                                  bool fallbackInstalled);

// Gives the application the desktop's font (its family and size) with the
// Japanese fallback behind it (see InterfaceFontFamilies). Called once the
// application object exists.
void UseDesktopFont();

}  // namespace fennix
