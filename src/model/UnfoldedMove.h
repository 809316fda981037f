#pragma once

#include <vector>

#include "model/MatrixRecord.h"

namespace fennix {

// Moving many points of a grid at once without folding it: what a hand drag
// checks point by point (ReleaseAllowed), for a whole grid of new places.

// True when every triangle of the grid (as BuildTriangles cuts it) keeps
// the orientation it has in the regular grid and none is flat: the mesh
// has no fold. A grid whose point counts do not match Rows and Columns
// counts as folded.
bool GridUnfolded(const MatrixRecord& matrix);

// A place a point is asked to go to, in image pixels (fractions allowed).
struct PointTarget {
    double X = 0;
    double Y = 0;
};

// What MoveUnfolded did.
struct UnfoldedMoveResult {
    int moved = 0;     // points that went exactly where they were asked
    int heldBack = 0;  // points that stopped short, or stayed, to keep the mesh unfolded
};

// Moves the points of `matrix` towards `targets` (one a point, row by row:
// index (j − 1)·(Rows + 1) + (i − 1)) as a hand drag would: corners stay,
// border points slide only along their border, every place is kept within
// 0 … Width, 0 … Height and rounded to whole pixels. A point whose place
// would fold the mesh stops at the nearest place on its way there that does
// not. The result is always unfolded: when the grid was folded to begin
// with, the way starts from the regular grid instead. Targets of the wrong
// count leave the grid as it is.
UnfoldedMoveResult MoveUnfolded(MatrixRecord& matrix, const std::vector<PointTarget>& targets);

}  // namespace fennix
