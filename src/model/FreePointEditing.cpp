#include "model/FreePointEditing.h"

#include <algorithm>

#include "core/Rounding.h"
#include "model/FreeMesh.h"
#include "model/FreePairCheck.h"
#include "model/MatrixDrawing.h"

namespace fennix {

namespace {

bool ValidPair(const MorphDocument& document, int n) {
    return n >= 0 && n < FreePairCount(document.Matrix(1), document.Matrix(2));
}

// Where a drag to (x, y) puts a free point of `matrix`: within the picture
// and within the grid's Width × Height, the room a project file keeps free
// points in.
Point FreePosition(const MatrixRecord& matrix, double x, double y, int imageWidth, int imageHeight,
                   ZoomScale zoom) {
    return DragPosition(matrix, 0, 0, x, y, std::min(imageWidth, matrix.Width),
                        std::min(imageHeight, matrix.Height), zoom);
}

// True when the pairs as they are now may stay: they pass CheckFreePairs,
// or the only fault is a fold of a mesh that was folded before the edit
// (`unfoldedBefore` false), which the edit cannot be blamed for.
bool PairsMayStay(const MatrixRecord& start, const MatrixRecord& end, bool unfoldedBefore) {
    const FreePairCheck check = CheckFreePairs(start, end);
    return check.Passed() || (check.Fault == FreePairFault::Folds && !unfoldedBefore);
}

}  // namespace

std::optional<int> FindHitFreePoint(const MatrixRecord& matrix, double x, double y, ZoomScale zoom) {
    const int mx = RoundEvenInt(x), my = RoundEvenInt(y);
    for (int n = static_cast<int>(matrix.FreePoints.size()) - 1; n >= 0; --n) {
        const Point& p = matrix.FreePoints[static_cast<size_t>(n)];
        const int64_t dx = mx - zoom.PanePos(p.X), dy = my - zoom.PanePos(p.Y);
        const int64_t r = matrix.PointerSize < 0 ? -int64_t{matrix.PointerSize} : matrix.PointerSize;
        if (dx > -r && dx < r && dy > -r && dy < r) return n;  // the square marker
    }
    return std::nullopt;
}

std::optional<int> AddFreePair(MorphDocument& document, int k, double x, double y, int imageWidth,
                               int imageHeight) {
    if (k != 1 && k != 2) return std::nullopt;
    MatrixRecord& start = document.Matrix(1);
    MatrixRecord& end = document.Matrix(2);
    if (start.FreePoints.size() != end.FreePoints.size()) return std::nullopt;
    const Point at = FreePosition(document.Matrix(k), x, y, imageWidth, imageHeight, document.Zoom);
    const auto partner = MapThroughMesh(start, end, k, at);
    if (!partner) return std::nullopt;
    const bool unfolded = MeshUnfolded(start, end);
    document.Matrix(k).FreePoints.push_back(at);
    document.Matrix(3 - k).FreePoints.push_back(*partner);
    if (!PairsMayStay(start, end, unfolded)) {
        start.FreePoints.pop_back();
        end.FreePoints.pop_back();
        return std::nullopt;
    }
    document.ChosenFree = static_cast<int>(start.FreePoints.size()) - 1;
    document.Dirty = true;
    return document.ChosenFree;
}

bool RemoveFreePair(MorphDocument& document, int n) {
    if (!ValidPair(document, n)) return false;
    for (int k = 1; k <= 2; ++k) {
        auto& points = document.Matrix(k).FreePoints;
        points.erase(points.begin() + n);
    }
    document.ChosenFree = -1;
    document.Dirty = true;
    return true;
}

void HoldFreePoint(MorphDocument& document, int k, int n) {
    if ((k != 1 && k != 2) || !ValidPair(document, n)) return;
    document.SelectedGrid = k;
    document.SelectedI = MorphDocument::kHeldFreePoint;
    document.SelectedJ = n;
    document.ChosenFree = n;
    document.DragBackup = document.Matrix(k).FreePoints[static_cast<size_t>(n)];
}

std::optional<int> HeldFreePoint(const MorphDocument& document, int k) {
    if (document.SelectedGrid != k || document.SelectedI != MorphDocument::kHeldFreePoint ||
        !ValidPair(document, document.SelectedJ))
        return std::nullopt;
    return document.SelectedJ;
}

bool MoveHeldFreePoint(MorphDocument& document, int k, double x, double y, int imageWidth,
                       int imageHeight) {
    const auto n = HeldFreePoint(document, k);
    if (!n) return false;
    MatrixRecord& matrix = document.Matrix(k);
    const Point after = FreePosition(matrix, x, y, imageWidth, imageHeight, document.Zoom);
    Point& point = matrix.FreePoints[static_cast<size_t>(*n)];
    if (after == point) return false;
    point = after;
    return true;
}

PointRelease ReleaseHeldFreePoint(MorphDocument& document, int k) {
    PointRelease release;
    const auto n = HeldFreePoint(document, k);
    if (!n) return release;
    release.point = {*n, MorphDocument::kHeldFreePoint};
    release.from = document.DragBackup;
    Point& point = document.Matrix(k).FreePoints[static_cast<size_t>(*n)];
    const Point now = point;
    point = release.from;
    const bool unfoldedBefore = MeshUnfolded(document.Matrix(1), document.Matrix(2));
    point = now;
    if (now != release.from) {
        if (!PairsMayStay(document.Matrix(1), document.Matrix(2), unfoldedBefore)) {
            point = release.from;
            release.result = PointRelease::PutBack;
        } else {
            release.result = PointRelease::Moved;
        }
    }
    document.SelectedI = document.SelectedJ = -1;
    document.SelectedGrid = 0;
    document.Dirty = true;
    return release;
}

QRegion FreePointArea(const MatrixRecord& matrix, int n, ZoomScale zoom) {
    if (n < 0 || n >= static_cast<int>(matrix.FreePoints.size())) return {};
    return FreeMarkerArea(matrix.FreePoints[static_cast<size_t>(n)], matrix.PointerSize, zoom);
}

}  // namespace fennix
