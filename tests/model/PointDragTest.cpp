#include <gtest/gtest.h>

#include "model/PointDrag.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

// Two 5 × 5 grids on 320 × 240: points at x = 0, 64 … 320, y = 0, 48 … 240.
MorphDocument Document(ZoomScale zoom = 1) {
    MorphDocument document;
    for (int k = 1; k <= 2; ++k) {
        document.Matrix(k) = test::Grid(320, 240, 5, 5);
        document.Matrix(k).PointerSize = 5;
    }
    document.Zoom = zoom;
    return document;
}

// A press, a drag to (toX, toY) and a release there, in pane pixels.
struct DragCase {
    const char* what;
    ZoomScale zoom;
    double pressX, pressY, toX, toY;
    PointRelease::Result result;
    Point after;  // where point (2, 2) ends
};

TEST(PointDrag, PressDragAndRelease) {
    const DragCase cases[] = {
        {"a move inside the neighbours", 1, 65, 47, 80, 60, PointRelease::Moved, {80, 60}},
        {"back where it started", 1, 64, 48, 64, 48, PointRelease::Unmoved, {64, 48}},
        {"across a neighbour's line", 1, 64, 48, 200, 150, PointRelease::PutBack, {64, 48}},
        {"at 200 %", 2, 128, 96, 150, 110, PointRelease::Moved, {75, 55}},
    };
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.what);
        MorphDocument document = Document(c.zoom);
        ASSERT_EQ(PressPoint(document, 1, c.pressX, c.pressY), (GridIndex{2, 2}));
        EXPECT_EQ(document.DragBackup, (Point{64, 48}));
        MoveHeldPoint(document, 1, c.toX, c.toY, 320, 240);
        const PointRelease release = ReleaseHeldPoint(document, 1, c.toX, c.toY);
        EXPECT_EQ(release.result, c.result);
        EXPECT_EQ(release.point, (GridIndex{2, 2}));
        EXPECT_EQ(release.from, (Point{64, 48}));
        EXPECT_EQ(document.Matrix(1).Points(2, 2), c.after);
        EXPECT_EQ(document.Matrix(2).Points(2, 2), (Point{64, 48}));  // the partner stays
        EXPECT_EQ(document.SelectedI, -1);
        EXPECT_TRUE(document.Dirty);
    }
}

TEST(PointDrag, NothingHeldNothingMoves) {
    MorphDocument document = Document();
    EXPECT_FALSE(PressPoint(document, 1, 30, 30).Found());  // between points
    EXPECT_EQ(document.SelectedI, -1);
    EXPECT_FALSE(MoveHeldPoint(document, 1, 40, 40, 320, 240));
    EXPECT_EQ(ReleaseHeldPoint(document, 1, 40, 40).result, PointRelease::Unmoved);
    EXPECT_FALSE(document.Dirty);
    EXPECT_FALSE(DropHeldPoint(document));
    EXPECT_FALSE(PressPoint(document, 3, 64, 48).Found());  // no such grid
    // A point held in the other grid is not this one's to move.
    ASSERT_TRUE(PressPoint(document, 2, 64, 48).Found());
    EXPECT_FALSE(MoveHeldPoint(document, 1, 70, 50, 320, 240));
    EXPECT_EQ(document.Matrix(1).Points(2, 2), (Point{64, 48}));
}

TEST(PointDrag, ALostReleasePutsThePointBackUnchecked) {
    MorphDocument document = Document();
    ASSERT_TRUE(PressPoint(document, 2, 64, 48).Found());
    ASSERT_TRUE(MoveHeldPoint(document, 2, 200, 150, 320, 240));
    EXPECT_TRUE(DropHeldPoint(document));
    EXPECT_EQ(document.Matrix(2).Points(2, 2), (Point{64, 48}));
    EXPECT_EQ(document.SelectedI, -1);
    EXPECT_FALSE(document.Dirty);
}

TEST(PointDrag, PartnersOfGridsOfOtherCounts) {
    MorphDocument document = Document();
    document.Matrix(2) = test::Grid(320, 240, 2, 2);  // 3 × 3 points
    EXPECT_EQ(PartnerPoint(document, 2, {3, 3}), (Point{128, 96}));
    EXPECT_EQ(PartnerPoint(document, 1, {3, 3}), (Point{320, 240}));
    EXPECT_FALSE(PartnerPoint(document, 1, {4, 2}));
    EXPECT_FALSE(PartnerPoint(document, 1, {}));
}

}  // namespace
}  // namespace fennix
