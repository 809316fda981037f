#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace fennix::theme {

// The colours every control of the program shares, so all windows look
// alike. Under a light palette (the desktop's default) they are the
// program's own, fixed ones; under a dark palette they come from the
// palette, so buttons are dark and captions stay readable on the window.
struct Colours {
    QColor face;          // button face, top
    QColor faceBottom;    // button face, bottom
    QColor disabledFace;  // a disabled button's face, top
    QColor disabledFaceBottom;
    QColor border;  // outlines
    QColor hover;   // hover glow
    QColor text;    // a button's caption
    QColor disabledText;
    QColor panel;    // the light grey panels behind pictures
    QColor caption;  // frame captions, focus marks
    QColor trough;   // a progress bar's empty part
};

// True when `palette` is a light one: its window colour is lighter than
// its window text.
bool IsLight(const QPalette& palette);

// The colours for `palette` (see Colours).
Colours ColoursFor(const QPalette& palette);

// The back colour (packed RGB) of a panel the program gives `specified`
// (its light grey): that colour under a light palette, the palette's
// window under a dark one, so the texts on the panel stay readable.
int32_t PanelColour(const QPalette& palette, int32_t specified);

// The program's own colours, those of a light palette.
inline const QColor kFace(0xF4, 0xF6, 0xFA);
inline const QColor kFaceBottom(0xD8, 0xDE, 0xEA);
inline const QColor kBorder(0x5A, 0x6E, 0x96);
inline const QColor kHover(0xFF, 0xE8, 0xA8);
inline const QColor kText(0x1E, 0x28, 0x3C);
inline const QColor kDisabledText(0x9A, 0xA0, 0xAA);
inline const QColor kPanel(224, 224, 224);
inline const QColor kCaption(0x2C, 0x4A, 0x86);

}  // namespace fennix::theme
