#pragma once

#include <vector>

#include "model/MatrixRecord.h"

namespace fennix {

struct Triangle {
    Point P0, P1, P2;
    friend bool operator==(const Triangle&, const Triangle&) = default;
};

// Triangles indexed from 1. The start, end and intermediate lists of one
// morph have the same length, and the same index means the same triangle.
class TriangleList {
public:
    TriangleList() = default;
    explicit TriangleList(size_t count) : triangles_(count) {}

    int Count() const { return static_cast<int>(triangles_.size()); }

    // Triangle `index`, 1 … Count().
    Triangle& operator[](int index) { return triangles_[static_cast<size_t>(index - 1)]; }
    const Triangle& operator[](int index) const { return triangles_[static_cast<size_t>(index - 1)]; }

    friend bool operator==(const TriangleList&, const TriangleList&) = default;

private:
    std::vector<Triangle> triangles_;
};

// The 2·Rows·Columns triangles of a grid. Cell (i, j) is number
// k = (j − 1)·Rows + i (j outer, i inner) and is cut along its diagonal from
// top-left to bottom-right: triangle 2k − 1 is (top-left, bottom-left,
// bottom-right), triangle 2k is (top-left, top-right, bottom-right).
TriangleList BuildTriangles(const MatrixRecord& matrix);

}  // namespace fennix
