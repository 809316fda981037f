#include <gtest/gtest.h>

#include <QAction>
#include <QProgressDialog>
#include <QTest>
#include <QUndoStack>

#include "engine/FramePreview.h"
#include "engine/MorphRun.h"
#include "model/Settings.h"
#include "model/UnfoldedMove.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "support/WarpedPair.h"
#include "ui/document/Fennix_Main.h"
#include "SampleDocument.h"

namespace fennix {
namespace {

// A document on a photo and a warped copy of it, with the preview at the
// middle frame.
class AutoFitTest : public testing::Test {
  protected:
    void SetUp() override {
        test::UseDocumentSettings(app.Path());
        const QImage start = test::Photo("fruits.jpg", 320);
        ASSERT_FALSE(start.isNull());
        test::WarpRecipe recipe;
        recipe.Amplitude = 8;
        ASSERT_TRUE(start.save(QString::fromStdString(folder.File("start.bmp")), "BMP"));
        ASSERT_TRUE(test::WarpedPicture(start, recipe)
                        .save(QString::fromStdString(folder.File("end.bmp")), "BMP"));
        window.resize(1200, 500);
        ASSERT_TRUE(window.NewMorph(folder.File("start.bmp"), folder.File("end.bmp")));
        window.mnuPreview_Click();
        ASSERT_TRUE(Settled());
    }
    void TearDown() override { Settings.PreviewShown = false; }

    bool Settled() {
        return QTest::qWaitFor([this] { return !window.PreviewBusy(); }, 20000);
    }
    bool Fitted() {
        return QTest::qWaitFor([this] { return !window.FitRunning(); }, 60000);
    }

    QImage MiddleFrame() {
        const MorphSource source{&window.Panes.Poriginal(1).Picture(),
                                 &window.Panes.Poriginal(2).Picture(), &window.Document.Matrix(1),
                                 &window.Document.Matrix(2), window.Document.LastFrame};
        return RenderMorphFrame(source, 4, window.Panes.MorphT.BackColor());
    }

    test::AppFolderScope app;
    test::TestFolder folder;
    test::ScopedPrompts prompts;
    Fennix_Main window;
};

// One undoable step: undo restores the grid exactly, redo brings the fit
// back, and the preview shows the frame of the grid as it stands.
TEST_F(AutoFitTest, OneUndoableStepThePreviewFollows) {
    const MatrixRecord before = window.Document.Matrix(2);
    window.mnuAutoFit->trigger();
    EXPECT_TRUE(window.FitRunning());
    ASSERT_TRUE(Fitted());
    const MatrixRecord fitted = window.Document.Matrix(2);
    EXPECT_NE(fitted.Points, before.Points);
    EXPECT_TRUE(GridUnfolded(fitted));
    EXPECT_TRUE(window.Document.Dirty);
    EXPECT_EQ(window.UndoStack()->count(), 1);
    EXPECT_EQ(window.UndoStack()->undoText(), QString::fromUtf8("自動調整"));
    EXPECT_EQ(window.FitDialog(), nullptr);
    ASSERT_TRUE(Settled());
    EXPECT_EQ(window.PreviewFrame(), MiddleFrame());
    // The pairs added for detail are the fit's, and its message counts them.
    const std::vector<FreePair> detail = window.Document.DetailPairs;
    EXPECT_EQ(window.Document.Matrix(2).FreePoints.size(), detail.size());
    if (detail.empty()) {
        EXPECT_TRUE(prompts->shown.empty());
    } else {
        ASSERT_EQ(prompts->shown.size(), 1u);
        EXPECT_NE(prompts->shown[0].text.find(std::to_string(detail.size()) + " 組加えました"),
                  std::string::npos)
            << prompts->shown[0].text;
    }

    window.Undo();
    EXPECT_EQ(window.Document.Matrix(2), before);
    EXPECT_TRUE(window.Document.DetailPairs.empty());
    ASSERT_TRUE(Settled());
    EXPECT_EQ(window.PreviewFrame(), MiddleFrame());
    window.Redo();
    EXPECT_EQ(window.Document.Matrix(2), fitted);
    EXPECT_EQ(window.Document.DetailPairs, detail);
}

// Three clicked pairs fit at once; two pairs fit when the command is chosen
// again; a single pair is dropped.
TEST_F(AutoFitTest, ReferencePairsClickedOnBothPictures) {
    const MatrixRecord before = window.Document.Matrix(2);
    auto click = [this](int k, double x, double y) {
        window.P_MouseDown(k, Qt::LeftButton, x, y);
        window.P_MouseUp(k, Qt::LeftButton, x, y);
    };
    window.mnuAlignByPoints->trigger();
    ASSERT_TRUE(window.TakingReferences());
    ASSERT_EQ(prompts->shown.size(), 1u);
    click(2, 50, 50);  // the start picture's turn: ignored
    click(1, 60, 70);
    click(1, 61, 71);  // the end picture's turn: ignored
    click(2, 62, 72);
    ASSERT_EQ(window.ReferencePairs().size(), 1u);
    EXPECT_EQ(window.ReferencePairs()[0].StartX, 60);
    EXPECT_EQ(window.ReferencePairs()[0].EndY, 72);
    window.mnuAlignByPoints->trigger();  // one pair: nothing fits
    EXPECT_FALSE(window.TakingReferences());
    EXPECT_FALSE(window.FitRunning());
    EXPECT_EQ(window.Document.Matrix(2), before);
    EXPECT_EQ(window.Document.Matrix(1).Points(2, 2), before.Points(2, 2));  // no point moved

    window.mnuAlignByPoints->trigger();
    for (auto [x, y] : {std::pair{80.0, 60.0}, {240.0, 80.0}, {160.0, 220.0}}) {
        click(1, x, y);
        click(2, x, y);
    }
    EXPECT_FALSE(window.TakingReferences());
    ASSERT_TRUE(Fitted());
    EXPECT_NE(window.Document.Matrix(2).Points, before.Points);
    EXPECT_TRUE(GridUnfolded(window.Document.Matrix(2)));
    EXPECT_EQ(window.UndoStack()->count(), 1);
    window.Undo();
    EXPECT_EQ(window.Document.Matrix(2), before);
}

// Pictures with nothing in common: the grid stays, no step is added and a
// message says why.
TEST_F(AutoFitTest, UnrelatedPicturesLeaveTheGridAndSaySo) {
    const QImage other = test::Photo("baboon.jpg", 320).scaled(320, 300);
    ASSERT_FALSE(other.isNull());
    ASSERT_TRUE(other.save(QString::fromStdString(folder.File("other.bmp")), "BMP"));
    Fennix_Main unrelated;
    ASSERT_TRUE(unrelated.NewMorph(folder.File("start.bmp"), folder.File("other.bmp")));
    const MatrixRecord before = unrelated.Document.Matrix(2);
    unrelated.mnuAutoFit->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !unrelated.FitRunning(); }, 60000));
    EXPECT_EQ(unrelated.Document.Matrix(2), before);
    EXPECT_EQ(unrelated.UndoStack()->count(), 0);
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text,
              "2つの画像に共通する部分が見つからないため、メッシュはそのままです。\n"
              "「基準点で合わせる」を使うか、輪郭に沿って線を引いてください。");
}

}  // namespace
}  // namespace fennix
