#pragma once

#include <QImage>
#include <QSizeF>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fennix {

// The hand-over values of the AVI dialog: its mode, set by the opener
// (0 create an AVI, 1 choose a frame folder, 2 choose an AVI to play), and
// the file the AVI player plays.
extern int FolderDialogMode;
extern std::string AviPlayPath;

inline constexpr const char* kFramePatterns = "*.bmp;*.jpg";
inline constexpr const char* kAviPatterns = "*.avi";
inline constexpr const char* kAviTempName = "AVI_Temp.bmp";

// True when `name` matches one of the ";"-separated patterns ("*" and "?"
// wildcards, letters compared without regard to case).
bool MatchesPatterns(const std::string& name, const std::string& patterns);

// The order of the file list: names compared letter by letter without
// regard to case, so "100.bmp" < "1000.bmp" < "101.bmp".
bool FileNameLess(const std::string& a, const std::string& b);

// The names of the regular files of `folder` that match `patterns`, in file
// list order. Empty when the folder cannot be read.
std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& patterns);

// The frame files of `folder` as a video packs them: the regular files
// that match kFramePatterns, in frame order (FrameOrderLess), so "1000.bmp"
// follows "999.bmp". Empty when the folder cannot be read.
std::vector<std::string> ListFrameFolder(const std::string& folder);

// True when the folder holds the first frame of a sequence, "000.bmp" or
// "000.jpg".
bool HasFirstFrame(const std::string& folder);

// True when `output` is the very file of one of `frames` (links
// followed): writing a video there would replace that frame.
bool IsOneOfFrames(const std::string& output, const std::vector<std::string>& frames);

// The frame of `frames` that is the very file of `output` (links and hard
// links followed); empty when there is none.
std::string FrameAtOutput(const std::string& output, const std::vector<std::string>& frames);

// A size or rate field as a 16-bit integer: the number rounded to the
// nearest whole number, halves to the even one. Nothing when the text is not
// a number or lies outside the 16-bit range.
std::optional<int16_t> FieldToInt16(const std::string& text);

// The stream's frame rate: `rate` clamped to 1 … 30.
int ClampFrameRate(int rate);

// The preview of a w × h picture: 93 on the longer side (the height for a
// square), the other side in proportion, unrounded; 0 × 0 for an empty size.
QSizeF PreviewSize(int width, int height);

// PreviewSize rounded to whole pixels, halves to the even value.
QSize PreviewPixels(int width, int height);

// The largest output frame, in bytes at 32 bits per pixel: the bound Qt's
// image reader puts on a decoded picture by default (256 MB, 8192 × 8192).
inline constexpr int64_t kMaxFrameBytes = int64_t{256} << 20;

// True when frames of width × height can be made: both sides positive and
// the frame within kMaxFrameBytes. A size beyond it (a slip such as 32000
// for 320) would allocate gigabytes for every frame and write a scratch
// bitmap of that size to disk.
bool FrameSizeAllowed(int width, int height);

// `source` stretched to exactly width × height (aspect not kept), sampling
// the nearest pixel. A null image, with nothing allocated, when the size is
// not FrameSizeAllowed or the source is null.
QImage StretchFrame(const QImage& source, int width, int height);

// The scratch bitmap of the AVI writer: scratch folder + "/AVI_Temp.bmp".
std::string AviTempPath();

}  // namespace fennix
