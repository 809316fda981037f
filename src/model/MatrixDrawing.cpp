#include "model/MatrixDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/FreeMesh.h"
#include "model/MarkerDensity.h"
#include "model/PointDrag.h"

namespace fennix {

namespace {

constexpr int64_t kLimit = kPaintLimit;

bool WithinLimit(int64_t v) {
    return v >= -kLimit && v <= kLimit;
}

// Draws the marker box (x − s, y − s) … (x + s, y + s) filled. All values are
// exact in 64 bits; a box beyond the painter's range is left out when it
// misses the pane and cut to the range otherwise.
void Marker(PaneDrawing& draw, int64_t x, int64_t y, int64_t s, int64_t paneWidth,
            int64_t paneHeight, int32_t color) {
    int64_t x1 = x - s, y1 = y - s, x2 = x + s, y2 = y + s;
    if (!WithinLimit(x1) || !WithinLimit(y1) || !WithinLimit(x2) || !WithinLimit(y2)) {
        if (std::max(x1, x2) < 0 || std::max(y1, y2) < 0 || std::min(x1, x2) >= paneWidth ||
            std::min(y1, y2) >= paneHeight)
            return;
        x1 = std::clamp(x1, -kLimit, kLimit);
        y1 = std::clamp(y1, -kLimit, kLimit);
        x2 = std::clamp(x2, -kLimit, kLimit);
        y2 = std::clamp(y2, -kLimit, kLimit);
    }
    draw.FilledEllipse(static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
                       static_cast<int>(y2), color);
}

// Draws the line (x1, y1) – (x2, y2). A line reaching beyond the painter's
// range is cut to the square ±kLimit (Liang–Barsky, in double), so its
// direction stays; a line wholly outside that square is left out.
void Segment(PaneDrawing& draw, int64_t x1, int64_t y1, int64_t x2, int64_t y2, int32_t color) {
    if (WithinLimit(x1) && WithinLimit(y1) && WithinLimit(x2) && WithinLimit(y2)) {
        draw.Line(static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
                  static_cast<int>(y2), color);
        return;
    }
    const double ax = static_cast<double>(x1), ay = static_cast<double>(y1);
    const double dx = static_cast<double>(x2) - ax, dy = static_cast<double>(y2) - ay;
    const double limit = static_cast<double>(kLimit);
    double t0 = 0, t1 = 1;
    // Each edge of the square: p · t ≤ q keeps the point inside.
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax + limit, limit - ax, ay + limit, limit - ay};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0) return;  // parallel to this edge and outside it
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return;
    }
    auto at = [&](double origin, double delta, double t) {
        return static_cast<int>(std::clamp(std::nearbyint(origin + t * delta), -limit, limit));
    };
    draw.Line(at(ax, dx, t0), at(ay, dy, t0), at(ax, dx, t1), at(ay, dy, t1), color);
}

