#pragma once

#include <string>

#include "model/MatrixRecord.h"

namespace fennix {

// The one check of a set of free point pairs, made wherever pairs come in:
// the window's edits, `fennix-morph new --points` and the project reader.
// A set passes when every pair has its start point within the start picture
// and its end point within the end picture (0 … Width, 0 … Height of their
// records), no start point lies on a grid point (the grid's corners among
// them) or on the start point of another pair, every start point finds its
// place in the grid's outline, and the mesh of grid and pairs does not fold
// (BuildFreeMesh, MeshUnfolded) where the grid alone does not. A grid that
// folds by itself, which the plain format allows, cannot be blamed on the
// pairs: its mesh is then not checked for folds. The strokes' points are
// checked the same way after the free pairs (each stroke of at least two
// pairs, its sides alike), and every segment of a stroke must have become
// an edge of the mesh.

enum class FreePairFault {
    None,
    StartOutside,  // the start point lies outside the start picture
    EndOutside,    // the end point lies outside the end picture
    OnGridPoint,   // the start point lies on a grid point
    SameStart,     // the start point is that of an earlier pair (Other)
    NoPlace,       // the start point lies outside the grid's outline
    Folds,         // with this pair the mesh folds
    StrokeShort,   // a stroke of fewer than two pairs, or sides that differ
    StrokeNotHeld, // a segment of the stroke cannot be made an edge of the mesh
};

struct FreePairCheck {
    FreePairFault Fault = FreePairFault::None;
    // The pair at fault, from 0; -1 when the set passes.
    int Pair = -1;
    // For SameStart: the earlier pair with the same start point (-1 when
    // that is a stroke's point).
    int Other = -1;
    // The stroke at fault (Pair then counts its points from 0); -1 for a
    // free pair.
    int Stroke = -1;

    bool Passed() const { return Fault == FreePairFault::None; }
    friend bool operator==(const FreePairCheck&, const FreePairCheck&) = default;
};

// Checks the pairs the two records share (the shorter list's count). The
// first fault in the order of the pairs is reported, the picture and grid
// point checks before the mesh ones; a fold is laid at the pair whose point
// is a corner of the most folded triangles (the lowest-numbered of equals).
FreePairCheck CheckFreePairs(const MatrixRecord& start, const MatrixRecord& end);

// The fault in a few words of the interface's language, for a message that
// names the pair's place itself (the project reader gives the line).
// `otherLine` names the line of check.Other for SameStart.
std::string FreePairFaultText(const FreePairCheck& check, int otherLine);

}  // namespace fennix
