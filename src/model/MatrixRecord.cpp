#include "model/MatrixRecord.h"

#include "core/Rounding.h"

namespace fennix {

void PointGrid::Redim(int countI, int countJ) {
    countI_ = std::max(countI, 0);
    countJ_ = std::max(countJ, 0);
    points_.assign(static_cast<size_t>(countI_) * static_cast<size_t>(countJ_), Point{});
}

void InitMatrix(MatrixRecord& matrix) {
    const int rows = matrix.Rows;
    const int columns = matrix.Columns;
    const int width = matrix.Width;
    const int height = matrix.Height;
    matrix.Points.Redim(rows + 1, columns + 1);

    // The steps are 32-bit floats; the products are exact in double.
    const float stepX = static_cast<float>(static_cast<double>(width) / rows);
    const float stepY = static_cast<float>(static_cast<double>(height) / columns);
    auto x = [&](int i) { return RoundEvenInt(static_cast<double>(i - 1) * stepX); };
    auto y = [&](int j) { return RoundEvenInt(static_cast<double>(j - 1) * stepY); };

    for (int j = 1; j <= columns; ++j)
        for (int i = 1; i <= rows; ++i) matrix.Points(i, j) = {x(i), y(j)};
    for (int j = 1; j <= columns; ++j) matrix.Points(rows + 1, j) = {width, y(j)};
    for (int i = 1; i <= rows; ++i) matrix.Points(i, columns + 1) = {x(i), height};
    matrix.Points(rows + 1, columns + 1) = {width, height};
}

}  // namespace fennix
