#pragma once

#include "model/MatrixRecord.h"

namespace fennix::test {

// The regular rows × columns grid over width × height, every other field
// at its zero value.
inline MatrixRecord Grid(int width, int height, int rows, int columns) {
    MatrixRecord m;
    m.Width = width;
    m.Height = height;
    m.Rows = rows;
    m.Columns = columns;
    InitMatrix(m);
    return m;
}

}  // namespace fennix::test
