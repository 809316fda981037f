#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fennix {

// A point in pixels of the unzoomed image, origin top-left, y downwards.
struct Point {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// The control points of one grid, indexed from 1 as (i, j): i = 1 … columns
// of points along x, j = 1 … rows of points along y.
class PointGrid {
public:
    // Re-dimensions to (1 … countI, 1 … countJ); every point becomes (0, 0).
    void Redim(int countI, int countJ);

    int CountI() const { return countI_; }
    int CountJ() const { return countJ_; }

    // Point (i, j); the indices must lie within the dimensions.
    Point& operator()(int i, int j) { return points_[Index(i, j)]; }
    const Point& operator()(int i, int j) const { return points_[Index(i, j)]; }

    friend bool operator==(const PointGrid&, const PointGrid&) = default;

private:
    size_t Index(int i, int j) const {
        return static_cast<size_t>(j - 1) * static_cast<size_t>(countI_) + static_cast<size_t>(i - 1);
    }

    int countI_ = 0;
    int countJ_ = 0;
    std::vector<Point> points_;
};

// A free point pair: a point of the start record and its end partner.
struct FreePair {
    Point Start, End;
    friend bool operator==(const FreePair&, const FreePair&) = default;
};

// A stroke's side in one picture: the curve drawn along a feature (open, or
// closed back to its first point) and the points placed along it. Stroke n
// of the start record and of the end record are one stroke: Points[i] of
// the two sides pair up as free points do, and the segments between
// consecutive points are edges of the mesh, so the curve holds like a line.
struct Stroke {
    std::vector<Point> Curve;
    std::vector<Point> Points;
    bool Closed = false;
    friend bool operator==(const Stroke&, const Stroke&) = default;
};

// One image's grid. Rows is the number of cells along x (it divides the
// width), Columns the number of cells along y (it divides the height); Points
// runs over (1 … Rows+1, 1 … Columns+1). FreePoints are control points placed
// anywhere beside the grid: FreePoints[n] of the start record and of the end
// record are one pair. Strokes (see Stroke) are matched curves whose points
// take part in the mesh after the free points.
struct MatrixRecord {
    std::string ImagePath;
    int32_t PointerSize = 0;
    int32_t MatrixColor = 0;
    int32_t PointerColor = 0;
    int32_t Rows = 0;
    int32_t Columns = 0;
    PointGrid Points;
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<Point> FreePoints;
    std::vector<Stroke> Strokes;

    friend bool operator==(const MatrixRecord&, const MatrixRecord&) = default;
};

// Lays the regular grid over the record's Width × Height: Points is
// re-dimensioned to (Rows+1) × (Columns+1) and filled with evenly spaced
// points, the outer ones exactly on the image border. The steps W / Rows and
// H / Columns are held as 32-bit floats and positions rounded ties to even.
// Rows and Columns must be at least 1.
void InitMatrix(MatrixRecord& matrix);

}  // namespace fennix
