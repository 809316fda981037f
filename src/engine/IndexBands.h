#pragma once
// The index map of a mesh a few rows at a time: a band is painted just
// before its rows are warped, while it is still in the cache, and no map of
// the whole picture is held. Each band gets exactly the indices the whole
// map (PaintIndexMap) has in its rows. Internal to the engine.

#include <cstdint>
#include <vector>

#include "model/Triangulation.h"

namespace fennix::warp {

class IndexBands {
  public:
    // Bands of `bandRows` rows of a width × height picture, top band 0; the
    // last one may be shorter. `mesh` must outlive the bands.
    IndexBands(const TriangleList& mesh, int width, int height, int bandRows);

    int Count() const { return static_cast<int>(first_.size()) - 1; }
    int BandRows() const { return bandRows_; }

    // Paints band `band` into `rows`, which holds BandRows() × width
    // indices (row by row, the band's top row first): every pixel gets the
    // index of the last triangle that covers it, or 0.
    void Paint(int band, int32_t* rows) const;

  private:
    const TriangleList& mesh_;
    int width_, height_, bandRows_;
    // The triangles that reach band b are listed_[first_[b] … first_[b + 1] − 1],
    // in their order in the mesh.
    std::vector<int32_t> first_;
    std::vector<int32_t> listed_;
};

}  // namespace fennix::warp
