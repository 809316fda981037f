#include "model/MatrixEditing.h"

#include <algorithm>
#include <cstdint>

#include "core/Rounding.h"

namespace fennix {

namespace {

// dy² + dx² < r² for offsets of up to 2^62 and a radius of 32 bits. An
// offset of |r| or more along either axis is outside at once; below that
// both squares together stay under 2^63, so the sum is exact.
bool WithinRadius(int64_t dx, int64_t dy, int64_t r) {
    const int64_t reach = r < 0 ? -r : r;
    if (dx <= -reach || dx >= reach || dy <= -reach || dy >= reach) return false;
    return dy * dy + dx * dx < r * r;
}

}  // namespace

bool HitPoint(int x, int y, int pointX, int pointY, int r) {
    return WithinRadius(int64_t{x} - pointX, int64_t{y} - pointY, r);
}

GridIndex FindHitPoint(const MatrixRecord& matrix, double x, double y, ZoomScale zoom) {
    const int mx = RoundEvenInt(x);
    const int my = RoundEvenInt(y);
    const PointGrid& p = matrix.Points;
    for (int j = 1; j <= std::min(matrix.Columns + 1, p.CountJ()); ++j)
        for (int i = 1; i <= std::min(matrix.Rows + 1, p.CountI()); ++i)
            if (WithinRadius(mx - zoom.PanePos(p(i, j).X), my - zoom.PanePos(p(i, j).Y),
                             matrix.PointerSize))
                return {i, j};
    return {};
}

Point DragPosition(const MatrixRecord& matrix, int i, int j, double x, double y, int imageWidth,
                   int imageHeight, ZoomScale zoom) {
    imageWidth = std::max(imageWidth, 0);
    imageHeight = std::max(imageHeight, 0);
    // Kept within the image before it is converted, so no position can
    // overflow; rounding is monotonic, so clamping in image pixels gives
    // what clamping to the pane and dividing gives at the whole zooms.
    const auto image = [&zoom](double v, int size) {
        const double limit = zoom.PaneExact(size);
        if (!(v > 0)) return 0;
        if (v >= limit) return size;
        return std::clamp(zoom.ImagePos(v), 0, size);
    };
    Point p{image(x, imageWidth), image(y, imageHeight)};
    if (i == 1) p.X = 0;
    if (j == 1) p.Y = 0;
    if (i == matrix.Rows + 1) p.X = imageWidth;
    if (j == matrix.Columns + 1) p.Y = imageHeight;
    return p;
}

namespace {

// True when p lies on the segment a–b. The differences of two 32-bit
// coordinates take 33 bits, so their products take 66: they are compared
// in 128 bits.
bool OnSegment(Point a, Point b, Point p) {
    using Wide = __int128;
    const Wide cross = Wide{int64_t{b.X} - a.X} * (int64_t{p.Y} - a.Y) -
                       Wide{int64_t{b.Y} - a.Y} * (int64_t{p.X} - a.X);
    return cross == 0 && p.X >= std::min(a.X, b.X) && p.X <= std::max(a.X, b.X) &&
           p.Y >= std::min(a.Y, b.Y) && p.Y <= std::max(a.Y, b.Y);
}

}  // namespace

bool InsidePolygon(const std::vector<Point>& polygon, Point p) {
    const size_t n = polygon.size();
    if (n < 3) return false;
    bool inside = false;
    for (size_t k = 0, prev = n - 1; k < n; prev = k++) {
        const Point a = polygon[prev];
        const Point b = polygon[k];
        if (OnSegment(a, b, p)) return true;
        // Count the edges crossing the ray from p to the right; each edge
        // holds its lower end and not its upper one, so a vertex on the ray
        // is counted once.
        if ((a.Y > p.Y) != (b.Y > p.Y)) {
            const double crossX = a.X + (static_cast<double>(p.Y) - a.Y) *
                                            (static_cast<double>(b.X) - a.X) /
                                            (static_cast<double>(b.Y) - a.Y);
            if (p.X < crossX) inside = !inside;
        }
    }
    return inside;
}

std::vector<Point> NeighbourHexagon(const MatrixRecord& matrix, int i, int j) {
    const PointGrid& p = matrix.Points;
    return {p(i - 1, j - 1), p(i, j - 1), p(i + 1, j), p(i + 1, j + 1), p(i, j + 1), p(i - 1, j)};
}

bool ReleaseAllowed(const MatrixRecord& matrix, int i, int j, double x, double y,
                    ZoomScale zoom) {
    const int lastI = matrix.Rows + 1;
    const int lastJ = matrix.Columns + 1;
    if (i < 1 || j < 1 || i > lastI || j > lastJ || i > matrix.Points.CountI() ||
        j > matrix.Points.CountJ())
        return false;
    const bool borderI = i == 1 || i == lastI;
    const bool borderJ = j == 1 || j == lastJ;
    if (borderI && borderJ) return true;  // corner
    const PointGrid& p = matrix.Points;
    if (borderJ) return zoom.PaneExact(p(i - 1, j).X) <= x && x <= zoom.PaneExact(p(i + 1, j).X);
    if (borderI) return zoom.PaneExact(p(i, j - 1).Y) <= y && y <= zoom.PaneExact(p(i, j + 1).Y);
    const Point released{zoom.ImagePos(x), zoom.ImagePos(y)};
    return InsidePolygon(NeighbourHexagon(matrix, i, j), released);
}

bool GridCountsFit(int width, int height, int rows, int columns) {
    if (rows < 1 || columns < 1) return false;
    return static_cast<double>(width) / rows >= 5 && static_cast<double>(height) / columns >= 5;
}

QImage RepeatPixels(const QImage& image, int zoom) {
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    const int z = std::max(zoom, 1);
    if (z == 1 || source.isNull()) return source;
    QImage result(source.width() * z, source.height() * z, QImage::Format_RGB32);
    for (int y = 0; y < result.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y / z));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) out[x] = in[x / z];
    }
    return result;
}

QImage ImageAtZoom(const QImage& image, ZoomScale zoom) {
    if (zoom == ZoomScale(1)) return image;
    if (zoom.Whole()) return RepeatPixels(image, static_cast<int>(zoom.Num));
    return image.scaled(static_cast<int>(zoom.PaneLength(image.width())),
                        static_cast<int>(zoom.PaneLength(image.height())), Qt::IgnoreAspectRatio,
                        Qt::SmoothTransformation);
}

}  // namespace fennix
