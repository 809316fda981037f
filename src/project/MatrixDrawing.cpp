#include "project/MatrixDrawing.h"

namespace fennix {

void DrawMatrix(PicturePane& pane, const MatrixRecord& matrix, int zoom) {
    pane.Cls();
    {
        const int z = zoom;
        const int s = matrix.PointerSize;
        const auto& p = matrix.Points;
        PaneDrawing draw(pane);

        for (int j = 1; j <= matrix.Columns + 1; ++j)
            for (int i = 1; i <= matrix.Rows + 1; ++i) {
                const int x = z * p(i, j).X;
                const int y = z * p(i, j).Y;
                draw.FilledEllipse(x - s, y - s, x + s, y + s, matrix.PointerColor);
            }

        auto line = [&](const Point& a, const Point& b) {
            draw.Line(z * a.X, z * a.Y, z * b.X, z * b.Y, matrix.MatrixColor);
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

}  // namespace fennix
