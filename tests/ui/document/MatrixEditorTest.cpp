#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMouseEvent>
#include <QUndoStack>

#include "ui/frame/Fennix_Mdif.h"
#include "ui/frame/Fennix_Opt.h"
#include "model/Settings.h"
#include "ui/controls/Slider.h"
#include "ui/controls/ccXPButton.h"
#include "ui/controls/ucScrollbar.h"
#include "core/Paths.h"
#include "media/PackedColor.h"
#include "ui/common/PaneWidget.h"
#include "ui/document/Fennix_Main.h"
#include "support/Mouse.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

constexpr const char* kOverlap = "マトリクスのラインがオーバーラップしています。";
constexpr const char* kChanged = "変更されています。保存しますか？";
constexpr uint32_t kRed = 0xFFFF0000u;    // the pointer colour 255
constexpr uint32_t kWhite = 0xFFFFFFFFu;  // the grid colour 16777215

class MatrixEditorTest : public testing::Test {
  protected:
    void SetUp() override {
        test::UseDefaultGridSettings();
        Settings.TempFolder = app.Path();
    }

    // A document on the two 320 × 240 samples: a 5 × 5 grid with points at
    // x = 0, 64 … 320 and y = 0, 48 … 240.
    void Open(Fennix_Main& window) {
        ASSERT_TRUE(window.NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    }

    // A press, a move and a release on P(k) in pane pixels.
    static void Drag(Fennix_Main& w, int k, double x0, double y0, double x1, double y1) {
        w.P_MouseDown(k, Qt::LeftButton, x0, y0);
        w.P_MouseMove(k, Qt::LeftButton, x1, y1);
        w.P_MouseUp(k, Qt::LeftButton, x1, y1);
    }

    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const auto& shown : prompts->shown) texts.push_back(shown.text);
        return texts;
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
};

TEST_F(MatrixEditorTest, PressHoldsThePointAndMarksItsPartnerUntilRelease) {
    Fennix_Main w;
    Open(w);
    // (66, 45) lies in the marker of point (2, 2) and off every grid line.
    ASSERT_EQ(w.Panes.P(2).Layer().pixel(66, 45), kRed);
    w.Document.Matrix(2).MatrixColor = 0x00FF00;  // green lines on the end grid

    w.P_MouseDown(1, Qt::LeftButton, 64.4, 47.6);
    EXPECT_EQ(w.Document.SelectedI, 2);
    EXPECT_EQ(w.Document.SelectedJ, 2);
    EXPECT_EQ(w.Document.DragBackup, (Point{64, 48}));
    EXPECT_EQ(w.Panes.P(2).Layer().pixel(66, 45), PixelFromPacked(0x00FF00));
    EXPECT_EQ(w.Panes.P(1).Layer().pixel(66, 45), kRed);  // the held image is unmarked

    w.P_MouseUp(1, Qt::LeftButton, 64.4, 47.6);
    EXPECT_EQ(w.Panes.P(2).Layer().pixel(66, 45), kRed);
    EXPECT_EQ(w.Document.SelectedI, -1);
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{64, 48}));
    // A release that moved nothing still counts as a change, but is no step.
    EXPECT_TRUE(w.Document.Dirty);
    EXPECT_FALSE(w.UndoStack()->canUndo());
}

TEST_F(MatrixEditorTest, MissesAndOtherButtonsHoldNothing) {
    Fennix_Main w;
    Open(w);
    w.P_MouseDown(1, Qt::LeftButton, 69, 48);  // exactly the radius away
    EXPECT_EQ(w.Document.SelectedI, -1);
    w.P_MouseUp(1, Qt::LeftButton, 69, 48);
    EXPECT_FALSE(w.Document.Dirty);
    w.P_MouseDown(1, Qt::RightButton, 64, 48);
    EXPECT_EQ(w.Document.SelectedI, -1);
    // Moves and releases on the other pane do not touch the held point.
    w.P_MouseDown(1, Qt::LeftButton, 68, 48);
    w.P_MouseMove(2, Qt::LeftButton, 100, 100);
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{64, 48}));
    EXPECT_EQ(w.Document.Matrix(2).Points(2, 2), (Point{64, 48}));
}

