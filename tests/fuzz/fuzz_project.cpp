// Fuzzes the project-file reader, and what a window does at once with a
// project it opened: draw both grids (at every zoom), look for the point under
// the mouse, check a release and cut the grids (with their free points) into
// triangles, and draw both grids with the mesh's edges.

#include <cstddef>
#include <cstdint>

#include "FuzzFolder.h"
#include "core/AppFolder.h"
#include "media/PicturePane.h"
#include "model/FreeMesh.h"
#include "model/MatrixDrawing.h"
#include "model/MatrixEditing.h"
#include "model/MeshEdges.h"
#include "model/ProjectFile.h"
#include "model/Triangulation.h"

using namespace fennix;

namespace {

void Exercise(const MatrixRecord& matrix) {
    for (int zoom = 1; zoom <= 3; ++zoom) {
        PicturePane pane;
        pane.SetSize(48, 32);
        DrawMatrix(pane, matrix, zoom);
        FindHitPoint(matrix, 10.5, 20.0, zoom);
        ReleaseAllowed(matrix, 2, 2, 7.0, 9.0, zoom);
        ReleaseAllowed(matrix, 1, 2, 7.0, 9.0, zoom);
        ReleaseAllowed(matrix, 2, 1, 7.0, 9.0, zoom);
    }
    BuildTriangles(matrix);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The images a project names are looked for beside it; any file will do.
    const uint8_t mark[] = {'B', 'M'};
    fuzz::FuzzFolder::Write("start.bmp", mark, sizeof mark);
    fuzz::FuzzFolder::Write("end.bmp", mark, sizeof mark);
    SetApplicationFolder(fuzz::FuzzFolder::Path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::FuzzFolder::Write("project.mph", data, size);
    MorphProject project;
    if (!LoadMorphFile(path, project).empty()) return 0;
    Exercise(project.Matrix1);
    Exercise(project.Matrix2);
    // The mesh of both grids with their free points, and a place mapped
    // through it.
    TriangleList start, end;
    BuildMeshTriangles(project.Matrix1, project.Matrix2, start, end);
    MeshUnfolded(project.Matrix1, project.Matrix2);
    MapThroughMesh(project.Matrix1, project.Matrix2, 1, {3, 4});
    // Both grids drawn with the mesh's edges in place of their lines.
    MeshEdgeCache mesh;
    mesh.Update(project.Matrix1, project.Matrix2);
    GridOverlay overlay;
    overlay.MeshEdges = mesh.Edges();
    overlay.ChosenFree = 0;
    for (const MatrixRecord* matrix : {&project.Matrix1, &project.Matrix2}) {
        PicturePane pane;
        pane.SetSize(48, 32);
        DrawMatrix(pane, *matrix, 2, overlay);
    }
    return 0;
}