// Draws the grid's markers and lines on `draw`, all of them or, with
// `within`, only those whose box reaches into it.
void DrawGrid(PaneDrawing& draw, const PicturePane& pane, const MatrixRecord& matrix,
              ZoomScale zoom, const QRect* within, const GridOverlay& overlay) {
    const int64_t s = matrix.PointerSize;
    const MarkerLook look = MarkerLookOf(matrix, zoom);
    const auto& p = matrix.Points;
    const auto reaches = [within](int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
        if (!within) return true;
        return std::max(x1, x2) >= within->left() && std::min(x1, x2) <= within->right() &&
               std::max(y1, y2) >= within->top() && std::min(y1, y2) <= within->bottom();
    };

    for (int j = 1; j <= matrix.Columns + 1; ++j)
        for (int i = 1; i <= matrix.Rows + 1; ++i) {
            const bool held = (overlay.Held.I == i && overlay.Held.J == j) ||
                              (overlay.Hovered.I == i && overlay.Hovered.J == j);
            if (!held && !look.Shown) continue;
            const int64_t size = held ? s : look.Size;
            const int64_t x = zoom.PanePos(p(i, j).X), y = zoom.PanePos(p(i, j).Y);
            if (reaches(x - size, y - size, x + size, y + size))
                Marker(draw, x, y, size, pane.Width(), pane.Height(), matrix.PointerColor);
        }

    auto line = [&](const Point& a, const Point& b) {
        const int64_t x1 = zoom.PanePos(a.X), y1 = zoom.PanePos(a.Y);
        const int64_t x2 = zoom.PanePos(b.X), y2 = zoom.PanePos(b.Y);
        if (reaches(std::min(x1, x2) - 1, std::min(y1, y2) - 1, std::max(x1, x2) + 1,
                    std::max(y1, y2) + 1))
            Segment(draw, x1, y1, x2, y2, matrix.MatrixColor);
    };
    if (overlay.MeshEdges) {
        // The corners as MeshCorners numbers them: grid points row by row,
        // then the free points, then the strokes' points.
        const std::vector<Point> corners = MeshCorners(matrix);
        const auto count = static_cast<int64_t>(corners.size());
        const auto corner = [&](int64_t n) { return corners[static_cast<size_t>(n)]; };
        for (const MeshEdge& e : *overlay.MeshEdges)
            if (e.A >= 0 && e.B >= 0 && e.A < count && e.B < count) line(corner(e.A), corner(e.B));
    } else {
        for (int j = 1; j <= matrix.Columns; ++j)
            for (int i = 1; i <= matrix.Rows; ++i) {
                line(p(i, j), p(i + 1, j));
                line(p(i + 1, j), p(i + 1, j + 1));
                line(p(i + 1, j + 1), p(i, j + 1));
                line(p(i, j + 1), p(i, j));
                line(p(i, j), p(i + 1, j + 1));
            }
    }

    // Strokes: the line through their points in the point colour, edged in
    // the grid colour, over the grid's lines.
    for (const Stroke& stroke : matrix.Strokes) {
        const size_t count = stroke.Points.size();
        const size_t segments = stroke.Closed && count > 2 ? count : count - (count > 0);
        for (int edge : {-1, 1, 0})
            for (size_t k = 0; k < segments; ++k) {
                const Point a = stroke.Points[k], b = stroke.Points[(k + 1) % count];
                const int64_t x1 = zoom.PanePos(a.X), y1 = zoom.PanePos(a.Y);
                const int64_t x2 = zoom.PanePos(b.X), y2 = zoom.PanePos(b.Y);
                if (!reaches(std::min(x1, x2) - 2, std::min(y1, y2) - 2, std::max(x1, x2) + 2,
                             std::max(y1, y2) + 2))
                    continue;
                // Edged across the line's main direction.
                const bool level = std::abs(x2 - x1) >= std::abs(y2 - y1);
                const int64_t ox = level ? 0 : edge, oy = level ? edge : 0;
                Segment(draw, x1 + ox, y1 + oy, x2 + ox, y2 + oy,
                        edge == 0 ? matrix.PointerColor : matrix.MatrixColor);
            }
    }

    // Free points: a square in the point colour, outlined in the grid colour,
    // over the lines; the chosen pair's filled in the grid colour last.
    const auto square = [&](const Point& free, int64_t size, bool filled) {
        const int64_t x = zoom.PanePos(free.X), y = zoom.PanePos(free.Y);
        const int64_t r = std::abs(size) + 1;
        if (!WithinLimit(x - r) || !WithinLimit(x + r) || !WithinLimit(y - r) || !WithinLimit(y + r) ||
            !reaches(x - r, y - r, x + r, y + r))
            return;
        const int x1 = static_cast<int>(x - r), y1 = static_cast<int>(y - r);
        const int x2 = static_cast<int>(x + r), y2 = static_cast<int>(y + r);
        if (filled) {
            draw.FilledPolygon({{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}}, matrix.MatrixColor);
            return;
        }
        draw.FilledPolygon({{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}}, matrix.PointerColor);
        draw.Line(x1, y1, x2, y1, matrix.MatrixColor);
        draw.Line(x2, y1, x2, y2, matrix.MatrixColor);
        draw.Line(x2, y2, x1, y2, matrix.MatrixColor);
        draw.Line(x1, y2, x1, y1, matrix.MatrixColor);
    };
    const int chosen =
        overlay.ChosenFree >= 0 && overlay.ChosenFree < static_cast<int>(matrix.FreePoints.size())
            ? overlay.ChosenFree
            : -1;
    for (size_t n = 0; n < matrix.FreePoints.size(); ++n) {
        const bool whole =
            static_cast<int>(n) == chosen || static_cast<int>(n) == overlay.HoveredFree;
        if (!whole && !look.Shown) continue;
        square(matrix.FreePoints[n], whole ? s : look.Size, false);
    }
    if (chosen != -1) square(matrix.FreePoints[static_cast<size_t>(chosen)], s, true);

    if (overlay.PartnerMark) {
        const int64_t x = zoom.PanePos(overlay.PartnerMark->X),
                      y = zoom.PanePos(overlay.PartnerMark->Y);
        if (reaches(x - s, y - s, x + s, y + s))
            Marker(draw, x, y, s, pane.Width(), pane.Height(), matrix.MatrixColor);
    }
}

