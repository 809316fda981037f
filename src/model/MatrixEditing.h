#pragma once

#include <QImage>
#include <vector>

#include "model/MatrixRecord.h"
#include "model/ZoomScale.h"

namespace fennix {

// The geometry of the grid editor, kept apart from the window so that it can
// be checked on plain records. Positions named "pane" are in pixels of the
// zoomed picture; stored points are in pixels of the unzoomed image. How a
// zoom maps one to the other, also for the fractional ones, is ZoomScale's.

// True when (x, y) lies strictly inside the circle of radius r around
// (pointX, pointY): (y − pointY)² + (x − pointX)² < r². Computed in 64 bits,
// so no position can overflow.
bool HitPoint(int x, int y, int pointX, int pointY, int r);

// The indices (i, j) of a grid point; -1, -1 for none.
struct GridIndex {
    int I = -1;
    int J = -1;
    bool Found() const { return I != -1; }
    friend bool operator==(const GridIndex&, const GridIndex&) = default;
};

// The point under the pane position (x, y): x and y are rounded ties to even,
// then the points are searched with j outer and i inner and the first whose
// marker (radius PointerSize around the point's pane position
// zoom.PanePos) holds the position is taken. None found gives {-1, -1}.
GridIndex FindHitPoint(const MatrixRecord& matrix, double x, double y, ZoomScale zoom);

// Where point (i, j) goes while it is dragged to pane position (x, y) over an
// image of imageWidth × imageHeight shown at `zoom`: the image position
// zoom.ImagePos of each coordinate, kept within 0 … the image's size, with
// border points on their border (corners therefore never move). For the
// whole zooms this is the position kept within the pane, divided by the
// zoom and rounded ties to even.
Point DragPosition(const MatrixRecord& matrix, int i, int j, double x, double y, int imageWidth,
                   int imageHeight, ZoomScale zoom);

// Even-odd point-in-polygon test on integer points. A point on the outline
// counts as inside. Fewer than three corners hold no point.
bool InsidePolygon(const std::vector<Point>& polygon, Point p);

// The six neighbours of inner point (i, j) in outline order: (i−1, j−1),
// (i, j−1), (i+1, j), (i+1, j+1), (i, j+1), (i−1, j). They are the far
// corners of the six triangles that share the point.
std::vector<Point> NeighbourHexagon(const MatrixRecord& matrix, int i, int j);

// Whether point (i, j), released at the unclamped pane position (x, y), keeps
// its new place without crossing the lines to its neighbours:
// - inner point: the image position (zoom.ImagePos(x), zoom.ImagePos(y))
//   lies inside its neighbour hexagon (even-odd rule);
// - top or bottom border point: zoom × X(i−1, j) ≤ x ≤ zoom × X(i+1, j);
// - left or right border point: zoom × Y(i, j−1) ≤ y ≤ zoom × Y(i, j+1);
//   (zoom × value being the exact pane position zoom.PaneExact);
// - corner: always.
// Indices outside the grid give false.
bool ReleaseAllowed(const MatrixRecord& matrix, int i, int j, double x, double y,
                    ZoomScale zoom);

// Whether a grid of rows × columns cells fits an image of width × height
// with cells of at least 5 pixels each way (fractional division). Counts
// below 1 never fit.
bool GridCountsFit(int width, int height, int rows, int columns);

// The image enlarged `zoom` times by pixel repetition: every pixel becomes a
// zoom × zoom block of its colour. A zoom below 1 counts as 1.
QImage RepeatPixels(const QImage& image, int zoom);

// The picture as a pane shows it at `zoom`: itself at 100 %, pixels
// repeated at the whole zooms, smoothly scaled to the pane's size below.
QImage ImageAtZoom(const QImage& image, ZoomScale zoom);

}  // namespace fennix
