#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/MatrixRecord.h"
#include "model/ZoomScale.h"

namespace fennix {

// Making strokes (see Stroke): a curve drawn on each picture becomes point
// pairs along both, at the same fractions of each curve's length.

// The spacing of a stroke's points along its start curve, in pixels.
inline constexpr double kStrokeSpacing = 12.0;
// The most strokes a project holds, and the most points of one drawn curve.
inline constexpr int kMaxStrokes = 1000;
inline constexpr int kMaxCurvePoints = 100000;

// The points along both curves: the start curve's length divided into
// steps of about `spacing` (at least one; three for a closed curve), each
// step's end placed at the same fraction of the length on both curves and
// rounded to whole pixels (ties to even). An open curve's two ends are
// among them; a closed curve runs back to its first point, which is not
// repeated. A curve of one point gives that point; none for an empty one.
std::vector<FreePair> PlaceAlongCurves(const std::vector<Point>& startCurve,
                                       const std::vector<Point>& endCurve, bool closed,
                                       double spacing = kStrokeSpacing);

// The two sides of a stroke from two curves: their points PlaceAlongCurves
// gives, less those whose start point falls on a grid point, a free point
// or a point of another stroke of `start` (`skip` is a stroke left out of
// that, the one being redrawn), or on an earlier point of the same stroke.
struct StrokeSides {
    Stroke Start, End;
};
StrokeSides MakeStrokeSides(const MatrixRecord& start, const std::vector<Point>& startCurve,
                            const std::vector<Point>& endCurve, bool closed, int skip = -1);

// Adds a stroke of the two curves to both records, or when the pairs would
// not pass CheckFreePairs (the mesh folding, a segment that cannot be made
// an edge, fewer than two points) leaves the records as they were and
// tells why in Japanese. Returns the empty text on success.
std::string AddStroke(MatrixRecord& start, MatrixRecord& end, const std::vector<Point>& startCurve,
                      const std::vector<Point>& endCurve, bool closed);

// Draws side k (1 start, 2 end) of stroke n anew along `curve`: the points
// of both sides are placed again. As AddStroke, the records stay as they
// were when the result does not pass; empty text on success.
std::string RedrawStroke(MatrixRecord& start, MatrixRecord& end, int n, int k,
                         const std::vector<Point>& curve);

// Removes stroke n from both records; false for no such stroke.
bool RemoveStroke(MatrixRecord& start, MatrixRecord& end, int n);

// True when a drawn curve comes back to where it began: its last point
// within a tenth of its length (and 12 pixels at least) of its first, the
// curve at least 40 pixels long.
bool CurveLooksClosed(const std::vector<Point>& curve);

// The stroke of `matrix` whose line passes within 4 pane pixels of the
// pane position (x, y) at `zoom`, the last one drawn first; none when no
// line does.
std::optional<int> FindHitStroke(const MatrixRecord& matrix, double x, double y, ZoomScale zoom);

// The reason a set of strokes fails CheckFreePairs, naming the stroke
// (from 1) and the point; empty when it passes.
std::string StrokeFaultText(const MatrixRecord& start, const MatrixRecord& end);

// The text of a strokes file, as `fennix-morph new --strokes FILE` reads
// it: empty lines and lines whose first field starts with "#" are skipped;
// each stroke is a line "stroke" or "stroke closed", then its start curve's
// points "x y" one a line, a line "to", then its end curve's points. The
// numbers may have decimals and are rounded to whole pixels (ties to even).
// Lines end at LF, a CR before it counting as a blank.
struct StrokeCurves {
    std::vector<Point> Start, End;
    bool Closed = false;
    int Line = 0;  // the line (from 1) of its "stroke"
};

enum class StrokesFileFault {
    None,
    NotStroke,  // a line where "stroke" or "stroke closed" belongs
    NotPoint,   // a line that is not two numbers (each below 1e9 in size) or "to"
    NoTo,       // a stroke that ends before its "to"
    TooFew,     // a curve of no points
    TooMany,    // a stroke beyond kMaxStrokes, or a curve beyond kMaxCurvePoints
};

struct StrokesFile {
    std::vector<StrokeCurves> Strokes;
    StrokesFileFault Fault = StrokesFileFault::None;
    int FaultLine = 0;  // from 1; 0 for none
};

// The strokes of the text, or the first line that is not right (then no
// strokes).
StrokesFile ParseStrokesFile(std::string_view text);

// The fault in a few words of the interface's language.
std::string StrokesFileFaultText(StrokesFileFault fault);

}  // namespace fennix