// A box in pane pixels from two corners in 64 bits, kept within the
// painter's range.
QRect LimitedBox(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    const auto c = [](int64_t v) { return static_cast<int>(std::clamp(v, -kLimit, kLimit)); };
    return QRect(QPoint(c(std::min(x1, x2)), c(std::min(y1, y2))),
                 QPoint(c(std::max(x1, x2)), c(std::max(y1, y2))));
}

// Strips covering the line a–b with a margin of two pixels: as few boxes as
// keep each one at most 16 pixels across the line's direction, so a level or
// upright line is one thin box and a slanted one a staircase of small ones.
void AddLineArea(QRegion& area, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    constexpr int64_t kAcross = 16, kMargin = 2;
    const int64_t minor = std::min(std::abs(x2 - x1), std::abs(y2 - y1));
    const int64_t pieces = std::clamp<int64_t>((minor + kAcross - 1) / kAcross, 1, 256);
    for (int64_t n = 0; n < pieces; ++n) {
        const int64_t ax = x1 + (x2 - x1) * n / pieces, ay = y1 + (y2 - y1) * n / pieces;
        const int64_t bx = x1 + (x2 - x1) * (n + 1) / pieces,
                      by = y1 + (y2 - y1) * (n + 1) / pieces;
        area += LimitedBox(std::min(ax, bx) - kMargin, std::min(ay, by) - kMargin,
                           std::max(ax, bx) + kMargin, std::max(ay, by) + kMargin);
    }
}

}  // namespace

GridOverlay DocumentOverlay(const MorphDocument& document, int k,
                            const std::vector<MeshEdge>* edges) {
    GridOverlay overlay;
    overlay.MeshEdges = edges;
    if (k != 1 && k != 2) return overlay;
    if (document.SelectedI >= 1) {
        const GridIndex held{document.SelectedI, document.SelectedJ};
        if (document.SelectedGrid == k) overlay.Held = held;
        if (document.SelectedGrid == 3 - k)
            overlay.PartnerMark = PartnerPoint(document, 3 - k, held);
    }
    if (document.ChosenFree >= 0 &&
        document.ChosenFree < FreePairCount(document.Matrix(1), document.Matrix(2)))
        overlay.ChosenFree = document.ChosenFree;
    return overlay;
}

void DrawMatrix(PicturePane& pane, const MatrixRecord& matrix, ZoomScale zoom,
                const GridOverlay& overlay) {
    pane.Cls();
    {
        PaneDrawing draw(pane);
        DrawGrid(draw, pane, matrix, zoom, nullptr, overlay);
    }
    pane.Refresh();
}

void DrawMatrixArea(PicturePane& pane, const MatrixRecord& matrix, ZoomScale zoom,
                    const QRegion& area, const GridOverlay& overlay) {
    const QRegion within = area & QRect(0, 0, pane.Width(), pane.Height());
    if (within.isEmpty()) return;
    pane.ClsArea(within);
    {
        PaneDrawing draw(pane, within);
        const QRect bounds = within.boundingRect();
        DrawGrid(draw, pane, matrix, zoom, &bounds, overlay);
    }
    pane.RefreshArea(within);
}

