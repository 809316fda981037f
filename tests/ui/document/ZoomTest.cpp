#include <gtest/gtest.h>

#include <QApplication>
#include <QAction>
#include <QTest>
#include <QWheelEvent>

#include "model/Settings.h"
#include "ui/controls/ucScrollbar.h"
#include "media/ImageFile.h"
#include "ui/document/Fennix_Main.h"
#include "model/MatrixDrawing.h"
#include "model/MatrixEditing.h"
#include "model/ZoomScale.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

constexpr const char* kOverlap = "マトリクスのラインがオーバーラップしています。";

TEST(ZoomScale, WholeZoomsKeepTheirArithmeticAndFractionsRoundHalfToEven) {
    const ZoomScale two = 2;
    EXPECT_EQ(two.PanePos(40), 80);
    EXPECT_EQ(two.ImagePos(81), 40);  // 40.5 → 40
    EXPECT_EQ(two.ImagePos(83), 42);  // 41.5 → 42
    const ZoomScale quarter = ZoomScale::Ratio(2, 8);
    EXPECT_EQ(quarter, ZoomScale::Ratio(1, 4));
    EXPECT_EQ(quarter.PanePos(6), 2);  // 1.5 → 2
    EXPECT_EQ(quarter.PanePos(10), 2);  // 2.5 → 2
    EXPECT_EQ(quarter.ImagePos(25.125), 100);  // 100.5 → 100
    EXPECT_EQ(quarter.ImagePos(25.375), 102);  // 101.5 → 102
    EXPECT_EQ(quarter.PaneLength(321), 80);
    EXPECT_EQ(quarter.Percent(), 25);

    // Ctrl + wheel steps from any zoom to its neighbours in the list.
    EXPECT_EQ(NextZoomStep(1, false), ZoomScale::Ratio(1, 2));
    EXPECT_EQ(NextZoomStep(ZoomScale::Ratio(3, 10), true), ZoomScale::Ratio(1, 2));
    EXPECT_EQ(NextZoomStep(ZoomScale::Ratio(3, 10), false), ZoomScale::Ratio(1, 4));
    EXPECT_EQ(NextZoomStep(3, true), ZoomScale(3));
    EXPECT_EQ(NextZoomStep(ZoomScale::Ratio(1, 4), false), ZoomScale::Ratio(1, 4));

    // Fit: 192 of 640 pixels across (the gap taken off), never enlarged.
    EXPECT_EQ(FitZoom(320, 240, 320, 240, 202, 200, 10), ZoomScale::Ratio(3, 10));
    EXPECT_EQ(FitZoom(320, 240, 320, 240, 2000, 60, 10), ZoomScale::Ratio(1, 4));
    EXPECT_EQ(FitZoom(320, 240, 320, 240, 2000, 2000, 10), ZoomScale(1));
    const ZoomScale odd = FitZoom(6001, 4001, 5999, 3999, 1237, 611, 10);
    EXPECT_LE(odd.PaneLength(6001) + 10 + odd.PaneLength(5999), 1237);
    EXPECT_LE(odd.PaneLength(4001), 611);
}

class ZoomWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        test::UseDefaultGridSettings();
        Settings.TempFolder = app.Path();
    }

    // The two 320 × 240 samples: a 5 × 5 grid, points at x = 0, 64 … 320 and
    // y = 0, 48 … 240.
    void Open(Fennix_Main& w) {
        ASSERT_TRUE(w.NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    }

    static void Drag(Fennix_Main& w, int k, double x0, double y0, double x1, double y1) {
        w.P_MouseDown(k, Qt::LeftButton, x0, y0);
        w.P_MouseMove(k, Qt::LeftButton, (x0 + x1) / 2, y1);
        w.P_MouseMove(k, Qt::LeftButton, x1, y1);
        w.P_MouseUp(k, Qt::LeftButton, x1, y1);
    }

    // Both panes hold exactly what a whole redraw of their grids gives.
    static void ExpectWholeGrids(Fennix_Main& w) {
        for (int k = 1; k <= 2; ++k) {
            PicturePane reference;
            reference.SetPicture(w.Panes.P(k).Picture());
            DrawMatrix(reference, w.Document.Matrix(k), w.Document.Zoom);
            EXPECT_TRUE(reference.Layer() == w.Panes.P(k).Layer()) << "pane " << k;
        }
    }

    static void Wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers,
                      QPointF at = QPointF(10, 10)) {
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
};

