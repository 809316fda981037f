#include "model/UnfoldedMove.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/Rounding.h"

namespace fennix {

namespace {

int64_t Cross(Point a, Point b, Point c) {
    return (int64_t{b.X} - a.X) * (int64_t{c.Y} - a.Y) -
           (int64_t{b.Y} - a.Y) * (int64_t{c.X} - a.X);
}

// Cell (i, j), top-left point (i, j): its two triangles (top-left,
// bottom-left, bottom-right) and (top-left, top-right, bottom-right) turn
// as they do in the regular grid, neither flat.
bool CellUnfolded(const PointGrid& p, int i, int j) {
    const Point tl = p(i, j), tr = p(i + 1, j), bl = p(i, j + 1), br = p(i + 1, j + 1);
    return Cross(tl, bl, br) < 0 && Cross(tl, tr, br) > 0;
}

bool CountsMatch(const MatrixRecord& m) {
    return m.Rows >= 1 && m.Columns >= 1 && m.Points.CountI() == m.Rows + 1 &&
           m.Points.CountJ() == m.Columns + 1;
}

// The cells around point (i, j) are unfolded.
bool AroundUnfolded(const MatrixRecord& m, int i, int j) {
    for (int cj = std::max(1, j - 1); cj <= std::min(m.Columns, j); ++cj)
        for (int ci = std::max(1, i - 1); ci <= std::min(m.Rows, i); ++ci)
            if (!CellUnfolded(m.Points, ci, cj)) return false;
    return true;
}

}  // namespace

bool GridUnfolded(const MatrixRecord& matrix) {
    if (!CountsMatch(matrix)) return false;
    for (int j = 1; j <= matrix.Columns; ++j)
        for (int i = 1; i <= matrix.Rows; ++i)
            if (!CellUnfolded(matrix.Points, i, j)) return false;
    return true;
}

UnfoldedMoveResult MoveUnfolded(MatrixRecord& matrix, const std::vector<PointTarget>& targets) {
    UnfoldedMoveResult result;
    if (!CountsMatch(matrix)) return result;
    const int countI = matrix.Rows + 1, countJ = matrix.Columns + 1;
    const size_t n = static_cast<size_t>(countI) * static_cast<size_t>(countJ);
    if (targets.size() != n) return result;

    // Where every point starts its way from: a grid known to be unfolded.
    MatrixRecord base = matrix;
    if (!GridUnfolded(base)) {
        InitMatrix(base);
        if (!GridUnfolded(base)) return result;  // cells narrower than a pixel
    }
    const auto index = [countI](int i, int j) {
        return static_cast<size_t>(j - 1) * static_cast<size_t>(countI) +
               static_cast<size_t>(i - 1);
    };

    // The places asked for, within the picture and with the border rules
    // of a drag (see DragPosition).
    std::vector<PointTarget> goal(n);
    for (int j = 1; j <= countJ; ++j) {
        for (int i = 1; i <= countI; ++i) {
            PointTarget g = targets[index(i, j)];
            const Point b = base.Points(i, j);
            if (!std::isfinite(g.X)) g.X = b.X;
            if (!std::isfinite(g.Y)) g.Y = b.Y;
            g.X = std::clamp(g.X, 0.0, static_cast<double>(matrix.Width));
            g.Y = std::clamp(g.Y, 0.0, static_cast<double>(matrix.Height));
            if (i == 1) g.X = 0;
            if (i == countI) g.X = matrix.Width;
            if (j == 1) g.Y = 0;
            if (j == countJ) g.Y = matrix.Height;
            goal[index(i, j)] = g;
        }
    }
    // Along each border the places keep their order with a pixel between
    // them: targets beyond a corner would otherwise pile up on it, and the
    // flat triangles there would hold back every point near that corner.
    const auto order = [&](int count, auto at, double size) {
        std::vector<double> v(static_cast<size_t>(count));
        for (int k = 0; k < count; ++k) v[k] = RoundEven(at(k + 1));
        for (int k = 1; k + 1 < count; ++k) v[k] = std::max(v[k], v[k - 1] + 1);
        for (int k = count - 2; k > 0; --k) v[k] = std::min(v[k], v[k + 1] - 1);
        if (v.front() != 0 || v.back() != size) return;  // no room: left to the folding check
        for (int k = 1; k + 1 < count; ++k) at(k + 1) = v[k];
    };
    for (int j : {1, countJ})
        order(
            countI, [&](int i) -> double& { return goal[index(i, j)].X; }, matrix.Width);
    for (int i : {1, countI})
        order(
            countJ, [&](int j) -> double& { return goal[index(i, j)].Y; }, matrix.Height);

    // How far along its way each point is: 0 at the base, 1 at the goal.
    std::vector<double> along(n, 1.0);
    const auto place = [&](int i, int j) {
        const size_t k = index(i, j);
        const Point b = base.Points(i, j);
        const double t = along[k];
        matrix.Points(i, j) = {RoundEvenInt(b.X + t * (goal[k].X - b.X)),
                               RoundEvenInt(b.Y + t * (goal[k].Y - b.Y))};
    };
    for (int j = 1; j <= countJ; ++j)
        for (int i = 1; i <= countI; ++i) place(i, j);

    // Every point of a folded cell goes halfway back, again and again, until
    // no cell is folded. A point only ever goes back, and after eight halves
    // it is at its base, so this ends within 8 rounds a point; at the latest
    // every point is at its base, which is unfolded.
    std::vector<char> pulled(n);
    bool folded = true;
    for (size_t round = 0; round <= 8 * n && folded; ++round) {
        folded = false;
        std::fill(pulled.begin(), pulled.end(), 0);
        for (int j = 1; j < countJ; ++j) {
            for (int i = 1; i < countI; ++i) {
                if (CellUnfolded(matrix.Points, i, j)) continue;
                folded = true;
                pulled[index(i, j)] = pulled[index(i + 1, j)] = 1;
                pulled[index(i, j + 1)] = pulled[index(i + 1, j + 1)] = 1;
            }
        }
        for (int j = 1; j <= countJ; ++j) {
            for (int i = 1; i <= countI; ++i) {
                double& t = along[index(i, j)];
                if (!pulled[index(i, j)]) continue;
                t = t > 1.0 / 64 ? t / 2 : 0.0;
                place(i, j);
            }
        }
    }
    // Points pulled back go as far towards their goal again as they can with
    // their neighbours where they now are: halving the interval of the
    // last place known to be unfolded and the goal.
    bool advanced = true;
    for (int pass = 0; pass < 20 && advanced; ++pass) {
        advanced = false;
        for (int j = 1; j <= countJ; ++j) {
            for (int i = 1; i <= countI; ++i) {
                double& t = along[index(i, j)];
                if (t >= 1) continue;
                const double was = t;
                double low = t, high = 1;
                for (int step = 0; step < 8; ++step) {
                    const double tried = step == 0 ? high : (low + high) / 2;
                    t = tried;
                    place(i, j);
                    if (AroundUnfolded(matrix, i, j)) {
                        low = tried;
                        if (step == 0) break;
                    } else {
                        high = tried;
                    }
                }
                advanced = advanced || low > was + 1e-3;
                t = low;
                place(i, j);
            }
        }
    }

    for (double t : along) (t >= 1 ? result.moved : result.heldBack)++;
    return result;
}

}  // namespace fennix