TEST_F(MatrixEditorTest, InnerReleaseInsideStaysAndOutsideIsPutBack) {
    Fennix_Main w;
    Open(w);
    Drag(w, 2, 64, 48, 100, 50);
    EXPECT_EQ(w.Document.Matrix(2).Points(2, 2), (Point{100, 50}));
    EXPECT_TRUE(prompts->shown.empty());

    // (20, 80) is beyond the line from (64, 96) to (0, 48).
    Drag(w, 1, 64, 48, 20, 80);
    ASSERT_EQ(Texts(), std::vector<std::string>{kOverlap});
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(prompts->shown[0].title, "Fennix");
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{64, 48}));
    EXPECT_EQ(w.Panes.P(1).Layer().pixel(66, 45), kRed);  // redrawn at its old place
    EXPECT_TRUE(w.Document.Dirty);
    EXPECT_EQ(w.UndoStack()->count(), 1);  // the put-back release is no step
}

TEST_F(MatrixEditorTest, DragBeyondThePaneStoresTheBorderAndChecksTheRealRelease) {
    Fennix_Main w;
    Open(w);
    w.P_MouseDown(1, Qt::LeftButton, 256, 96);  // point (5, 3)
    w.P_MouseMove(1, Qt::LeftButton, 900, 700);
    EXPECT_EQ(w.Document.Matrix(1).Points(5, 3), (Point{320, 240}));
    w.P_MouseMove(1, Qt::LeftButton, 900, 60);
    EXPECT_EQ(w.Document.Matrix(1).Points(5, 3), (Point{320, 60}));
    // Clamped, (320, 60) would lie on the hexagon's edge; released at 900 it
    // is far outside.
    w.P_MouseUp(1, Qt::LeftButton, 900, 60);
    EXPECT_EQ(Texts(), std::vector<std::string>{kOverlap});
    EXPECT_EQ(w.Document.Matrix(1).Points(5, 3), (Point{256, 96}));
}

TEST_F(MatrixEditorTest, LeftBorderAndCornerDrags) {
    Fennix_Main w;
    Open(w);
    w.P_MouseDown(1, Qt::LeftButton, 0, 96);  // left border point (1, 3)
    w.P_MouseMove(1, Qt::LeftButton, 50, 110);
    EXPECT_EQ(w.Document.Matrix(1).Points(1, 3), (Point{0, 110}));
    w.P_MouseUp(1, Qt::LeftButton, 50, 110);
    EXPECT_EQ(w.Document.Matrix(1).Points(1, 3), (Point{0, 110}));

    Drag(w, 1, 320, 240, 100, 20);  // corner (6, 6)
    EXPECT_EQ(w.Document.Matrix(1).Points(6, 6), (Point{320, 240}));
    Drag(w, 1, 0, 0, 400, 400);  // corner (1, 1), released far away unchecked
    EXPECT_EQ(w.Document.Matrix(1).Points(1, 1), (Point{0, 0}));
    EXPECT_TRUE(prompts->shown.empty());

    // A left border point released below its lower neighbour goes back.
    Drag(w, 1, 0, 110, 0, 150);
    EXPECT_EQ(Texts(), std::vector<std::string>{kOverlap});
    EXPECT_EQ(w.Document.Matrix(1).Points(1, 3), (Point{0, 110}));
}

TEST_F(MatrixEditorTest, TopBorderReleaseLeftOfItsNeighbourIsPutBackOnItStays) {
    Fennix_Main w;
    Open(w);
    Drag(w, 1, 128, 0, 63, 30);  // point (3, 1); its left neighbour is at x = 64
    EXPECT_EQ(Texts(), std::vector<std::string>{kOverlap});
    EXPECT_EQ(w.Document.Matrix(1).Points(3, 1), (Point{128, 0}));
    Drag(w, 1, 128, 0, 64, 30);
    EXPECT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(w.Document.Matrix(1).Points(3, 1), (Point{64, 0}));
}

