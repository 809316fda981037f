#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QUndoStack>

#include "engine/FramePreview.h"
#include "media/FrameSequence.h"
#include "media/ImageFile.h"
#include "model/Settings.h"
#include "support/RunWait.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "ui/document/Fennix_Main.h"
#include "SampleDocument.h"
#include "ui/controls/ccXPButton.h"
#include "ui/document/Fennix_RunOpt.h"

namespace fennix {
namespace {

class RunOptionsWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        test::UseDocumentSettings(app.Path());
        ASSERT_TRUE(test::OpenSampleDocument(window));
        window.Document.Matrix(2).Points(3, 3).X += 17;
    }
    void TearDown() override { Settings.PreviewShown = false; }

    // Opens 作成オプション and lets `act` fill it in.
    void Choose(const std::function<void(Fennix_RunOpt&)>& act) {
        window.RunTimingDialog = act;
        window.mnuRunOptions->trigger();
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    Fennix_Main window;
};

// The dialog shows the document's options and the count of frames a run
// writes; 設定 makes them the document's as one undo step, ｷｬﾝｾﾙ changes
// nothing.
TEST_F(RunOptionsWindowTest, TheDialogEditsTheDocumentsOptionsAsAnUndoStep) {
    Choose([](Fennix_RunOpt& dialog) {
        EXPECT_EQ(dialog.lblCount->text(), "書き出すフレーム数: 9");
        dialog.spnHoldStart->setValue(2);
        dialog.spnHoldEnd->setValue(3);
        dialog.cboMotion->setCurrentIndex(3);
        EXPECT_FALSE(dialog.cboDissolve->isEnabled());
        EXPECT_EQ(dialog.lblCount->text(), "書き出すフレーム数: 14");
        dialog.reject();
    });
    EXPECT_TRUE(window.Document.Run.IsDefault());
    EXPECT_FALSE(window.Document.Dirty);

    Choose([](Fennix_RunOpt& dialog) {
        dialog.spnHoldStart->setValue(2);
        dialog.spnHoldEnd->setValue(3);
        dialog.cboMotion->setCurrentIndex(3);
        dialog.chkDissolve->setChecked(true);
        EXPECT_TRUE(dialog.cboDissolve->isEnabled());
        dialog.cboDissolve->setCurrentIndex(1);
        dialog.cmdOK->click();
    });
    RunOptions expected;
    expected.HoldStart = 2;
    expected.HoldEnd = 3;
    expected.Motion = Easing::InOut;
    expected.Dissolve = Easing::In;
    EXPECT_EQ(window.Document.Run, expected);
    EXPECT_TRUE(window.Document.Dirty);
    window.Undo();
    EXPECT_TRUE(window.Document.Run.IsDefault());
    window.Redo();
    EXPECT_EQ(window.Document.Run, expected);

    // The dialog opens on what the document holds.
    Choose([](Fennix_RunOpt& dialog) {
        EXPECT_EQ(dialog.spnHoldEnd->value(), 3);
        EXPECT_TRUE(dialog.chkDissolve->isChecked());
        EXPECT_EQ(dialog.cboDissolve->currentIndex(), 1);
        dialog.reject();
    });
}

// The preview shows the eased frame of the slider's position, and a run
// writes the held copies around the eased frames.
TEST_F(RunOptionsWindowTest, PreviewAndRunFollowTheOptions) {
    Choose([](Fennix_RunOpt& dialog) {
        dialog.spnHoldEnd->setValue(2);
        dialog.cboMotion->setCurrentIndex(1);
        dialog.cmdOK->click();
    });
    window.mnuPreview_Click();
    window.SetPreviewFrame(3);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window.PreviewBusy(); }, 20000));
    const MorphSource eased{&window.Panes.Poriginal(1).Picture(), &window.Panes.Poriginal(2).Picture(),
                            &window.Document.Matrix(1),          &window.Document.Matrix(2),
                            window.Document.LastFrame,          window.Document.Run};
    MorphSource plain = eased;
    plain.options = {};
    const int32_t back = window.Panes.MorphT.BackColor();
    EXPECT_EQ(window.PreviewFrame(), RenderMorphFrame(eased, 3, back));
    EXPECT_NE(window.PreviewFrame(), RenderMorphFrame(plain, 3, back));

    window.mnuMorphIt_Click();
    ASSERT_TRUE(test::WaitForRun(window));
    const std::string folder = Settings.FrameFolder();
    ASSERT_EQ(ListFrameFiles(folder).size(), 11u);
    EXPECT_EQ(LoadImageFile(folder + "003.bmp")->convertToFormat(QImage::Format_RGB32),
              RenderMorphFrame(eased, 3, back));
    EXPECT_EQ(*LoadImageFile(folder + "010.bmp"), *LoadImageFile(folder + "008.bmp"));
}