TEST_F(ZoomWindowTest, AtAQuarterPickingDraggingAndTheFoldCheckWorkInImagePixels) {
    Fennix_Main w;
    Open(w);
    w.SetZoom(ZoomScale::Ratio(1, 4));
    EXPECT_EQ(w.Panes.P(1).Width(), 80);
    EXPECT_EQ(w.Panes.P(2).Left(), 90);
    EXPECT_EQ(w.Panes.Poriginal(1).Width(), 320);

    // Point (2, 2) at (64, 48) shows at (16, 12); the hit radius stays 5
    // pane pixels.
    w.P_MouseDown(1, Qt::LeftButton, 21, 12);
    EXPECT_EQ(w.Document.SelectedI, -1);
    w.P_MouseDown(1, Qt::LeftButton, 20, 12);
    EXPECT_EQ(w.Document.SelectedI, 2);
    w.P_MouseMove(1, Qt::LeftButton, 25.125, 13.625);  // 100.5, 54.5: both to even
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{100, 54}));
    w.P_MouseMove(1, Qt::LeftButton, 25.375, 500);  // 101.5; the image's bottom
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{102, 240}));
    w.P_MouseUp(1, Qt::LeftButton, 25.5, 13.5);  // released inside its hexagon
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{102, 240}));
    EXPECT_TRUE(prompts->shown.empty());

    // (5, 20) is (20, 80) in the image: below the line (0, 48)–(64, 96).
    Drag(w, 2, 16, 12, 5, 20);
    EXPECT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(w.Document.Matrix(2).Points(2, 2), (Point{64, 48}));
    // Top border point (3, 1) against its left neighbour at x = 64 (pane 16).
    Drag(w, 2, 32, 0, 15.9, 3);
    EXPECT_EQ(prompts->shown.size(), 2u);
    EXPECT_EQ(w.Document.Matrix(2).Points(3, 1), (Point{128, 0}));
    Drag(w, 2, 32, 0, 16, 3);
    EXPECT_EQ(prompts->shown.size(), 2u);
    EXPECT_EQ(w.Document.Matrix(2).Points(3, 1), (Point{64, 0}));
    for (const auto& shown : prompts->shown) EXPECT_EQ(shown.text, kOverlap);
    ExpectWholeGrids(w);
}

TEST_F(ZoomWindowTest, FittedScaleOfThreeTenthsPicksAndDragsExactly) {
    Fennix_Main w;
    Open(w);
    // An area 202 wide: 192 pixels for 640 image pixels, 3/10.
    w.resize(202 + w.VScroll1->width(), 200 + w.HScroll1->height());
    w.mnuZoomFit_Click();
    ASSERT_EQ(w.Document.Zoom, ZoomScale::Ratio(3, 10));
    EXPECT_EQ(w.Panes.P(1).Width(), 96);
    EXPECT_EQ(w.Panes.P(2).Left() + w.Panes.P(2).Width(), 202);
    EXPECT_FALSE(w.HScroll1->isEnabled());

    // (64, 48) is drawn and hit at (19, 14): 19.2 and 14.4 rounded.
    w.P_MouseDown(1, Qt::LeftButton, 24, 14);
    EXPECT_EQ(w.Document.SelectedI, -1);
    Drag(w, 1, 23, 14, 31, 16);  // 103.3, 53.3
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{103, 53}));
    // Right border point (6, 3) at (320, 96) slides along x = 320.
    Drag(w, 1, 96, 29, 60, 40);
    EXPECT_EQ(w.Document.Matrix(1).Points(6, 3), (Point{320, 133}));
    EXPECT_TRUE(prompts->shown.empty());
    ExpectWholeGrids(w);

    // Points stay where they are through any zoom.
    w.mnuZoom_Click(1);
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{103, 53}));
    EXPECT_TRUE(w.Panes.P(1).Picture() == w.Panes.Poriginal(1).Picture());
}

