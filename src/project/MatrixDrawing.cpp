#include "project/MatrixDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

}  // namespace

void DrawMatrix(PicturePane& pane, const MatrixRecord& matrix, int zoom) {
    pane.Cls();
    {
        const int64_t z = zoom;
        const int64_t s = matrix.PointerSize;
        const auto& p = matrix.Points;
        PaneDrawing draw(pane);

        for (int j = 1; j <= matrix.Columns + 1; ++j)
            for (int i = 1; i <= matrix.Rows + 1; ++i)
                Marker(draw, z * p(i, j).X, z * p(i, j).Y, s, pane.Width(), pane.Height(),
                       matrix.PointerColor);

        auto line = [&](const Point& a, const Point& b) {
            Segment(draw, z * a.X, z * a.Y, z * b.X, z * b.Y, matrix.MatrixColor);
        };
        for (int j = 1; j <= matrix.Columns; ++j)
            for (int i = 1; i <= matrix.Rows; ++i) {
                line(p(i, j), p(i + 1, j));
                line(p(i + 1, j), p(i + 1, j + 1));
                line(p(i + 1, j + 1), p(i, j + 1));
                line(p(i, j + 1), p(i, j));
                line(p(i, j), p(i + 1, j + 1));
            }
    }
    pane.Refresh();
}

void DrawMarker(PicturePane& pane, Point point, int size, int zoom, int32_t color) {
    PaneDrawing draw(pane);
    const int64_t z = zoom;
    Marker(draw, z * point.X, z * point.Y, size, pane.Width(), pane.Height(), color);
}

}  // namespace fennix
