#include <gtest/gtest.h>

#include <QAction>

#include "model/FreePairCheck.h"
#include "model/Settings.h"
#include "support/Keys.h"
#include "support/Mouse.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "ui/common/PaneWidget.h"
#include "ui/document/Fennix_Main.h"

namespace fennix {
namespace {

constexpr uint32_t kRed = 0xFFFF0000u;   // the pointer colour 255
constexpr uint32_t kCyan = 0xFF00FFFFu;  // its complement, the chosen stroke's

// Strokes in the document window: a 5 × 5 grid on the two 320 × 240
// samples (points at x = 0, 64 … 320 and y = 0, 48 … 240).
class StrokeWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        test::UseDefaultGridSettings();
        Settings.TempFolder = app.Path();
        ASSERT_TRUE(w.NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    }
    // Press, drag through the places, release: a curve drawn on picture k.
    void Draw(int k, const std::vector<Point>& curve) {
        w.P_MouseDown(k, Qt::LeftButton, curve.front().X, curve.front().Y);
        for (const Point& p : curve) w.P_MouseMove(k, Qt::LeftButton, p.X, p.Y);
        w.P_MouseUp(k, Qt::LeftButton, curve.back().X, curve.back().Y);
    }
    const std::vector<Stroke>& Strokes(int k) { return w.Document.Matrix(k).Strokes; }
    uint32_t Shown(int k, int x, int y) { return w.Panes.P(k).Layer().pixel(x, y); }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    Fennix_Main w;
};

const std::vector<Point> kStart = {{10, 20}, {40, 22}, {70, 25}, {100, 30}};
const std::vector<Point> kEnd = {{12, 24}, {45, 26}, {72, 30}, {102, 36}};

// Drawn on the start picture, then on the end picture, a stroke is one
// undo step; it shows as a line, chosen in the point colour's complement;
// Escape drops a half-drawn one; a click chooses a stroke, which is drawn
// anew on one side or deleted, each one step. The hint follows.
TEST_F(StrokeWindowTest, DrawChooseRedrawDeleteUndo) {
    // The status bar's hint says which picture the next curve goes on.
    const QString startHint = "始めの画像に線を引いてください。";
    const QString endHint = "終わりの画像に、対応する線を引いてください（Esc で取り消し）。";
    EXPECT_EQ(w.Hint(), "");
    w.mnuDrawStroke->trigger();
    EXPECT_EQ(w.Hint(), startHint);
    // The end picture waits for the start curve.
    Draw(2, kEnd);
    EXPECT_TRUE(Strokes(1).empty());
    Draw(1, kStart);
    EXPECT_TRUE(Strokes(1).empty());
    EXPECT_EQ(w.Hint(), endHint);
    Draw(2, kEnd);
    EXPECT_EQ(w.Hint(), startHint);
    ASSERT_EQ(Strokes(1).size(), 1u);
    ASSERT_EQ(Strokes(2).size(), 1u);
    EXPECT_FALSE(Strokes(1)[0].Closed);
    EXPECT_EQ(Strokes(1)[0].Curve.front(), kStart.front());
    EXPECT_EQ(Strokes(2)[0].Curve.back(), kEnd.back());
    EXPECT_EQ(Strokes(1)[0].Points.front(), kStart.front());
    EXPECT_EQ(Strokes(2)[0].Points.back(), kEnd.back());
    EXPECT_TRUE(CheckFreePairs(w.Document.Matrix(1), w.Document.Matrix(2)).Passed());
    EXPECT_TRUE(w.Document.Dirty);
    EXPECT_EQ(Shown(1, 40, 22), kCyan);  // chosen

    // Escape while the start curve waits: it goes, and the end picture
    // waits for a start curve again.
    ASSERT_TRUE(test::Activate(&w));
    Draw(1, {{20, 200}, {60, 205}, {100, 210}});
    ASSERT_TRUE(test::PressInFocus(Qt::Key_Escape));
    EXPECT_EQ(w.Hint(), startHint);
    Draw(2, {{20, 200}, {60, 205}, {100, 210}});
    EXPECT_EQ(Strokes(1).size(), 1u);

    // A crossing stroke is refused with a message.
    Draw(1, {{50, 5}, {52, 40}});
    Draw(2, {{50, 5}, {52, 40}});
    EXPECT_EQ(Strokes(1).size(), 1u);
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text.rfind("この線は置けません。", 0), 0u);

    // Undo and redo the stroke.
    w.mnuUndo->trigger();
    EXPECT_TRUE(Strokes(1).empty());
    w.mnuRedo->trigger();
    ASSERT_EQ(Strokes(1).size(), 1u);

    // Out of drawing: a click beside the line chooses nothing, on it the
    // stroke, which shows chosen.
    w.mnuDrawStroke->trigger();
    EXPECT_EQ(w.Hint(), "");
    w.P_MouseDown(1, Qt::LeftButton, 40, 40);
    w.P_MouseUp(1, Qt::LeftButton, 40, 40);
    EXPECT_EQ(Shown(1, 40, 22), kRed);
    w.P_MouseDown(1, Qt::LeftButton, 40, 23);
    w.P_MouseUp(1, Qt::LeftButton, 40, 23);
    EXPECT_EQ(Shown(1, 40, 22), kCyan);

    // Its end side drawn anew.
    w.mnuRedrawStroke->trigger();
    EXPECT_EQ(w.Hint(), "選んだ線を、どちらかの画像に引き直してください（Esc で取り消し）。");
    Draw(2, {{12, 28}, {102, 40}});
    EXPECT_EQ(w.Hint(), "");
    ASSERT_EQ(Strokes(2).size(), 1u);
    EXPECT_EQ(Strokes(2)[0].Curve, (std::vector<Point>{{12, 28}, {102, 40}}));
    EXPECT_EQ(Strokes(1)[0].Curve.front(), kStart.front());
    w.mnuUndo->trigger();
    EXPECT_EQ(Strokes(2)[0].Curve.back(), kEnd.back());

    // Delete (the key of 選んだ点の削除 too) takes the chosen stroke.
    w.mnuDeletePoint->trigger();
    EXPECT_TRUE(Strokes(1).empty());
    EXPECT_TRUE(Strokes(2).empty());
    w.mnuUndo->trigger();
    EXPECT_EQ(Strokes(1).size(), 1u);
}

}  // namespace
}  // namespace fennix
