#pragma once

#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "model/MatrixRecord.h"
#include "model/UnfoldedMove.h"
#include "model/StrokeMaking.h"

namespace fennix {

// The automatic fit of the end grid: every end point goes to the place in
// the end picture that shows what lies under its start point.
//
// First a global alignment (scale, rotation, shift) of the end picture onto
// the start picture: from feature matches (ORB, RANSAC), seeded by faces
// found in both pictures. Then a dense optical flow (DIS) between the start
// picture and the aligned end picture at a reduced working size; each end
// point takes the flow around its start point (a wider neighbourhood on a
// plain patch). Flow that fails the forward-backward check, lies on a plain
// surface or leads out of the end picture is not trusted: such points are
// interpolated from their trusted neighbours. Last, the points move as a
// drag moves them (MoveUnfolded): corners stay, border points slide along
// their border, and no move folds the mesh.
//
// Reference points the user gave lead by a thin-plate spline through them
// with the picture's border pinned (the spline the faces use, below), so
// that pictures of different things meet at the matched places without the
// grid being driven off the picture; when the flow holds for far more
// points under the pairs' similarity (one scene, turned or scaled), the
// similarity leads instead.
//
// Where the flow is trusted but the grid is too coarse to follow it (the
// mesh's piecewise-affine map strays more than a pixel from the flow), the
// fit adds free point pairs, worst places first, each passing
// CheckFreePairs; they are listed in DetailPairs and the next fit replaces
// them (PreviousDetailPairs), leaving every other free point pair in place.
//
// When both pictures show a face and the landmark model is loaded (and no
// reference pairs are given), the faces lead instead: the 68 landmark pairs
// of the chosen faces become free point pairs (replacing those an earlier
// fit placed, keeping the user's), the end grid follows them by a
// thin-plate spline of the landmark displacements with the picture's
// border pinned, and the flow, computed against the end picture laid onto
// the start picture by that spline, refines the points where it is trusted.

class FaceLandmarker;

// One pair of matching places, in pixels of the start and of the end grid.
struct FitReference {
    double StartX = 0, StartY = 0;
    double EndX = 0, EndY = 0;
};

struct GridFitOptions {
    // The longest side of the working copies the flow is computed on.
    int WorkingSide = 1024;
    // Two or three pairs the user matched: they lead the fit (see above).
    // Empty: the alignment is found from the pictures.
    std::vector<FitReference> References;
    // The folder of OpenCV's cascade files; faces are looked for when the
    // files are there. Empty: no faces.
    std::string CascadeFolder = "/usr/share/opencv4/haarcascades";
    // The face landmark model; null or not loaded: faces only seed the
    // global alignment, as without landmarks.
    const FaceLandmarker* Faces = nullptr;
    // Which face of each picture leads, largest first.
    int StartFace = 0, EndFace = 0;
    // The free point pairs an earlier fit placed on faces: a fit with faces
    // replaces them, one without keeps them as they are.
    std::vector<FreePair> PreviousFacePairs;
    // The free point pairs an earlier fit added where the grid was too
    // coarse to follow the flow: every fit replaces them.
    std::vector<FreePair> PreviousDetailPairs;
    // The most pairs a fit adds where the grid is too coarse; 0: none.
    int MostDetailPairs = 400;
};

// How the global alignment was found.
enum class FitAlignment { None, Features, Faces, References };

enum class FitOutcome {
    Fitted,     // Points holds the fitted end grid
    NoMatch,    // the pictures have too little in common: Points is the grid as it was
    Cancelled,  // stopped on request
    Failed,     // Message tells why
};

struct GridFitResult {
    FitOutcome Outcome = FitOutcome::Failed;
    PointGrid Points;
    // The end grid's free points, those of pairs moved as the flow at their
    // start point says (or as the fitted grid takes them), the mesh kept
    // unfolded.
    std::vector<Point> FreePoints;
    FitAlignment Alignment = FitAlignment::None;
    bool FaceFound = false;  // a face in both pictures seeded the alignment
    int Trusted = 0;         // points placed by the flow at their start point
    int Interpolated = 0;    // points placed from their neighbours
    int HeldBack = 0;        // points stopped short so the mesh stays unfolded
    std::string Message;     // in Japanese, for the window
    // The start grid's free points after the fit (the face pairs' start
    // points added, an earlier fit's removed); FreePoints is their partners.
    std::vector<Point> StartFreePoints;
    // The free point pairs placed on face landmarks (0 or 68 of them, fewer
    // when some would fold the mesh or fall on another point).
    std::vector<FreePair> FacePairs;
    bool FacesLed = false;  // the landmark pairs led the fit
    // The grid followed a spline through matched pairs (face landmarks or
    // reference points) with the picture's border pinned.
    bool SplineLed = false;
    // The free point pairs added where the flow is trusted but the grid
    // alone is too coarse to follow it (among FreePoints, after the face
    // pairs).
    std::vector<FreePair> DetailPairs;
    int StartFaces = 0, EndFaces = 0;  // faces found in each picture
    // Why the faces did not lead, when the model is missing or a chosen
    // face is not there; empty otherwise. In Japanese.
    std::string FaceNote;
};

// Reports progress 0 … 100; returning false asks the fit to stop.
using FitProgress = std::function<bool(int percent)>;

// Fits the end grid `endGrid` over `endImage` to the start grid `startGrid`
// over `startImage`. Pictures whose size differs from their grid's Width ×
// Height are stretched to it first, as a morph does. The grids must have
// the same counts. Never throws.
GridFitResult FitEndGrid(const QImage& startImage, const QImage& endImage,
                         const MatrixRecord& startGrid, const MatrixRecord& endGrid,
                         const GridFitOptions& options = {}, const FitProgress& progress = {});

// The similarity (scale, rotation, shift) taking the start places of
// `pairs` to their end places in the least-squares sense, as
// x' = A·x − B·y + C, y' = B·x + A·y + D; false for fewer than two pairs or
// pairs whose start places coincide.
struct Similarity {
    double A = 1, B = 0, C = 0, D = 0;
    double MapX(double x, double y) const { return A * x - B * y + C; }
    double MapY(double x, double y) const { return B * x + A * y + D; }
};
bool SimilarityOfPairs(const std::vector<FitReference>& pairs, Similarity& similarity);

// Moves the end grid's inner points by a smooth warp that takes where the
// mesh now takes each pair's start point onto the pair's end point, the end
// record's free and stroke points held where they are and the picture's
// border pinned (the spline of the fit). Border points stay. False, and the
// grid as it was, when no warp can be made (fewer than one pair the mesh
// holds).
bool FollowPairsWithGrid(const MatrixRecord& start, MatrixRecord& end,
                         const std::vector<FreePair>& pairs);

// AddStroke; where the stroke cannot go in because grid points lie between
// its two curves (the mesh would fold), the end grid first makes room for it
// by FollowPairsWithGrid of the stroke's pairs, and the stroke goes in if it
// then passes. `gridMoved` tells whether the end grid moved. Empty text on
// success, else why not (the records as they were).
std::string AddStrokeMakingRoom(MatrixRecord& start, MatrixRecord& end,
                                const std::vector<Point>& startCurve,
                                const std::vector<Point>& endCurve, bool closed,
                                bool& gridMoved);

// RedrawStroke, making room in the same way: the end grid follows the pairs
// of the stroke as it would be drawn anew (the stroke's old points not
// held), and the redrawn stroke goes in if it then passes.
std::string RedrawStrokeMakingRoom(MatrixRecord& start, MatrixRecord& end, int n, int k,
                                   const std::vector<Point>& curve, bool& gridMoved);

}  // namespace fennix