// A drag repaints only around the point; the result must still be what a
// whole redraw gives, also for long slanted moves and back.
TEST_F(ZoomWindowTest, PartialRedrawsEqualAWholeRedraw) {
    Fennix_Main w;
    Open(w);
    for (const ZoomScale zoom : {ZoomScale(1), ZoomScale(2), ZoomScale::Ratio(1, 2)}) {
        w.SetZoom(zoom);
        const Point p = w.Document.Matrix(1).Points(3, 3);
        const double x = zoom.PanePos(p.X), y = zoom.PanePos(p.Y);
        w.P_MouseDown(1, Qt::LeftButton, x, y);
        ASSERT_EQ(w.Document.SelectedI, 3);
        for (int n = 1; n <= 12; ++n)
            w.P_MouseMove(1, Qt::LeftButton, x + 7.3 * n, y - 5.1 * n);
        w.P_MouseMove(1, Qt::LeftButton, x - 40, y + 33);
        w.P_MouseUp(1, Qt::LeftButton, x - 40, y + 33);
        ExpectWholeGrids(w);
    }
}

TEST_F(ZoomWindowTest, CtrlWheelZoomsAndTheWheelScrolls) {
    Fennix_Main w;
    Open(w);
    w.resize(300, 150);
    w.mnuZoom_Click(1);
    // A wheel turned over a pane reaches the window (Qt passes it up from
    // the pane, which takes none); a synthetic event is not passed up, so it
    // goes to the window itself.
    QWidget* pane = &w;

    EXPECT_TRUE(w.mnuZoom[1]->isChecked());
    Wheel(pane, 120, Qt::ControlModifier);
    EXPECT_EQ(w.Document.Zoom, ZoomScale(2));
    EXPECT_TRUE(w.mnuZoom[2]->isChecked());  // the menu ticks the zoom shown
    EXPECT_FALSE(w.mnuZoom[1]->isChecked());
    Wheel(pane, -120, Qt::ControlModifier);
    Wheel(pane, -60, Qt::ControlModifier);  // half a notch: not yet a step
    EXPECT_EQ(w.Document.Zoom, ZoomScale(1));
    Wheel(pane, -60, Qt::ControlModifier);
    EXPECT_EQ(w.Document.Zoom, ZoomScale::Ratio(1, 2));
    EXPECT_EQ(w.Panes.P(1).Width(), 160);

    w.mnuZoom_Click(1);
    Wheel(pane, -120, Qt::NoModifier);
    EXPECT_EQ(w.VScroll1->Value(), 60);
    EXPECT_EQ(w.Panes.P(1).Top(), -60);
    Wheel(pane, -120, Qt::ShiftModifier);
    EXPECT_EQ(w.HScroll1->Value(), 60);
    EXPECT_EQ(w.Panes.P(1).Left(), -60);
    EXPECT_EQ(w.Document.Zoom, ZoomScale(1));

    // Zooming in keeps the picture pixel under the cursor where it was, on
    // either picture.
    for (const QPointF cursor : {QPointF(100, 50), QPointF(250, 70)}) {
        w.mnuZoom_Click(1);
        w.HScroll1->SetValue(90);
        const int paneLeft = cursor.x() + 90 >= 330 ? 330 : 0;
        const int imageX = static_cast<int>(cursor.x()) + 90 - paneLeft;
        const int imageY = static_cast<int>(cursor.y());
        Wheel(pane, 120, Qt::ControlModifier, cursor);
        ASSERT_EQ(w.Document.Zoom, ZoomScale(2));
        const int leftNow = paneLeft == 0 ? 0 : 640 + 10;
        EXPECT_EQ((cursor.x() + w.HScroll1->Value() - leftNow) / 2, imageX) << cursor.x();
        EXPECT_EQ((cursor.y() + w.VScroll1->Value()) / 2, imageY) << cursor.x();
    }
}

