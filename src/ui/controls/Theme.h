#pragma once

#include <QColor>

namespace fennix::theme {

// The colours every control of the program shares, so all windows look alike.
inline const QColor kFace(0xF4, 0xF6, 0xFA);        // button face, top
inline const QColor kFaceBottom(0xD8, 0xDE, 0xEA);  // button face, bottom
inline const QColor kBorder(0x5A, 0x6E, 0x96);      // outlines
inline const QColor kHover(0xFF, 0xE8, 0xA8);       // hover glow
inline const QColor kText(0x1E, 0x28, 0x3C);
inline const QColor kDisabledText(0x9A, 0xA0, 0xAA);
inline const QColor kPanel(224, 224, 224);          // dialog panels
inline const QColor kCaption(0x2C, 0x4A, 0x86);     // frame captions

}  // namespace fennix::theme