TEST_F(MatrixEditorTest, Zoom2DragStoresHalfTheRoundedPosition) {
    Fennix_Main w;
    Open(w);
    w.Document.Matrix(1).Points(2, 2) = {40, 30};
    w.mnuZoom_Click(2);
    w.P_MouseDown(1, Qt::LeftButton, 80, 60);
    ASSERT_EQ(w.Document.SelectedI, 2);
    w.P_MouseMove(1, Qt::LeftButton, 81, 61);
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{40, 30}));
    w.P_MouseMove(1, Qt::LeftButton, 83, 61);
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{42, 30}));
    w.P_MouseUp(1, Qt::LeftButton, 83, 61);
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(MatrixEditorTest, HitRadiusAtZoom3StaysInPanePixels) {
    Fennix_Main w;
    Open(w);
    w.mnuZoom_Click(3);
    w.P_MouseDown(1, Qt::LeftButton, 192 + 5, 144);
    EXPECT_EQ(w.Document.SelectedI, -1);
    w.P_MouseDown(1, Qt::LeftButton, 192 + 4, 144);
    EXPECT_EQ(w.Document.SelectedI, 2);
}

TEST_F(MatrixEditorTest, ZoomRepeatsPixelsKeepsPointsAndBackTo100IsExact) {
    Fennix_Main w;
    w.resize(900, 500);
    Open(w);
    w.Document.Matrix(1).Points(3, 3) = {130, 100};
    const auto points = w.Document.Matrix(1).Points;
    const QImage original = w.Panes.Poriginal(1).Picture();

    w.mnuZoom_Click(2);
    EXPECT_EQ(w.Document.Zoom, 2);
    const QImage& zoomed = w.Panes.P(1).Picture();
    ASSERT_EQ(zoomed.size(), QSize(640, 480));
    for (const QPoint p : {QPoint(0, 0), QPoint(100, 33), QPoint(319, 239), QPoint(7, 200)})
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                EXPECT_EQ(zoomed.pixel(2 * p.x() + dx, 2 * p.y() + dy), original.pixel(p));
    EXPECT_EQ(w.Panes.P(2).Left(), 650);
    EXPECT_EQ(w.Panes.P(2).Picture().size(), QSize(640, 480));
    // The grid is drawn at twice the positions: the marker of (130, 100)
    // around (260, 200), the line from (64, 48) to (128, 48) at y = 96.
    EXPECT_EQ(w.Panes.P(1).Layer().pixel(262, 197), kRed);
    EXPECT_EQ(w.Panes.P(1).Layer().pixel(170, 96), kWhite);
    EXPECT_TRUE(w.HScroll1->isEnabled());
    // The zoomed image is the pane's picture: redrawing the grid keeps it.
    w.Panes.P(1).Cls();
    EXPECT_EQ(w.Panes.P(1).Layer().pixel(201, 67), original.pixel(100, 33));

    w.mnuZoom_Click(1);
    EXPECT_EQ(w.Panes.P(1).Picture(), original);
    EXPECT_EQ(w.Panes.P(2).Picture(), w.Panes.Poriginal(2).Picture());
    EXPECT_EQ(w.Panes.P(2).Left(), 330);
    EXPECT_EQ(w.Document.Matrix(1).Points, points);
    EXPECT_FALSE(w.Document.Dirty);
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(MatrixEditorTest, ZoomKeepsAHeldPoint) {
    Fennix_Main w;
    Open(w);
    w.P_MouseDown(1, Qt::LeftButton, 64, 48);
    w.mnuZoom_Click(3);
    EXPECT_EQ(w.Document.SelectedI, 2);
    EXPECT_EQ(w.Document.SelectedJ, 2);
}

TEST_F(MatrixEditorTest, ColourCommandsAskWithTheCurrentColourAndCancelChangesNothing) {
    Fennix_Main w;
    Open(w);
    prompts->colors = {-1, 0x00FF00, 0xFF0000, 0x112233};

    w.mnuColor[0]->trigger();  // cancelled
    EXPECT_EQ(w.Document.Matrix(1).MatrixColor, 16777215);
    EXPECT_FALSE(w.Document.Dirty);

    w.mnuColor[0]->trigger();
    EXPECT_EQ(w.Document.Matrix(1).MatrixColor, 0x00FF00);
    EXPECT_EQ(w.Document.Matrix(2).MatrixColor, 0x00FF00);
    EXPECT_EQ(w.Panes.P(2).Layer().pixel(64, 24), PixelFromPacked(0x00FF00));
    EXPECT_TRUE(w.Document.Dirty);

    w.mnuColor[1]->trigger();
    EXPECT_EQ(w.Document.Matrix(1).PointerColor, 0xFF0000);
    EXPECT_EQ(w.Document.Matrix(2).PointerColor, 0xFF0000);
    EXPECT_EQ(w.Panes.P(1).Layer().pixel(66, 45), PixelFromPacked(0xFF0000));

    w.mnuColor[2]->trigger();
    EXPECT_EQ(w.Pb->BackColor(), 0x112233);
    EXPECT_EQ(Settings.BackgroundColor, 0x112233);

    EXPECT_EQ(prompts->colorStarts,
              (std::vector<int32_t>{16777215, 16777215, 255, kDefaultBackColor}));
}

TEST_F(MatrixEditorTest, UndoAndRedoOfADragAColourAndBackToTheSavedState) {
    Fennix_Main w;
    Open(w);
    EXPECT_FALSE(w.mnuUndo->isEnabled());
    Drag(w, 1, 64, 48, 90, 60);
    EXPECT_TRUE(w.mnuUndo->isEnabled());
    prompts->colors = {0x0000FF};
    w.mnuColor[2]->trigger();

    w.mnuUndo->trigger();
    EXPECT_EQ(w.Pb->BackColor(), kDefaultBackColor);
    EXPECT_TRUE(w.Document.Dirty);
    w.mnuUndo->trigger();
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{64, 48}));
    EXPECT_EQ(w.Panes.P(1).Layer().pixel(66, 45), kRed);
    EXPECT_FALSE(w.Document.Dirty);  // back where the document started
    EXPECT_FALSE(w.mnuUndo->isEnabled());

    w.mnuRedo->trigger();
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{90, 60}));
    EXPECT_TRUE(w.Document.Dirty);
    w.MarkSaved();
    EXPECT_FALSE(w.Document.Dirty);
    w.mnuUndo->trigger();
    EXPECT_TRUE(w.Document.Dirty);
    w.mnuRedo->trigger();
    EXPECT_FALSE(w.Document.Dirty);
    w.mnuRedo->trigger();
    EXPECT_EQ(w.Pb->BackColor(), 0x0000FF);
    EXPECT_TRUE(w.Document.Dirty);

    // Nothing steps while a point is held.
    w.P_MouseDown(1, Qt::LeftButton, 90, 60);
    w.Undo();
    EXPECT_EQ(w.Pb->BackColor(), 0x0000FF);
}

