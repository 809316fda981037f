// Fuzzes the points file of `fennix-morph new --points`: its reader, the
// check of the whole set over a grid, and the mesh the pairs make, built
// the quick way and the plain way (which must agree triangle for triangle).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/FreeMesh.h"
#include "model/FreePairCheck.h"
#include "model/PointsFile.h"

using namespace fennix;

namespace {

// A 4 × 3 grid over 64 × 48 pixels, its inner points moved a little so
// that not every line is straight, or `folded` with one point pulled
// across its neighbours.
MatrixRecord Grid(bool folded) {
    MatrixRecord m;
    m.Width = 64;
    m.Height = 48;
    m.Rows = 4;
    m.Columns = 3;
    InitMatrix(m);
    m.Points(2, 2).X += 3;
    m.Points(3, 3).Y -= 2;
    if (folded) m.Points(3, 2) = {60, 45};
    return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const PointPairs pairs =
        ParsePointPairs(std::string_view(reinterpret_cast<const char*>(data), size));
    if (pairs.Fault != PointsFileFault::None) {
        if (pairs.FaultLine < 1 || !pairs.Start.empty()) std::abort();
        return 0;
    }
    if (pairs.Start.size() != pairs.End.size() || pairs.Lines.size() != pairs.Start.size())
        std::abort();
    for (const bool folded : {false, true}) {
        MatrixRecord start = Grid(folded), end = Grid(false);
        start.FreePoints = pairs.Start;
        end.FreePoints = pairs.End;
        const FreePairCheck check = CheckFreePairs(start, end);
        if (!check.Passed() &&
            (check.Pair < 0 || static_cast<size_t>(check.Pair) >= pairs.Start.size()))
            std::abort();
        if (check.Passed() && !folded && !MeshUnfolded(start, end)) std::abort();
        const FreeMesh quick = BuildFreeMesh(start, end);
        // The plain build takes a while for many points under the sanitizers.
        if (pairs.Start.size() <= 300) {
            const FreeMesh plain = BuildFreeMeshReference(start, end);
            if (quick.Triangles != plain.Triangles || quick.Unplaced != plain.Unplaced)
                std::abort();
        }
    }
    return 0;
}
