#pragma once

#include <optional>

#include "model/MatrixEditing.h"
#include "model/MorphDocument.h"

namespace fennix {

// Dragging a control point of one of a document's two grids (k = 1 or 2)
// with the mouse. The document holds the point (SelectedI, SelectedJ of
// grid SelectedGrid) and the place it was pressed at (DragBackup); these functions decide what a
// press, a move and a release do, and the window redraws what they changed.
// Positions (x, y) are in pane pixels at the document's zoom.

// Takes the first point of grid k under (x, y): it becomes the held point
// and its place is kept in DragBackup. Returns that point, or none (and
// nothing held) when no point lies under the position.
GridIndex PressPoint(MorphDocument& document, int k, double x, double y);

// The partner of point `at` of grid k: the point of the same indices in the
// other grid. None when that grid, of other counts (from a project file),
// has no such point.
std::optional<Point> PartnerPoint(const MorphDocument& document, int k, GridIndex at);

// Moves the held point of grid k where a drag to (x, y) puts it over an
// image of imageWidth × imageHeight (see DragPosition). True when it moved.
bool MoveHeldPoint(MorphDocument& document, int k, double x, double y, int imageWidth,
                   int imageHeight);

// What letting go of a held point did.
struct PointRelease {
    enum Result { Unmoved, Moved, PutBack } result = Unmoved;
    GridIndex point;  // the point let go of
    Point from;       // where it was pressed
};

// Lets go of the held point of grid k at (x, y): it stays where it is
// unless it would cross its neighbours' lines there (see ReleaseAllowed) or,
// with free points, fold the mesh they share with the grid (one that was not
// folded before); then it goes back to where it was pressed. Afterwards no point is held
// and the document counts as changed. Nothing happens (and Unmoved with no
// point comes back) when no point is held.
PointRelease ReleaseHeldPoint(MorphDocument& document, int k, double x, double y);

// Puts a held point (a grid point or a free one) back where it was pressed,
// unchecked: its release will not come any more. Afterwards no point is held. True when a point went
// back.
bool DropHeldPoint(MorphDocument& document);

}  // namespace fennix
