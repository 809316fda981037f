#pragma once

#include <QRegion>
#include <cstdint>
#include <optional>
#include <vector>

#include "media/PicturePane.h"
#include "model/MatrixEditing.h"
#include "model/MatrixRecord.h"
#include "model/MeshEdges.h"
#include "model/MorphDocument.h"
#include "model/ZoomScale.h"

namespace fennix {

// The largest distance from the origin, in pane pixels, of any position
// handed to the painter. Far beyond any pane, and well within what the
// painter's fixed-point rasteriser holds.
inline constexpr int kPaintLimit = (1 << 23) - 1;

// What the window adds to a grid's drawing beyond the record itself. The
// default adds nothing.
struct GridOverlay {
    // Edges drawn in place of the grid's cell outlines and diagonals (see
    // MeshEdgeCache); null: the grid's own lines.
    const std::vector<MeshEdge>* MeshEdges = nullptr;
    // The held grid point: its marker keeps the record's size at any density.
    GridIndex Held;
    // The chosen free pair: its square keeps the record's size and is filled
    // in the grid colour over the other squares.
    int ChosenFree = -1;
    // The grid point or free point under the pointer: shown at the record's
    // size, as the held one.
    GridIndex Hovered;
    int HoveredFree = -1;
    // The held point's partner in this picture: a marker of the record's
    // size in the grid colour over everything else, as DrawMarker draws it.
    std::optional<Point> PartnerMark;
};

// The overlay of picture k (1 start, 2 end) as the document stands: `edges`
// as the mesh edges, the point of that picture held, the chosen pair (while
// both records hold it) and, while a grid point of the other picture is
// held, its partner here.
GridOverlay DocumentOverlay(const MorphDocument& document, int k,
                            const std::vector<MeshEdge>* edges);

// Draws a grid over its image: clears the pane's drawing layer, draws a
// marker of radius PointerSize (in pane pixels, not zoomed) around every
// point at its pane position zoom.PanePos, then every cell outline and diagonal in
// MatrixColor over the markers, then each stroke as the line through its
// points in PointerColor edged in MatrixColor, then the free points' square
// markers (see DrawFreeMarker), and refreshes the pane. With an overlay, the
// mesh edges take the place of the lines, then the chosen free square is
// filled and the partner mark drawn.
// Where the points crowd together on the screen (PointSpacing), the markers
// and squares take MarkerLookFor's size, or are left out, but for the held
// point, the chosen pair and the points under the pointer; at an ordinary
// spacing they keep PointerSize.
// Positions and sizes from a damaged project (anything a 32-bit number
// holds) are computed in 64 bits. Where they reach past ±kPaintLimit, a
// marker wholly outside the pane is left out and any other marker is drawn
// in its box cut to that range; a line is cut to that range along its own
// direction, so what shows of it in the pane stays in place. Values within
// the range are drawn exactly as given.
void DrawMatrix(PicturePane& pane, const MatrixRecord& matrix, ZoomScale zoom,
                const GridOverlay& overlay = {});

// Redraws only `area` (pane pixels) of what DrawMatrix draws: the area is
// put back to the pane's picture and every marker and line reaching into it
// is drawn again, cut to the area, in DrawMatrix's order; then only the area
// is refreshed. The pixels come out as a whole DrawMatrix with the same
// overlay gives them.
void DrawMatrixArea(PicturePane& pane, const MatrixRecord& matrix, ZoomScale zoom,
                    const QRegion& area, const GridOverlay& overlay = {});

// The pane pixels a line from a to b covers, with a margin of two pixels, as
// PointArea gives them for one of its lines.
QRegion LineArea(Point a, Point b, ZoomScale zoom);

// The pane pixels that point (i, j) of the grid covers with its marker and
// the lines to its neighbours (a margin of one pixel around each), as a few
// thin strips along each line rather than one box, so that a dragged point
// repaints little more than what it changes. Empty for indices outside the
// grid.
QRegion PointArea(const MatrixRecord& matrix, int i, int j, ZoomScale zoom);

// The box of one marker of radius `size` around `point`, in pane pixels.
QRegion MarkerArea(Point point, int size, ZoomScale zoom);

// The box of a free point's square marker for a marker size `size`, and that
// square filled in `color` (a free point held or chosen), drawn as
// DrawMatrix draws free points (a square of half side size + 1, in the point
// colour outlined in the grid colour, over the lines), without clearing or
// refreshing the pane.
QRegion FreeMarkerArea(Point point, int size, ZoomScale zoom);
void DrawFreeMarker(PicturePane& pane, Point point, int size, ZoomScale zoom, int32_t color);

// Draws a curve (closed: back to its first point) three pixels wide in
// `color` over the pane and refreshes it: a stroke being drawn or chosen.
void DrawCurve(PicturePane& pane, const std::vector<Point>& curve, bool closed, ZoomScale zoom,
               int32_t color);

// Draws the filled marker of one point on `pane` (radius `size` around the
// point's pane position) in `color`, as DrawMatrix draws it, without
// clearing or refreshing the pane. Safe for any values, as DrawMatrix.
void DrawMarker(PicturePane& pane, Point point, int size, ZoomScale zoom, int32_t color);

}  // namespace fennix
