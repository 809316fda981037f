#include "ui/controls/Theme.h"

namespace fennix::theme {

namespace {

// `colour` made lighter until it reads on a dark background (a lightness of
// at least 170 of 255), its hue kept.
QColor ReadableOnDark(QColor colour) {
    QColor hsl = colour.toHsl();
    if (hsl.lightness() < 170) hsl.setHsl(hsl.hue(), hsl.saturation(), 170, hsl.alpha());
    return hsl.toRgb();
}

}  // namespace

bool IsLight(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() >=
           palette.color(QPalette::WindowText).lightness();
}

Colours ColoursFor(const QPalette& palette) {
    if (IsLight(palette)) {
        return {kFace,
                kFaceBottom,
                QColor(0xF0, 0xF0, 0xF0),
                QColor(0xE0, 0xE0, 0xE0),
                kBorder,
                kHover,
                kText,
                kDisabledText,
                kPanel,
                kCaption,
                QColor(0xE8, 0xE8, 0xE8)};
    }
    const QColor button = palette.color(QPalette::Button);
    const QColor window = palette.color(QPalette::Window);
    Colours c;
    c.face = button.lighter(120);
    c.faceBottom = button;
    c.disabledFace = window;
    c.disabledFaceBottom = window;
    c.border = palette.color(QPalette::Light).lighter(130);
    c.hover = kHover;
    c.text = palette.color(QPalette::ButtonText);
    c.disabledText = palette.color(QPalette::Disabled, QPalette::ButtonText);
    if (c.disabledText == c.text) c.disabledText = c.text.darker(160);
    c.panel = window;
    c.caption = ReadableOnDark(palette.color(QPalette::Highlight));
    c.trough = palette.color(QPalette::Base);
    return c;
}

int32_t PanelColour(const QPalette& palette, int32_t specified) {
    if (IsLight(palette)) return specified;
    const QColor window = palette.color(QPalette::Window);
    return window.red() | (window.green() << 8) | (window.blue() << 16);
}

}  // namespace fennix::theme
