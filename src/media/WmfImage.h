#pragma once

#include <QImage>
#include <optional>
#include <string>

#include "media/ImageFile.h"

namespace fennix {

// The largest picture side, in pixels, a metafile may ask for.
inline constexpr int kMaxWmfSide = 16384;

// The most pixels a metafile is rendered with: 16 megapixels (4096 × 4096,
// 64 MB at 32 bits). A few hundred bytes of metafile can ask for any size up
// to kMaxWmfSide on each side; a picture beyond the budget is rendered
// smaller, its aspect kept, so that rendering takes neither gigabytes nor
// many seconds.
inline constexpr int64_t kWmfPixelBudget = int64_t{4096} * 4096;

// The most records a metafile may have. Real drawings have some thousands;
// a file of a million tiny records would keep libwmf busy for minutes.
inline constexpr int64_t kWmfRecordBudget = 100'000;

// The most drawing work reading a metafile may ask of libwmf's painter, in
// pixel operations: each pixel its fills, lines, pens, patterns, bitmaps and
// text touch (inside the picture or not: the painter clips nothing), the
// background included. Every drawing call is weighed before it is made, so
// a few bytes asking for a fill a thousand times the picture, a pen
// hundreds of pixels wide along long lines, or the same fill over and over
// are refused after at most this much work (about 0.4 s on the machine it
// was measured on) instead of seconds or minutes. Clearing a 4096 × 4096
// picture costs 34 million, each fill of its whole area 17 million; a
// 1000 × 700 drawing can fill itself over a hundred times.
inline constexpr int64_t kWmfWorkBudget = 100'000'000;

// The most processor time, in milliseconds, reading and drawing a metafile
// may take; a drawing still unfinished then is refused. Processor time of
// the reading thread, so a busy machine does not refuse a simple drawing; a
// last guard behind kWmfWorkBudget, checked between records.
inline constexpr int kWmfTimeBudgetMs = 500;

// The budgets a metafile is read within; tests give smaller ones.
struct WmfLimits {
    int64_t pixels = kWmfPixelBudget;
    int64_t records = kWmfRecordBudget;
    int64_t work = kWmfWorkBudget;
};

// The size a metafile of natural size `natural` is rendered at: `natural`
// itself within `pixelBudget` pixels, otherwise scaled down evenly until it
// fits (each side at least 1 pixel).
QSize WmfRenderSize(QSize natural, int64_t pixelBudget = kWmfPixelBudget);

// Renders a Windows metafile (.wmf) onto a white background at its natural
// size: with a placeable header, its bounding box at 96 dots per inch;
// without one, its window extent taken as pixels (or, when it sets none, the
// extent of what it draws); a natural size beyond kWmfPixelBudget is
// rendered at WmfRenderSize. Only a regular file is opened (see
// LoadImageFile); the path is the file name's own bytes. Text is drawn with
// the standard PostScript fonts or, when those are not installed, with
// TrueType stand-ins, and is shrunk to at most 512 pixels. The image is
// 32-bit RGB. Nothing when the file is missing or not a regular file, is not
// a metafile, is cut short or damaged, or asks for a side larger than
// kMaxWmfSide, or holds a bitmap larger than its record, and when it has
// more than kWmfRecordBudget records (refused before anything is drawn), or
// asks for more than kWmfWorkBudget of drawing work (refused before the
// call that would pass it is made) or takes more than kWmfTimeBudgetMs to
// draw; `why`, when given, then says which (TooLarge for such a side or a
// file above 256 MB, TooComplex for a budget exceeded). `limits` replaces
// the budgets; `work`, when given, receives the drawing work done.
std::optional<QImage> LoadWmfImage(const std::string& path, ImageFailure* why = nullptr,
                                   const WmfLimits& limits = {}, int64_t* work = nullptr);

}  // namespace fennix