TEST_F(MatrixEditorTest, UndoKeepsImagePathsASaveHasSet) {
    Fennix_Main w;
    Open(w);
    Drag(w, 1, 64, 48, 90, 60);
    w.Document.Matrix(1).ImagePath = "/moved/start.bmp";
    w.Undo();
    EXPECT_EQ(w.Document.Matrix(1).ImagePath, "/moved/start.bmp");
}

TEST_F(MatrixEditorTest, ActivateLetsGoOfAHeldPointAndPutsItBack) {
    Fennix_Main w;
    Open(w);
    w.P_MouseDown(1, Qt::LeftButton, 64, 48);
    w.P_MouseMove(1, Qt::LeftButton, 20, 80);
    w.Form_Activate();
    EXPECT_EQ(w.Document.SelectedI, -1);
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{64, 48}));
    EXPECT_EQ(w.Panes.P(2).Layer().pixel(66, 45), kRed);  // partner mark gone
    w.P_MouseUp(1, Qt::LeftButton, 20, 80);
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_FALSE(w.Document.Dirty);
}

TEST_F(MatrixEditorTest, RealMouseEventsOnThePaneDragAPoint) {
    Fennix_Main w;
    w.resize(900, 400);
    Open(w);
    PaneWidget* pane = w.findChildren<PaneWidget*>()[1];
    ASSERT_EQ(&pane->Pane(), &w.Panes.P(2));
    auto send = [pane](QEvent::Type type, QPointF at, Qt::MouseButton button,
                       Qt::MouseButtons buttons) {
        test::SendMouse(pane, type, at, button, buttons);
    };
    send(QEvent::MouseButtonPress, {128.5, 96}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(w.Document.SelectedI, 3);
    send(QEvent::MouseMove, {140.5, 100}, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {140.5, 100}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.Document.Matrix(2).Points(3, 3), (Point{140, 100}));  // 140.5 → 140
    EXPECT_TRUE(w.Document.Dirty);
}

// The options command of a document, with the dialog driven by the test.
class DocumentOptionsTest : public MatrixEditorTest {
  protected:
    // Opens a document on two plain images of width × height.
    void OpenSized(Fennix_Main& w, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const std::string path = app.Folder().File("plain.bmp");
        ASSERT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        ASSERT_TRUE(w.NewMorph(path, path));
    }

    // The dialog answers with these slider values and OK, or cancels.
    void Answer(Fennix_Main& w, int frames, int rows, int columns, int pointer, bool ok = true) {
        w.RunOptionsDialog = [=, this](Fennix_Opt& dialog) {
            seen = {dialog.Slider1->Value(), dialog.Slider2->Value(), dialog.Slider3->Value(),
                    dialog.Slider4->Value()};
            dialog.Slider1->SetValue(frames);
            dialog.Slider2->SetValue(rows);
            dialog.Slider3->SetValue(columns);
            dialog.Slider4->SetValue(pointer);
            (ok ? dialog.ccXPButton1 : dialog.ccXPButton2)->click();
        };
    }

    std::vector<int> seen;
};

TEST_F(DocumentOptionsTest, DialogStartsFromTheDocumentAndTakesFramesAndPointerSize) {
    Fennix_Main w;
    Open(w);
    Settings.FrameCount = 99;  // changed since the document was made
    Settings.Rows = 7;
    Answer(w, 30, 5, 5, 8);
    w.mnuSetting->trigger();
    EXPECT_EQ(seen, (std::vector<int>{20, 5, 5, 5}));
    EXPECT_TRUE(Settings.DialogConfirmed);
    EXPECT_EQ(w.Document.LastFrame, 29);
    EXPECT_EQ(w.Document.Matrix(1).PointerSize, 8);
    EXPECT_EQ(w.Document.Matrix(2).PointerSize, 8);
    EXPECT_EQ(w.Panes.P(1).Layer().pixel(64 + 7, 48 - 2), kRed);  // the bigger marker
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_TRUE(w.Document.Dirty);
    EXPECT_EQ(Settings.FrameCount, 30);  // kept for new documents
}

TEST_F(DocumentOptionsTest, CancelChangesNothing) {
    Fennix_Main w;
    Open(w);
    Answer(w, 50, 9, 9, 3, false);
    w.mnuSetting->trigger();
    EXPECT_FALSE(Settings.DialogConfirmed);
    EXPECT_EQ(w.Document.LastFrame, 19);
    EXPECT_EQ(w.Document.Matrix(1).Rows, 5);
    EXPECT_FALSE(w.Document.Dirty);
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(DocumentOptionsTest, TenByTenOn40PixelsIsRefused) {
    Fennix_Main w;
    OpenSized(w, 40, 40);
    Answer(w, 20, 10, 10, 1);
    w.mnuSetting_Click();
    ASSERT_EQ(Texts(), std::vector<std::string>{"マトリクスの行数または列数が多過ぎます。"});
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(w.Document.Matrix(1).Rows, 5);
    EXPECT_EQ(w.Document.Matrix(2).Columns, 5);
    EXPECT_EQ(Settings.Rows, 10);                    // the settings keep the new counts
    EXPECT_EQ(w.Document.Matrix(1).PointerSize, 1);  // later steps still run
    EXPECT_TRUE(w.Document.Dirty);
}

TEST_F(DocumentOptionsTest, TenByTenOn50PixelsIsOfferedAndYesResetsBothGrids) {
    Fennix_Main w;
    OpenSized(w, 50, 50);
    Drag(w, 1, 10, 10, 12, 13);
    ASSERT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{12, 13}));
    Answer(w, 20, 10, 10, 5);
    prompts->Answer(MessageAnswer::Yes);
    w.mnuSetting_Click();
    ASSERT_EQ(Texts(), std::vector<std::string>{"マトリクスが変更されました。リセットしますか？"});
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(prompts->shown[0].buttons, MessageButtons::YesNo);
    for (int k = 1; k <= 2; ++k) {
        EXPECT_EQ(w.Document.Matrix(k).Rows, 10);
        EXPECT_EQ(w.Document.Matrix(k).Columns, 10);
        EXPECT_EQ(w.Document.Matrix(k).Points(2, 2), (Point{5, 5}));
        EXPECT_EQ(w.Document.Matrix(k).Points(11, 11), (Point{50, 50}));
    }
    // The reset is one step back to the 5 × 5 grid with the moved point.
    w.Undo();
    EXPECT_EQ(w.Document.Matrix(1).Rows, 5);
    EXPECT_EQ(w.Document.Matrix(2).Columns, 5);
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{12, 13}));
    w.Redo();
    EXPECT_EQ(w.Document.Matrix(1).Rows, 10);
    EXPECT_EQ(w.Document.Matrix(1).Points(2, 2), (Point{5, 5}));
}

