#include "model/Triangulation.h"

namespace fennix {

TriangleList BuildTriangles(const MatrixRecord& matrix) {
    const int rows = matrix.Rows;
    const int columns = matrix.Columns;
    TriangleList list(static_cast<size_t>(2) * rows * columns);
    const auto& p = matrix.Points;
    for (int j = 1; j <= columns; ++j) {
        for (int i = 1; i <= rows; ++i) {
            const int k = (j - 1) * rows + i;
            list[2 * k - 1] = {p(i, j), p(i, j + 1), p(i + 1, j + 1)};
            list[2 * k] = {p(i, j), p(i + 1, j), p(i + 1, j + 1)};
        }
    }
    return list;
}

}  // namespace fennix
