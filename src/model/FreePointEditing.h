#pragma once

#include <QRegion>
#include <optional>

#include "model/MorphDocument.h"
#include "model/PointDrag.h"

namespace fennix {

// Editing the free point pairs of a document with the mouse. Positions
// (x, y) are in pane pixels at the document's zoom, as for grid points; a
// free point's marker has the grid points' size.

// The free point of grid k under (x, y), the last one drawn first; none
// when no marker holds the position.
std::optional<int> FindHitFreePoint(const MatrixRecord& matrix, double x, double y, ZoomScale zoom);

// Adds a pair at the place (x, y) of picture k, kept within the picture of
// imageWidth × imageHeight and the grid's Width × Height (where a project
// file keeps free points): that point, and its partner where the current
// mesh takes it in the other picture, so the warp stays as it was. Refused
// (none) where the mesh holds no such place or where the pairs would not
// pass CheckFreePairs (a fold only when the mesh did not fold before). The
// new pair is chosen; returns its index.
std::optional<int> AddFreePair(MorphDocument& document, int k, double x, double y, int imageWidth,
                               int imageHeight);

// Removes pair n; false for no such pair. The choice goes.
bool RemoveFreePair(MorphDocument& document, int n);

// Takes free point n of grid k: it becomes the held point (see
// MorphDocument) and the chosen pair, its place kept in DragBackup.
void HoldFreePoint(MorphDocument& document, int k, int n);

// The held free point, when one of grid k is held; none otherwise.
std::optional<int> HeldFreePoint(const MorphDocument& document, int k);

// Moves the held free point of grid k to where a drag to (x, y) puts it,
// kept within the picture and the grid's Width × Height. True when it moved.
bool MoveHeldFreePoint(MorphDocument& document, int k, double x, double y, int imageWidth,
                       int imageHeight);

// Lets go of the held free point of grid k: it stays unless the pairs then
// fail CheckFreePairs (on a grid point or another start point; folding the
// mesh, which did not fold before); then it goes back. The document
// counts as changed. `point.I` of the result is the pair's index.
PointRelease ReleaseHeldFreePoint(MorphDocument& document, int k);

// The pane pixels free point n of grid k covers with its marker.
QRegion FreePointArea(const MatrixRecord& matrix, int n, ZoomScale zoom);

}  // namespace fennix
