#pragma once

#include <string_view>
#include <vector>

#include "model/MatrixRecord.h"

namespace fennix {

// The text of a points file, as `fennix-morph new --points FILE` reads it:
// one pair a line, "x1 y1 x2 y2" (a start point and its end partner),
// numbers separated by blanks and rounded to whole pixels (ties to even);
// empty lines and lines whose first field starts with "#" are skipped.
// Lines end at LF, a CR before it counting as a blank. At most
// kMaxFreePairs pairs.
//
// Only the form is read here; whether the pairs fit the pictures and the
// grid is for CheckFreePairs, on the whole set at once.

enum class PointsFileFault {
    None,
    NotFourNumbers,  // a line that is not four numbers (each below 1e9 in size)
    TooMany,         // a pair beyond kMaxFreePairs
};

struct PointPairs {
    std::vector<Point> Start, End;
    // The line (from 1) each pair stands on.
    std::vector<int> Lines;
    // What stopped the reading, and on which line (from 1; 0 for none).
    PointsFileFault Fault = PointsFileFault::None;
    int FaultLine = 0;
};

// The pairs of the text, or the first line that is not one (then no pairs).
PointPairs ParsePointPairs(std::string_view text);

}  // namespace fennix
