#include "model/MarkerDensity.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace fennix {

MarkerLook MarkerLookFor(int32_t size, double spacing) {
    if (!(spacing >= 0)) spacing = 0;  // NaN, or less than nothing
    const double width = 2.0 * std::abs(static_cast<double>(size)) + 1;
    if (spacing >= kMarkerRoom * width) return {size, true};
    const double fitting = std::floor((spacing / kMarkerRoom - 1) / 2);
    if (fitting < kSmallestMarker) return {0, false};
    return {static_cast<int32_t>(fitting), true};
}

double PointSpacing(const MatrixRecord& matrix, ZoomScale zoom) {
    const PointGrid& p = matrix.Points;
    const double cells = static_cast<double>(std::max(matrix.Rows, 0)) *
                             static_cast<double>(std::max(matrix.Columns, 0)) +
                         static_cast<double>(matrix.FreePoints.size());
    if (p.CountI() < 1 || p.CountJ() < 1 || cells <= 0)
        return std::numeric_limits<double>::infinity();
    int64_t left = p(1, 1).X, right = left, top = p(1, 1).Y, bottom = top;
    for (int j = 1; j <= p.CountJ(); ++j)
        for (int i = 1; i <= p.CountI(); ++i) {
            left = std::min<int64_t>(left, p(i, j).X);
            right = std::max<int64_t>(right, p(i, j).X);
            top = std::min<int64_t>(top, p(i, j).Y);
            bottom = std::max<int64_t>(bottom, p(i, j).Y);
        }
    const double scale = static_cast<double>(zoom.Num) / static_cast<double>(zoom.Den);
    const double area = static_cast<double>(right - left) * static_cast<double>(bottom - top);
    return std::sqrt(area / cells) * scale;
}

MarkerLook MarkerLookOf(const MatrixRecord& matrix, ZoomScale zoom) {
    return MarkerLookFor(matrix.PointerSize, PointSpacing(matrix, zoom));
}

bool MarkersReduced(const MatrixRecord& matrix, ZoomScale zoom) {
    return MarkerLookOf(matrix, zoom) != MarkerLook{matrix.PointerSize, true};
}

}  // namespace fennix