QRegion LineArea(Point a, Point b, ZoomScale zoom) {
    QRegion area;
    AddLineArea(area, zoom.PanePos(a.X), zoom.PanePos(a.Y), zoom.PanePos(b.X), zoom.PanePos(b.Y));
    return area;
}

QRegion MarkerArea(Point point, int size, ZoomScale zoom) {
    const int64_t x = zoom.PanePos(point.X), y = zoom.PanePos(point.Y);
    const int64_t s = std::abs(int64_t{size}) + 1;
    return QRegion(LimitedBox(x - s, y - s, x + s, y + s));
}

QRegion PointArea(const MatrixRecord& matrix, int i, int j, ZoomScale zoom) {
    const PointGrid& p = matrix.Points;
    const int lastI = std::min(matrix.Rows + 1, p.CountI());
    const int lastJ = std::min(matrix.Columns + 1, p.CountJ());
    if (i < 1 || j < 1 || i > lastI || j > lastJ) return {};
    QRegion area = MarkerArea(p(i, j), matrix.PointerSize, zoom);
    const int64_t x = zoom.PanePos(p(i, j).X), y = zoom.PanePos(p(i, j).Y);
    // The lines from the point run to exactly these six neighbours.
    const int offsets[6][2] = {{-1, -1}, {0, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 0}};
    for (const auto& o : offsets) {
        const int ni = i + o[0], nj = j + o[1];
        if (ni < 1 || nj < 1 || ni > lastI || nj > lastJ) continue;
        AddLineArea(area, x, y, zoom.PanePos(p(ni, nj).X), zoom.PanePos(p(ni, nj).Y));
    }
    return area;
}

QRegion FreeMarkerArea(Point point, int size, ZoomScale zoom) {
    return MarkerArea(point, std::abs(size) + 2, zoom);
}

void DrawFreeMarker(PicturePane& pane, Point point, int size, ZoomScale zoom, int32_t color) {
    const int64_t x = zoom.PanePos(point.X), y = zoom.PanePos(point.Y);
    const int64_t r = std::abs(int64_t{size}) + 1;
    if (!WithinLimit(x - r) || !WithinLimit(x + r) || !WithinLimit(y - r) || !WithinLimit(y + r))
        return;
    PaneDrawing draw(pane);
    const int x1 = static_cast<int>(x - r), y1 = static_cast<int>(y - r);
    const int x2 = static_cast<int>(x + r), y2 = static_cast<int>(y + r);
    draw.FilledPolygon({{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}}, color);
}

void DrawMarker(PicturePane& pane, Point point, int size, ZoomScale zoom, int32_t color) {
    PaneDrawing draw(pane);
    Marker(draw, zoom.PanePos(point.X), zoom.PanePos(point.Y), size, pane.Width(), pane.Height(),
           color);
}

void DrawCurve(PicturePane& pane, const std::vector<Point>& curve, bool closed, ZoomScale zoom,
               int32_t color) {
    if (curve.empty()) return;
    {
        PaneDrawing draw(pane);
        const size_t segments = closed && curve.size() > 2 ? curve.size() : curve.size() - 1;
        for (int edge : {-1, 0, 1})
            for (size_t k = 0; k < segments; ++k) {
                const Point a = curve[k], b = curve[(k + 1) % curve.size()];
                const int64_t x1 = zoom.PanePos(a.X), y1 = zoom.PanePos(a.Y);
                const int64_t x2 = zoom.PanePos(b.X), y2 = zoom.PanePos(b.Y);
                const bool level = std::abs(x2 - x1) >= std::abs(y2 - y1);
                Segment(draw, x1 + (level ? 0 : edge), y1 + (level ? edge : 0), x2 + (level ? 0 : edge),
                        y2 + (level ? edge : 0), color);
            }
    }
    pane.Refresh();
}

}  // namespace fennix
