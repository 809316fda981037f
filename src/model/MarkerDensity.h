#pragma once

#include <cstdint>

#include "model/MatrixRecord.h"
#include "model/ZoomScale.h"

namespace fennix {

// How the point markers of a grid are drawn, so that the picture stays
// visible where the points lie close together on the screen.
struct MarkerLook {
    // The radius the markers are drawn with (the record's own size, or less).
    int32_t Size = 0;
    // False: the markers are left out, but for the held and chosen points,
    // which always show at the record's own size.
    bool Shown = true;
    friend bool operator==(const MarkerLook&, const MarkerLook&) = default;
};

// A marker's width (2 · radius + 1) may take up a third of the spacing of
// the points.
inline constexpr double kMarkerRoom = 3.0;
// The smallest radius drawn below the record's own: a dot that the lines
// crossing it (drawn over the markers) leave visible.
inline constexpr double kSmallestMarker = 2;

// The look of markers of radius `size` on points `spacing` pane pixels
// apart: the record's own size while a marker's width (2 · size + 1) times
// kMarkerRoom fits in the spacing; below that the largest radius that fits,
// down to kSmallestMarker (a dot); where not even a dot fits, hidden. A
// size below 0 draws as its opposite does; a spacing that is not a number
// counts as 0.
MarkerLook MarkerLookFor(int32_t size, double spacing);

// The typical distance in pane pixels at `zoom` between neighbouring points
// of the grid: the square root of the area of the box around the grid points
// shared out among its cells and free points (the side of a cell for a
// regular grid; each free point counts as one cell more, as it adds two
// triangles). Infinite for a grid with no points or no cells.
double PointSpacing(const MatrixRecord& matrix, ZoomScale zoom);

// MarkerLookFor of the record's size at its PointSpacing.
MarkerLook MarkerLookOf(const MatrixRecord& matrix, ZoomScale zoom);

// True when the record's markers are not drawn at its own size (so the held
// point's marker differs from the others').
bool MarkersReduced(const MatrixRecord& matrix, ZoomScale zoom);

}  // namespace fennix
