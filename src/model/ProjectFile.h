#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Translation.h"
#include "model/MatrixRecord.h"
#include "model/RunOptions.h"

namespace fennix {

// The project file (.mph): one value per line, no header. Line 1 is a folder
// (a quoted string), line 2 the last frame index, then one block per matrix,
// then the background colour. A matrix block is PointerColor, PointerSize,
// ImagePath (quoted), Rows, Columns, Height, the points (for j = 1 … Columns+1,
// for i = 1 … Rows+1: X line, Y line), Width, MatrixColor. Strings are written
// between double quotes without any escaping; integers in decimal with a
// leading "-" when negative. Files are written in UTF-8 with CR LF after every
// line; files from the Windows program (cp932, CR LF) read as well. File
// names are bytes: a path that is not UTF-8 is stored as its bytes and found
// again by them when the file is read.
//
// What this program stores beyond those lines goes into a block after the
// background colour, which readers of the plain format never reach (they
// stop at the background colour). A project whose additions are all at
// their defaults has no block: its file is the plain format, line for
// line. The block:
//
//   [fennix-additions]       marker: the first line after the background colour
//   version=1                the block's format; a later one is refused
//   [run]                    section: run options, each key at most once
//   hold-start=N             0 … 100000 (default 0)
//   hold-end=M               0 … 100000 (default 0)
//   ease=in-out              linear, in, out or in-out (default linear)
//   colour-ease=in           the dissolve's own curve (default: ease's)
//   quality=smooth           standard or smooth (default standard; written
//                            only when smooth)
//   [points]                 section: the free point pairs (none without it)
//   count=N                  1 … kMaxFreePairs
//   x1 y1 x2 y2              N lines: a start point and its end partner,
//                            whole numbers within their pictures
//                            (0 … Width, 0 … Height of their records);
//                            the set passes CheckFreePairs (no start point
//                            on a grid point or another's, the mesh not
//                            folding), else it is damage of the pair's line
//   [face-points]            section: which free point pairs the automatic
//                            fit placed on face landmarks (a later fit
//                            replaces them and keeps the others)
//   count=N                  1 … kMaxFreePairs
//   x1 y1 x2 y2              N lines, as in [points]; a pair no longer among
//                            the free points is not written
//   [fit-points]             section: which free point pairs the automatic
//                            fit added where the grid alone was too coarse
//                            (every later fit replaces them)
//   count=N                  1 … kMaxFreePairs
//   x1 y1 x2 y2              N lines, as [face-points]
//   [strokes]                section: matched curves (see Stroke)
//   count=N                  1 … kMaxStrokes
//   stroke closed S E P      N times: open or closed, the numbers of points
//                            of the start curve and the end curve (1 …
//                            kMaxCurvePoints) and of the stroke's pairs
//                            (2 …; all strokes' at most kMaxFreePairs),
//   x y                      then S and E lines of the curves' points
//                            (within their pictures)
//   x1 y1 x2 y2              and P lines of the pairs, as in [points];
//                            with the free pairs the set passes
//                            CheckFreePairs, else it is damage of the
//                            stroke's line
//   [end]                    closes the block; only empty lines follow
//
// The marker is the first line after the background colour that is not
// blank; blanks around the marker and the section names are allowed. A line
// there that is a damaged marker (a NUL or other bytes among its letters) is
// refused as damage; any other text there is ignored as it always was.
// Sections appear at most once each, in any order; empty lines are
// skipped. An unknown section or key, a value out of range, a repeated key
// or a block without its end is refused as damage: a file that cannot be
// read whole is never half read (and then saved without what was lost).

// The most free point pairs a project holds.
inline constexpr int kMaxFreePairs = 10000;

// What a project holds beyond the plain format's lines (see above); the
// free points are in the two records' FreePoints.
struct ProjectAdditions {
    RunOptions Run;
    // The free point pairs the automatic fit placed on face landmarks.
    std::vector<FreePair> FacePairs;
    // The free point pairs the automatic fit added where the grid alone was
    // too coarse to follow the pictures (a later fit replaces them).
    std::vector<FreePair> DetailPairs;
    bool IsDefault() const { return Run.IsDefault() && FacePairs.empty() && DetailPairs.empty(); }
    friend bool operator==(const ProjectAdditions&, const ProjectAdditions&) = default;
};

// Everything a project file holds.
struct MorphProject {
    // As written: the folder text of line 1. As read: that folder when a
    // directory exists there, otherwise ApplicationFolder() + "/".
    std::string Folder;
    int32_t LastFrame = 0;
    MatrixRecord Matrix1;
    MatrixRecord Matrix2;
    int32_t BackgroundColor = 0;
    ProjectAdditions Additions;

    friend bool operator==(const MorphProject&, const MorphProject&) = default;
};

// The start of LoadMorphFile's message for an image that cannot be found.
inline constexpr const char* kImageMissingMessage =
    TrMark("ProjectFile", "画像ファイルが無効です。");

// Writes the project file at `path`. Returns empty text on success, otherwise
// "保存できませんでした。" followed by the path.
// The whole file is first written to a new file beside the target and flushed
// to disk, and only then renamed over the target, so a failed save (missing
// folder, full disk, target is a folder) leaves an existing file untouched
// and no temporary file behind. A symbolic link at `path` is followed: the
// file it points to is replaced, the link stays. A `folder` or ImagePath
// holding a line break cannot be stored (the reader would take it apart);
// such a save fails without writing anything, and so does a record whose Rows
// or Columns are below 1 or whose Points are smaller than (Rows+1) ×
// (Columns+1).
// A `path` that is the very file of either ImagePath (links and hard links
// followed) is refused, nothing written: the message then goes on, after a
// line break, to name that picture.
// `reason`, when given, receives a short English reason on failure.
// `additions` other than the defaults and the free point pairs of m1 and m2
// are written in the block after the plain lines.
std::string SaveMorphFile(const std::string& path, const MatrixRecord& m1, const MatrixRecord& m2,
                          const std::string& folder, int32_t lastFrame, int32_t backgroundColor,
                          std::string* reason = nullptr, const ProjectAdditions& additions = {});

// The file a save under the name `chosen` writes: the name itself when it
// ends in ".mph", otherwise the name with ".mph" added.
std::string ProjectFileTarget(const std::string& chosen);

// Reads the project file at `path` into `project`. Returns empty text on
// success. Each ImagePath is resolved: when no file exists at the stored
// path, the file with the same name beside the project file is taken (so a
// project moved together with its images still opens, Windows paths
// included); when neither exists the result is "画像ファイルが無効です。"
// followed by the path as stored.
// A path that is no regular file (a folder, pipe or device), a file that
// cannot be read, is larger than 16 MB or has a line longer than 8 KB, ends early, holds something other than a 32-bit number
// where a number belongs (a fraction is rounded ties to even), or has Rows
// or Columns below 1 or more points than lines left in the file gives "モーフィングファイルを読み込めませんでした。" followed by the path.
// Lines after the background colour are ignored unless they start with the
// additions block, which is read into project.Additions and the records'
// FreePoints (the defaults and none without one); a damaged block gives "モーフィングファイルの追加情報が壊れています
// （L 行目：why）。" followed by the path. On any failure `project` is left
// exactly as it was.
std::string LoadMorphFile(const std::string& path, MorphProject& project);

}  // namespace fennix
