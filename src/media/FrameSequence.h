#pragma once

#include <QDateTime>
#include <string>
#include <vector>

namespace fennix {

// The numbered frame files of one morph: "000", "001", … "999", "1000", …
// plus ".bmp" (kind 0) or ".jpg" (kind 1), in one folder. The sequence a
// viewer plays is the unbroken run of files from 000 up to the first one
// that cannot be loaded.

// The frame folder name for a run started at `when`: "yyyymmdd-hh-mm-ss".
std::string FrameFolderName(const QDateTime& when);

// Makes the frame folder of a run started at `when` inside `parent` and
// returns its path. Empty when it cannot be made: it exists already (a run
// in the same second), or `parent` cannot be written.
std::string MakeFrameFolder(const std::string& parent, const QDateTime& when);

// The file name of frame k: k with at least three digits, then ".bmp" for
// save kind 0 or ".jpg" for any other kind ("000.bmp", "1000.jpg").
std::string FrameFileName(int k, int saveKind);

// True for the name of a frame file: at least three digits, then ".bmp" or
// ".jpg" (any letter case).
bool IsFrameFileName(const std::string& name);

// True for a name this program gives a frame: exactly what FrameFileName
// makes for some k of either kind ("000.bmp", "042.jpg", "1000.bmp"), so
// not "0042.jpg" (a fourth digit only from 1000 on) nor "000.BMP".
bool IsWrittenFrameName(const std::string& name);

// The order of frame files: names whose part before the last "." is all
// digits by that number ("999.bmp" before "1000.bmp"), equal numbers by
// FileNameLess; every other name after them, by FileNameLess.
bool FrameOrderLess(const std::string& a, const std::string& b);

// The names of the frame files in `folder` (regular files only), in frame
// order (FrameOrderLess).
// Empty when there are none or the folder cannot be read.
std::vector<std::string> ListFrameFiles(const std::string& folder);

inline constexpr int kBitmapFrames = 0;
inline constexpr int kJpegFrames = 1;

// The frame kind a SaveKind setting stands for: 0 is bitmap frames, every
// other value JPEG frames (the morph run writes JPEG for any nonzero kind).
int FrameKindFromSaveKind(int saveKind);

// `folder` with a trailing separator ("/" added unless it already ends in
// one, see EndsInSeparator). An empty folder stays empty.
std::string WithTrailingSeparator(std::string folder);

// The path of frame `index` of `kind` in `folder`. Empty when the folder is
// empty or the index is negative: such a frame never exists.
std::string FramePath(const std::string& folder, int index, int kind);

// The kind of the sequence in `folder`: kBitmapFrames when "000.bmp" exists
// (also when "000.jpg" exists beside it), kJpegFrames when only "000.jpg"
// exists, -1 when neither does.
int FolderFrameKind(const std::string& folder);

// The index of the last frame of `kind` in `folder` that follows 000
// without a gap (what a run through the folder shows); -1 when there is no
// frame 000.
int LastFrameIndex(const std::string& folder, int kind);

}  // namespace fennix