// 画質 is one of the options: 標準 at first, 滑らか undone like any edit,
// and the preview and the run make smooth frames while it is chosen.
TEST_F(RunOptionsWindowTest, TheQualityIsAnOptionThePreviewAndTheRunFollow) {
    Choose([](Fennix_RunOpt& dialog) {
        EXPECT_TRUE(dialog.optStandard->isChecked());
        EXPECT_FALSE(dialog.optSmooth->isChecked());
        dialog.optSmooth->click();
        dialog.cmdOK->click();
    });
    EXPECT_TRUE(window.Document.Run.Smooth);
    EXPECT_TRUE(window.Document.Dirty);
    window.Undo();
    EXPECT_FALSE(window.Document.Run.Smooth);
    window.Redo();
    EXPECT_TRUE(window.Document.Run.Smooth);
    Choose([](Fennix_RunOpt& dialog) {
        EXPECT_TRUE(dialog.optSmooth->isChecked());
        dialog.reject();
    });

    window.mnuPreview_Click();
    window.SetPreviewFrame(3);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window.PreviewBusy(); }, 20000));
    const MorphSource smooth{&window.Panes.Poriginal(1).Picture(),
                             &window.Panes.Poriginal(2).Picture(),
                             &window.Document.Matrix(1),
                             &window.Document.Matrix(2),
                             window.Document.LastFrame,
                             window.Document.Run};
    MorphSource exact = smooth;
    exact.options.Smooth = false;
    const int32_t back = window.Panes.MorphT.BackColor();
    const QImage smoothFrame = RenderMorphFrame(smooth, 3, back);
    EXPECT_EQ(window.PreviewFrame(), smoothFrame);
    EXPECT_NE(window.PreviewFrame(), RenderMorphFrame(exact, 3, back));

    window.mnuMorphIt_Click();
    ASSERT_TRUE(test::WaitForRun(window));
    const std::string folder = Settings.FrameFolder();
    ASSERT_EQ(ListFrameFiles(folder).size(), 9u);
    EXPECT_EQ(LoadImageFile(folder + "003.bmp")->convertToFormat(QImage::Format_RGB32),
              smoothFrame);
}

// The dialog shows and sets this document's frame count (its last frame
// index + 1, the project's own line); the settings' count for new
// documents stays as it was. The change is one undo step with the others.
TEST_F(RunOptionsWindowTest, TheFrameCountIsTheDocumentsOwn) {
    const int before = window.Document.LastFrame;
    Settings.FrameCount = 33;
    Choose([&](Fennix_RunOpt& dialog) {
        EXPECT_EQ(dialog.spnFrames->value(), before + 1);
        EXPECT_EQ(dialog.spnFrames->minimum(), 2);
        EXPECT_EQ(dialog.spnFrames->maximum(), Fennix_RunOpt::kMaxFrameCount);
        dialog.spnFrames->setValue(40);
        EXPECT_EQ(dialog.lblCount->text(), "書き出すフレーム数: 40");
        dialog.spnHoldEnd->setValue(5);
        EXPECT_EQ(dialog.lblCount->text(), "書き出すフレーム数: 45");
        dialog.accept();
    });
    EXPECT_EQ(window.Document.LastFrame, 39);
    EXPECT_EQ(window.Document.Run.HoldEnd, 5);
    EXPECT_EQ(Settings.FrameCount, 33);
    EXPECT_TRUE(window.Document.Dirty);
    window.Undo();
    EXPECT_EQ(window.Document.LastFrame, before);
    EXPECT_EQ(window.Document.Run.HoldEnd, 0);

    // Only the count changed: still an edit. The same count: none.
    Choose([](Fennix_RunOpt& dialog) {
        dialog.spnFrames->setValue(3);
        dialog.accept();
    });
    EXPECT_EQ(window.Document.LastFrame, 2);
    const int steps = window.UndoStack()->count();
    Choose([](Fennix_RunOpt& dialog) { dialog.accept(); });
    EXPECT_EQ(window.UndoStack()->count(), steps);
}

// A count outside the usual range that a project brought stays as it is.
TEST(RunOptionsDialog, ACountOutsideTheRangeIsKept) {
    for (const int last : {0, 1, 19, 20000}) {
        SCOPED_TRACE(last);
        Fennix_RunOpt dialog(RunOptions{}, last);
        EXPECT_EQ(dialog.FrameCount(), last + 1);
        EXPECT_LE(dialog.spnFrames->minimum(), 2);
        EXPECT_GE(dialog.spnFrames->maximum(), Fennix_RunOpt::kMaxFrameCount);
    }
}

}  // namespace
}  // namespace fennix