TEST_F(DocumentOptionsTest, NoKeepsTheGrids) {
    Fennix_Main w;
    OpenSized(w, 50, 50);
    Answer(w, 20, 10, 4, 5);
    prompts->Answer(MessageAnswer::No);
    w.mnuSetting_Click();
    EXPECT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(w.Document.Matrix(1).Rows, 5);
    EXPECT_FALSE(w.UndoStack()->canUndo());
    EXPECT_TRUE(w.Document.Dirty);
}

// Closing documents: alone and with the frame.
class CloseQuestionTest : public MatrixEditorTest {
  protected:
    Fennix_Main* OpenIn(Fennix_Mdif& frame) {
        Fennix_Main* document = frame.CreateDocument();
        EXPECT_TRUE(document->NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
        return document;
    }
    static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

TEST_F(CloseQuestionTest, CleanDocumentClosesWithoutAsking) {
    Fennix_Mdif frame;
    frame.show();
    Fennix_Main* document = OpenIn(frame);
    document->mnuCloseMorph->trigger();
    Settle();
    EXPECT_TRUE(frame.Documents().isEmpty());
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(CloseQuestionTest, AfterAReleaseItAsksAndCancelKeepsTheWindow) {
    Fennix_Mdif frame;
    frame.show();
    Fennix_Main* document = OpenIn(frame);
    document->P_MouseDown(1, Qt::LeftButton, 64, 48);
    document->P_MouseUp(1, Qt::LeftButton, 64, 48);
    prompts->Answer(MessageAnswer::Cancel);
    document->mnuCloseMorph->trigger();
    Settle();
    ASSERT_EQ(Texts(), std::vector<std::string>{kChanged});
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(prompts->shown[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(prompts->shown[0].title, "Fennix");
    EXPECT_EQ(frame.Documents().size(), 1);

    prompts->Answer(MessageAnswer::No);
    document->mnuCloseMorph->trigger();
    Settle();
    EXPECT_EQ(prompts->shown.size(), 2u);
    EXPECT_TRUE(frame.Documents().isEmpty());
}

TEST_F(CloseQuestionTest, CancelOnTheFrameCloseKeepsProgramAndEveryDocument) {
    Fennix_Mdif frame;
    frame.MDIForm_Load();
    Settings.TempFolder = app.Path();
    frame.show();
    Fennix_Main* clean = OpenIn(frame);
    Fennix_Main* dirty = OpenIn(frame);
    dirty->Document.Dirty = true;
    prompts->Answer(MessageAnswer::Cancel);
    EXPECT_FALSE(frame.close());
    Settle();
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(frame.Documents(), (QList<Fennix_Main*>{clean, dirty}));
    EXPECT_EQ(Texts(), std::vector<std::string>{kChanged});
    EXPECT_FALSE(FileExists(app.Path() + "/Fennix.ini"));

    // No: the frame closes without saving the document.
    prompts->Answer(MessageAnswer::No);
    EXPECT_TRUE(frame.close());
    Settle();
    EXPECT_TRUE(frame.Documents().isEmpty());
    EXPECT_EQ(prompts->shown.size(), 2u);
}

TEST_F(CloseQuestionTest, YesSavesAndCloses) {
    Fennix_Mdif frame;
    frame.show();
    Fennix_Main* document = OpenIn(frame);
    document->Document.Dirty = true;

    // Yes, then the save dialog is cancelled: nothing is saved, so the
    // window stays.
    prompts->Answer(MessageAnswer::Yes);
    document->mnuCloseMorph->trigger();
    Settle();
    EXPECT_EQ(Texts(), std::vector<std::string>{kChanged});
    EXPECT_EQ(frame.Documents().size(), 1);

    // Yes with a name: the project is written and the window closes.
    test::TestFolder projects;
    prompts->Answer(MessageAnswer::Yes);
    prompts->ChooseFilePath(projects.File("closing"));
    document->mnuCloseMorph->trigger();
    Settle();
    EXPECT_TRUE(FileExists(projects.File("closing.mph")));
    EXPECT_TRUE(frame.Documents().isEmpty());
}

}  // namespace
}  // namespace fennix