// `w` at 800 × 600 on two 1200 × 900 pictures written into `folder`.
bool OpenLargePair(Fennix_Main& w, const test::TestFolder& folder) {
    QImage picture(1200, 900, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const std::string start = folder.File("a.bmp"), end = folder.File("b.bmp");
    if (!SaveBitmapFile(picture, start) || !SaveBitmapFile(picture, end)) return false;
    w.resize(800, 600);
    return w.NewMorph(start, end);
}

TEST_F(ZoomWindowTest, PicturesLargerThanTheWindowOpenFitted) {
    test::TestFolder folder;
    Fennix_Main w;
    ASSERT_TRUE(OpenLargePair(w, folder));
    const ZoomScale fit = w.Document.Zoom;
    EXPECT_TRUE(fit < ZoomScale(1));
    EXPECT_EQ(fit, w.WindowFitZoom());
    EXPECT_LE(w.Panes.P(2).Left() + w.Panes.P(2).Width(), w.width() - w.VScroll1->width());
    EXPECT_LE(w.Panes.P(1).Height(), w.height() - w.HScroll1->height());
    EXPECT_FALSE(w.HScroll1->isEnabled());
    EXPECT_FALSE(w.VScroll1->isEnabled());
    // The grid is laid over the image, not over what is shown of it.
    EXPECT_EQ(w.Document.Matrix(1).Width, 1200);
    EXPECT_EQ(w.Document.Matrix(1).Points(6, 6), (Point{1200, 900}));
    EXPECT_EQ(w.Panes.Poriginal(2).Width(), 1200);
}

// ウィンドウに合わせる holds through resizes until another zoom is picked,
// and a preview turned on at the fitted zoom is seen whole: right of the
// pictures in a wide window, under them in a tall one.
TEST_F(ZoomWindowTest, TheFittedViewFollowsTheWindowAndMakesRoomForThePreview) {
    test::TestFolder folder;
    Fennix_Main w;
    ASSERT_TRUE(OpenLargePair(w, folder));
    ASSERT_TRUE(w.FittedToWindow());
    const auto settled = [&] {
        return QTest::qWaitFor([&] { return w.Document.Zoom == w.WindowFitZoom(); }, 2000);
    };
    const auto seen = [&](const PicturePane& pane, int below) {
        return QRect(0, 0, w.VScroll1->x(), w.HScroll1->y())
            .contains(QRect(pane.Left(), pane.Top(), pane.Width(), pane.Height() + below));
    };
    const ZoomScale small = w.Document.Zoom;
    w.resize(1600, 600);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(small < w.Document.Zoom);

    w.mnuPreview_Click();
    ASSERT_TRUE(w.PreviewShown());
    EXPECT_TRUE(w.Preview.Visible());
    EXPECT_FALSE(w.PreviewBelow());
    EXPECT_TRUE(seen(w.Preview, kPreviewStripHeight));
    EXPECT_TRUE(seen(w.Panes.P(2), 0));
    w.resize(500, 900);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(w.PreviewBelow());
    EXPECT_TRUE(seen(w.Preview, kPreviewStripHeight));

    // A zoom of the user's own stays when the window changes.
    w.mnuZoom_Click(1);
    EXPECT_FALSE(w.FittedToWindow());
    w.resize(700, 700);
    QTest::qWait(100);
    EXPECT_EQ(w.Document.Zoom, ZoomScale(1));
    w.mnuPreview_Click();
}

}  // namespace
}  // namespace fennix
