#include "model/PointDrag.h"

#include "model/FreeMesh.h"
#include "model/FreePairCheck.h"

namespace fennix {

namespace {

bool Within(const PointGrid& points, GridIndex at) {
    return at.I >= 1 && at.J >= 1 && at.I <= points.CountI() && at.J <= points.CountJ();
}

bool Holds(const MorphDocument& document, int k) {
    return (k == 1 || k == 2) && document.SelectedGrid == k &&
           Within(document.Matrix(k).Points, {document.SelectedI, document.SelectedJ});
}

void LetGo(MorphDocument& document) {
    document.SelectedI = -1;
    document.SelectedJ = -1;
    document.SelectedGrid = 0;
}

}  // namespace

GridIndex PressPoint(MorphDocument& document, int k, double x, double y) {
    LetGo(document);
    document.ChosenFree = -1;
    if (k != 1 && k != 2) return {};
    const MatrixRecord& matrix = document.Matrix(k);
    const GridIndex hit = FindHitPoint(matrix, x, y, document.Zoom);
    if (!hit.Found()) return hit;
    document.SelectedI = hit.I;
    document.SelectedJ = hit.J;
    document.SelectedGrid = k;
    document.DragBackup = matrix.Points(hit.I, hit.J);
    return hit;
}

std::optional<Point> PartnerPoint(const MorphDocument& document, int k, GridIndex at) {
    if (k != 1 && k != 2) return std::nullopt;
    const MatrixRecord& partner = document.Matrix(3 - k);
    if (!Within(partner.Points, at)) return std::nullopt;
    return partner.Points(at.I, at.J);
}

bool MoveHeldPoint(MorphDocument& document, int k, double x, double y, int imageWidth,
                   int imageHeight) {
    if (!Holds(document, k)) return false;
    MatrixRecord& matrix = document.Matrix(k);
    const int i = document.SelectedI, j = document.SelectedJ;
    const Point after = DragPosition(matrix, i, j, x, y, imageWidth, imageHeight, document.Zoom);
    if (after == matrix.Points(i, j)) return false;
    matrix.Points(i, j) = after;
    return true;
}

PointRelease ReleaseHeldPoint(MorphDocument& document, int k, double x, double y) {
    PointRelease release;
    if (!Holds(document, k)) return release;
    release.point = {document.SelectedI, document.SelectedJ};
    release.from = document.DragBackup;
    Point& point = document.Matrix(k).Points(release.point.I, release.point.J);
    // With free points the pairs must still pass their check (a grid point
    // on a start point, a fold of the shared mesh), unless the check failed
    // by a fold before the point was taken and fails by a fold still.
    auto meshFolds = [&] {
        const MatrixRecord& start = document.Matrix(1);
        const MatrixRecord& end = document.Matrix(2);
        if (!UsesFreeMesh(start, end)) return false;
        const FreePairCheck now = CheckFreePairs(start, end);
        if (now.Passed()) return false;
        if (now.Fault != FreePairFault::Folds) return true;
        const Point moved = point;
        point = release.from;
        const bool before = MeshUnfolded(start, end);
        point = moved;
        return before;
    };
    if (!ReleaseAllowed(document.Matrix(k), release.point.I, release.point.J, x, y,
                        document.Zoom) ||
        meshFolds()) {
        point = release.from;
        release.result = PointRelease::PutBack;
    } else if (point != release.from) {
        release.result = PointRelease::Moved;
    }
    LetGo(document);
    document.Dirty = true;
    return release;
}

bool DropHeldPoint(MorphDocument& document) {
    const int k = document.SelectedGrid;
    const bool held = Holds(document, k);
    if (held) document.Matrix(k).Points(document.SelectedI, document.SelectedJ) = document.DragBackup;
    const bool heldFree = (k == 1 || k == 2) && document.SelectedI == MorphDocument::kHeldFreePoint &&
                          document.SelectedJ >= 0 &&
                          document.SelectedJ < static_cast<int>(document.Matrix(k).FreePoints.size());
    if (heldFree) document.Matrix(k).FreePoints[static_cast<size_t>(document.SelectedJ)] = document.DragBackup;
    LetGo(document);
    return held || heldFree;
}

}  // namespace fennix
