#pragma once

#include <QColor>
#include <string>

namespace fennix::test {

// The colour of frame `index` in the test sequences; distinct for 0 … 11.
QColor FrameColor(int index);

// Writes frames first … last as real image files named as the morph run
// names them, each filled with FrameColor(index): bitmaps for kind 0, JPEG
// files otherwise.
void WriteFrames(const std::string& folder, int first, int last, int kind, int width = 4,
                 int height = 3);

// The frame whose colour `pixel` has (JPEG colours within a small
// tolerance), or -1.
int FrameIndexOfColor(QRgb pixel);

}  // namespace fennix::test
