#include <gtest/gtest.h>

#include <QUndoStack>

#include "model/FreeMesh.h"
#include "model/MarkerDensity.h"
#include "model/MatrixDrawing.h"
#include "model/MeshEdges.h"
#include "model/Settings.h"
#include "support/Mouse.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "ui/common/PaneWidget.h"
#include "ui/document/Fennix_Main.h"

namespace fennix {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;  // the grid colour 16777215
constexpr uint32_t kRed = 0xFFFF0000u;    // the pointer colour 255

// Free point pairs in the document window: a 5 × 5 grid on the two
// 320 × 240 samples (points at x = 0, 64 … 320 and y = 0, 48 … 240).
class FreePointWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        test::UseDefaultGridSettings();
        Settings.TempFolder = app.Path();
        ASSERT_TRUE(w.NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    }
    std::vector<Point>& Free(int k) { return w.Document.Matrix(k).FreePoints; }
    void Drag(int k, double x0, double y0, double x1, double y1) {
        w.P_MouseDown(k, Qt::LeftButton, x0, y0);
        w.P_MouseMove(k, Qt::LeftButton, x1, y1);
        w.P_MouseUp(k, Qt::LeftButton, x1, y1);
    }
    uint32_t Shown(int k, int x, int y) { return w.Panes.P(k).Layer().pixel(x, y); }
    // Both panes hold what a whole drawing of the document as it stands
    // gives, its mesh built afresh.
    void ExpectWholeDrawings(const char* step) {
        MeshEdgeCache mesh;
        mesh.Update(w.Document.Matrix(1), w.Document.Matrix(2));
        for (int k = 1; k <= 2; ++k) {
            PicturePane reference;
            reference.SetPicture(w.Panes.P(k).Picture());
            DrawMatrix(reference, w.Document.Matrix(k), w.Document.Zoom,
                       DocumentOverlay(w.Document, k, mesh.Edges()));
            EXPECT_TRUE(reference.Layer() == w.Panes.P(k).Layer()) << step << ", pane " << k;
        }
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    Fennix_Main w;
};

// A double click adds a pair; it shows as a square in the grid's colours,
// drags, is put back where it would fold the mesh, and goes with Delete;
// each step undoes and redoes.
TEST_F(FreePointWindowTest, AddMoveDeleteUndoRedo) {
    w.Document.Matrix(2).Points(2, 2) = {80, 48};  // the end mesh differs
    w.P_DoubleClick(1, Qt::LeftButton, 30, 30);
    ASSERT_EQ(Free(1), (std::vector<Point>{{30, 30}}));
    const Point partner = *MapThroughMesh(w.Document.Matrix(1), [&] {
        MatrixRecord end = w.Document.Matrix(2);
        end.FreePoints.clear();
        return end;
    }(), 1, {30, 30});
    EXPECT_EQ(Free(2), std::vector<Point>{partner});
    EXPECT_TRUE(w.Document.Dirty);
    EXPECT_EQ(w.Document.ChosenFree, 0);
    // The chosen pair filled in the grid colour on both pictures.
    EXPECT_EQ(Shown(1, 30, 30), kWhite);
    EXPECT_EQ(Shown(2, partner.X, partner.Y), kWhite);

    // A click elsewhere lets the choice go: the square shows in the point
    // colour inside its grid-coloured outline.
    w.P_MouseDown(1, Qt::LeftButton, 150, 150);
    w.P_MouseUp(1, Qt::LeftButton, 150, 150);
    EXPECT_EQ(w.Document.ChosenFree, -1);
    EXPECT_EQ(Shown(1, 30, 30), kRed);
    EXPECT_EQ(Shown(1, 30 - 6, 30), kWhite);

    // On the end picture: a second pair; on a point: refused with a message.
    w.P_DoubleClick(2, Qt::LeftButton, 250, 200);
    ASSERT_EQ(Free(2).size(), 2u);
    EXPECT_EQ(Free(2)[1], (Point{250, 200}));
    w.P_DoubleClick(2, Qt::LeftButton, 250, 200);
    EXPECT_EQ(Free(2).size(), 2u);
    ASSERT_EQ(prompts->shown.size(), 1u);

    // Dragged like a grid point; a fold is put back.
    Drag(2, partner.X, partner.Y, partner.X + 5, partner.Y + 3);
    EXPECT_EQ(Free(2)[0], (Point{partner.X + 5, partner.Y + 3}));
    Drag(2, partner.X + 5, partner.Y + 3, 300, 20);
    EXPECT_EQ(Free(2)[0], (Point{partner.X + 5, partner.Y + 3}));
    EXPECT_EQ(prompts->shown.back().text, "マトリクスのラインがオーバーラップしています。");

    // Chosen by a click, removed with Delete.
    w.P_MouseDown(1, Qt::LeftButton, 31, 29);
    w.P_MouseUp(1, Qt::LeftButton, 31, 29);
    EXPECT_EQ(w.Document.ChosenFree, 0);
    w.mnuDeletePoint_Click();
    ASSERT_EQ(Free(1).size(), 1u);
    EXPECT_EQ(Free(2)[0], (Point{250, 200}));

    // Undo: the pair comes back, then its move goes, then the second pair.
    const std::vector<Point> afterAll = Free(2);
    EXPECT_EQ(w.UndoStack()->count(), 4);
    w.Undo();
    EXPECT_EQ(Free(2)[0], (Point{partner.X + 5, partner.Y + 3}));
    w.Undo();
    EXPECT_EQ(Free(2)[0], partner);
    w.Undo();
    EXPECT_EQ(Free(2).size(), 1u);
    w.Undo();
    EXPECT_TRUE(Free(1).empty());
    EXPECT_TRUE(Free(2).empty());
    for (int n = 0; n < 4; ++n) w.Redo();
    EXPECT_EQ(Free(2), afterAll);
}

// The window system's events: a double click (press, release, double
// click, release) on an empty place adds a pair; on a point it only takes
// the point.
TEST_F(FreePointWindowTest, RealDoubleClicksOnThePane) {
    PaneWidget* pane = w.findChildren<PaneWidget*>()[0];
    ASSERT_EQ(&pane->Pane(), &w.Panes.P(1));
    auto doubleClick = [pane](QPointF at) {
        test::SendMouse(pane, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        test::SendMouse(pane, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        test::SendMouse(pane, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
        test::SendMouse(pane, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    };
    doubleClick({100, 70});
    EXPECT_EQ(Free(1), (std::vector<Point>{{100, 70}}));
    doubleClick({101, 71});  // on the new pair's square
    doubleClick({128, 96});  // on grid point (3, 3)
    EXPECT_EQ(Free(1).size(), 1u);
    EXPECT_EQ(w.Document.SelectedI, -1);
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_EQ(w.UndoStack()->count(), 1);
}

// 格子を細かくする doubles the grid, keeps the pairs and is one step; past
// the smallest cells it is refused with a message.
TEST_F(FreePointWindowTest, RefineTheGrid) {
    w.P_DoubleClick(1, Qt::LeftButton, 100, 100);
    const MatrixRecord before = w.Document.Matrix(2);
    w.mnuRefineGrid_Click();
    EXPECT_EQ(w.Document.Matrix(1).Rows, 10);
    EXPECT_EQ(w.Document.Matrix(2).Columns, 10);
    EXPECT_EQ(w.Document.Matrix(2).Points(3, 3), before.Points(2, 2));
    EXPECT_EQ(w.Document.Matrix(2).FreePoints, before.FreePoints);
    w.mnuRefineGrid_Click();
    w.mnuRefineGrid_Click();  // 40 × 40 cells: 8 × 6 pixels
    EXPECT_EQ(w.Document.Matrix(1).Rows, 40);
    EXPECT_TRUE(prompts->shown.empty());
    w.mnuRefineGrid_Click();  // 80 × 80 would be 4 × 3 pixels
    EXPECT_EQ(w.Document.Matrix(1).Rows, 40);
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_NE(prompts->shown[0].text.find("格子をこれ以上細かくできません"), std::string::npos);
    for (int n = 0; n < 3; ++n) w.Undo();
    EXPECT_EQ(w.Document.Matrix(2).Rows, 5);
    EXPECT_EQ(w.Document.Matrix(2).Points, before.Points);
}

// Every step of a drag redraws the mesh edges it changes, in both
// pictures; a dense grid shows the held point alone, and the picture.
TEST_F(FreePointWindowTest, DragsKeepTheMeshAndMarkersAsAWholeDrawing) {
    w.P_DoubleClick(1, Qt::LeftButton, 100, 70);
    w.P_DoubleClick(1, Qt::LeftButton, 200, 150);
    ASSERT_EQ(Free(1).size(), 2u);
    ExpectWholeDrawings("added");
    // A free point into the next cell: its edges go and come.
    w.P_MouseDown(1, Qt::LeftButton, 100, 70);
    ExpectWholeDrawings("free point held");
    w.P_MouseMove(1, Qt::LeftButton, 120, 60);
    ExpectWholeDrawings("free point moved");
    w.P_MouseMove(1, Qt::LeftButton, 150, 40);
    ExpectWholeDrawings("free point in the next cell");
    w.P_MouseUp(1, Qt::LeftButton, 150, 40);
    ExpectWholeDrawings("free point let go");
    // A grid point of the end picture; its partner marked in the start.
    w.P_MouseDown(2, Qt::LeftButton, 128, 96);
    ASSERT_EQ(w.Document.SelectedI, 3);
    ExpectWholeDrawings("grid point held");
    w.P_MouseMove(2, Qt::LeftButton, 140, 104);
    ExpectWholeDrawings("grid point moved");
    w.P_MouseUp(2, Qt::LeftButton, 140, 104);
    ExpectWholeDrawings("grid point let go");

    // 40 × 40 cells of 8 × 6 pixels: no markers but the held point's.
    for (int n = 0; n < 3; ++n) w.mnuRefineGrid_Click();
    ASSERT_EQ(w.Document.Matrix(1).Rows, 40);
    ASSERT_FALSE(MarkerLookOf(w.Document.Matrix(1), w.Document.Zoom).Shown);
    ExpectWholeDrawings("refined");
    EXPECT_NE(Shown(1, 66, 46), kRed);  // beside grid point (9, 9) at (64, 48)
    // The point under the pointer shows while it is there.
    w.P_MouseMove(1, Qt::NoButton, 62, 49);
    EXPECT_EQ(Shown(1, 66, 46), kRed);
    w.P_MouseMove(1, Qt::NoButton, 68, 51);  // a cell's middle, 5 pixels from each
    EXPECT_NE(Shown(1, 66, 46), kRed);
    ExpectWholeDrawings("pointer between points");
    w.P_MouseDown(1, Qt::LeftButton, 64, 48);
    ASSERT_EQ(w.Document.SelectedI, 9);
    EXPECT_EQ(Shown(1, 66, 46), kRed);
    ExpectWholeDrawings("dense point held");
    w.P_MouseMove(1, Qt::LeftButton, 65, 49);
    ExpectWholeDrawings("dense point moved");
    w.P_MouseUp(1, Qt::LeftButton, 65, 49);
    EXPECT_NE(Shown(1, 67, 47), kRed);
    ExpectWholeDrawings("dense point let go");
}

}  // namespace
}  // namespace fennix
