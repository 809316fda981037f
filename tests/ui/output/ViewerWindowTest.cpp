#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <memory>

#include "support/FrameFiles.h"
#include "model/Settings.h"
#include "ui/controls/Slider.h"
#include "ui/controls/ucScrollbar.h"
#include "ui/output/Fennix_View.h"
#include "model/ViewerLayout.h"
#include "ui/common/PaneWidget.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

class ViewerWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        Settings.PlayInterval = 100;
        Settings.FrameFolder() = frames.Path();
    }

    // Opens the viewer as a menu (fromMenu) or the morph run opens it.
    void Open(bool fromMenu) {
        Settings.ViewerFromMenu = fromMenu;
        view = std::make_unique<Fennix_View>();
        view->Clock = [this] { return now; };
    }

    // One millisecond at a time, with the timer's pass after each.
    void Advance(int64_t ms) {
        for (int64_t i = 0; i < ms; ++i, ++now) view->PlayTimer_Timer();
    }

    int FrameOnScreen() const {
        if (!view->PicMorph.HasPicture()) return -1;
        return test::FrameIndexOfColor(view->PicMorph.Layer().pixel(0, 0));
    }

    bool PlayControlsEnabled() const {
        return view->Cmd_Play->isEnabled() && view->Cmd_Loop->isEnabled() &&
               view->Cmd_Pause->isEnabled() && view->HS_Interval->isEnabled();
    }

    // Where a window of `size` goes: centred, down by (free height) / divisor.
    static QPoint Placed(QSize size, int divisor) {
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        return {(screen.width() - size.width()) / 2, (screen.height() - size.height()) / divisor};
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::TestFolder frames;
    int64_t now = 0;
    std::unique_ptr<Fennix_View> view;
};

TEST_F(ViewerWindowTest, AfterAMorphRunShowsFrameZeroInAWindowSizedToIt) {
    test::WriteFrames(frames.Path(), 0, 9, 0, 100, 50);
    Settings.PlayInterval = 150;
    Open(false);
    EXPECT_EQ(view->windowTitle(), "モーフィングビューア");
    EXPECT_TRUE(view->Cmd_File->isHidden());
    EXPECT_TRUE(PlayControlsEnabled());
    EXPECT_EQ(view->FolderPath(), frames.Path() + "/");
    EXPECT_EQ(FrameOnScreen(), 0);
    EXPECT_EQ(view->Pic_B->size(), QSize(289, 90));
    EXPECT_EQ(view->size(), QSize(289, 120));
    EXPECT_EQ(view->pos(), Placed(view->size(), 2));
    EXPECT_TRUE(view->Pic_B->geometry().contains(view->PicMorphView->geometry()));
    EXPECT_EQ(view->HS_Interval->Value(), 150);
    EXPECT_EQ(view->LblInterval->text(), "150f/ms");
    EXPECT_EQ(view->lbl->text(), "ｲﾝﾀｰﾊﾞﾙ");
    EXPECT_EQ(view->lbl_Path->text(), "");
    EXPECT_EQ(view->Cmd_Loop->toolTip(), "ﾙｰﾌﾟ");
}

// Frames larger than the screen are shown scaled down: the whole window,
// its controls included, stays inside the usable area.
TEST_F(ViewerWindowTest, FramesLargerThanTheScreenAreShownWholeWithTheControls) {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const int wide = available.width() * 3 / 2, tall = available.height() * 2;
    test::WriteFrames(frames.Path(), 0, 1, 0, wide, tall);
    Open(false);
    EXPECT_EQ(FrameOnScreen(), 0);
    EXPECT_TRUE(view->PicMorphView->Fitted());
    EXPECT_TRUE(available.contains(view->geometry())) << view->geometry().width() << "x"
                                                      << view->geometry().height();
    EXPECT_LE(view->height() + kWindowFrameAllowanceY, available.height());
    // The shown frame keeps the frame's proportions and sits in the panel.
    const QSize shown = view->PicMorphView->size();
    EXPECT_NEAR(double(shown.width()) / shown.height(), double(wide) / tall, 0.01);
    EXPECT_TRUE(view->Pic_B->geometry().contains(view->PicMorphView->geometry()));
    EXPECT_TRUE(view->rect().contains(view->Strip->geometry()));
}

// The counter follows the frame on screen; while nothing plays the slider
// and the Left and Right keys go to any frame.
TEST_F(ViewerWindowTest, CounterSliderAndArrowKeysJumpWhileStopped) {
    test::WriteFrames(frames.Path(), 0, 9, 0, 100, 50);
    Open(false);
    EXPECT_EQ(view->lblFrame->text(), "0 / 9");
    EXPECT_TRUE(view->FrameSlider->isEnabled());
    EXPECT_EQ(view->FrameSlider->Max(), 9);
    EXPECT_TRUE(view->JumpToFrame(5));
    EXPECT_EQ(FrameOnScreen(), 5);
    EXPECT_EQ(view->lblFrame->text(), "5 / 9");
    EXPECT_EQ(view->FrameSlider->Value(), 5);

    QTest::keyClick(view.get(), Qt::Key_Right);
    EXPECT_EQ(FrameOnScreen(), 6);
    QTest::keyClick(view.get(), Qt::Key_Left);
    QTest::keyClick(view.get(), Qt::Key_Left);
    EXPECT_EQ(FrameOnScreen(), 4);
    view->FrameSlider->MoveHandleTo(view->FrameSlider->FreeTrackLength());  // dragged to the end
    EXPECT_EQ(FrameOnScreen(), 9);
    QTest::keyClick(view.get(), Qt::Key_Right);  // nothing beyond the last frame
    EXPECT_EQ(view->lblFrame->text(), "9 / 9");
    // From a button of the strip too, which keeps the focus; the slider
    // takes Home, End and the page keys.
    QTest::keyClick(view->Cmd_Play, Qt::Key_Left);
    EXPECT_EQ(FrameOnScreen(), 8);
    QTest::keyClick(view->FrameSlider, Qt::Key_Home);
    EXPECT_EQ(FrameOnScreen(), 0);
    QTest::keyClick(view->FrameSlider, Qt::Key_PageUp);
    EXPECT_EQ(FrameOnScreen(), 1);
    QTest::keyClick(view->FrameSlider, Qt::Key_End);
    EXPECT_EQ(FrameOnScreen(), 9);

    // While frames play the counter follows and jumping waits.
    view->Cmd_Play_Click();
    EXPECT_FALSE(view->FrameSlider->isEnabled());
    EXPECT_FALSE(view->JumpToFrame(2));
    Advance(250);
    EXPECT_EQ(view->lblFrame->text(), QString("%1 / 9").arg(FrameOnScreen()));
    view->Cmd_Pause_Click();
    EXPECT_TRUE(view->FrameSlider->isEnabled());
    EXPECT_TRUE(view->JumpToFrame(2));
}

TEST_F(ViewerWindowTest, WithoutFrameZeroTheFrameStaysEmptyAndRunsEndAtOnce) {
    Settings.PlayInterval = 0;  // outside the control's range: left alone
    Open(false);
    EXPECT_EQ(view->LblInterval->text(), "100f/ms");
    EXPECT_EQ(Settings.PlayInterval, 0);
    EXPECT_FALSE(view->PicMorph.HasPicture());
    EXPECT_EQ(view->size(), QSize(413, 311));
    EXPECT_TRUE(PlayControlsEnabled());
    view->Cmd_Play_Click();
    Advance(101);
    EXPECT_FALSE(view->Player().Playing());
    EXPECT_TRUE(prompts->shown.empty());  // the end of a sequence is no error
}

TEST_F(ViewerWindowTest, FromTheMenuAFolderIsChosenFirstAndBitmapFramesWin) {
    test::TestFolder empty;
    test::WriteFrames(frames.Path(), 0, 3, 0, 100, 50);
    QImage red(100, 50, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(frames.File("000.jpg")), "JPG"));
    Settings.FrameFolder() = app.Path();
    Open(true);
    EXPECT_FALSE(view->Cmd_File->isHidden());
    EXPECT_FALSE(PlayControlsEnabled());
    EXPECT_EQ(view->size(), QSize(413, 311));

    std::vector<std::string> starts;
    std::string answer;  // empty: cancel
    view->ChooseFolder = [&](QWidget*, std::string& folder) {
        starts.push_back(folder);
        folder = answer;
        return !answer.empty();
    };
    Settings.DialogConfirmed = true;
    view->Cmd_File_Click();
    EXPECT_FALSE(Settings.DialogConfirmed);
    EXPECT_EQ(view->lbl_Path->text(), "");

    answer = empty.Path();  // confirmed, but no frames: only the path shows
    view->Cmd_File_Click();
    EXPECT_EQ(view->lbl_Path->toolTip().toStdString(), empty.Path() + "/");
    EXPECT_FALSE(PlayControlsEnabled());

    answer = frames.Path();
    view->Cmd_File_Click();
    EXPECT_EQ(starts, (std::vector<std::string>{app.Path(), app.Path(), empty.Path()}));
    EXPECT_TRUE(Settings.DialogConfirmed);
    EXPECT_EQ(Settings.FrameFolder(), frames.Path());
    EXPECT_EQ(view->lbl_Path->toolTip().toStdString(), frames.Path() + "/");
    // The path has the whole row under the frame: the slider and the
    // counter sit in the strip below the panel.
    EXPECT_EQ(view->lbl_Path->width(), view->Pic_B->width() - kViewerPanelMarginX);
    EXPECT_EQ(view->FrameSlider->parentWidget(), view->Strip);
    EXPECT_LE(view->lbl_Path->fontMetrics().horizontalAdvance("/home/user/20240305-07/"),
              view->lbl_Path->width());
    EXPECT_EQ(view->Kind(), 0);
    EXPECT_EQ(FrameOnScreen(), 0);
    EXPECT_TRUE(PlayControlsEnabled());
    EXPECT_EQ(view->size(), QSize(289, 120));
    EXPECT_EQ(view->pos(), Placed(view->size(), 3));
    view->Cmd_Play_Click();
    Advance(1000);
    EXPECT_EQ(FrameOnScreen(), 3);
}

TEST_F(ViewerWindowTest, TheIntervalControlWritesTheSettingAndTheRunFollowsIt) {
    test::WriteFrames(frames.Path(), 0, 9, 0);
    Open(false);
    ucScrollbar* hs = view->HS_Interval;
    EXPECT_EQ(hs->minimum(), 10);
    EXPECT_EQ(hs->maximum(), 500);
    hs->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(view->LblInterval->text(), "110f/ms");
    EXPECT_EQ(Settings.PlayInterval, 110);
    hs->triggerAction(QAbstractSlider::SliderPageStepSub);
    hs->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(Settings.PlayInterval, 90);

    hs->SetValue(100);
    view->Cmd_Play_Click();
    Advance(151);  // frame 000 at 100
    hs->SetValue(20);
    EXPECT_EQ(Settings.PlayInterval, 20);
    EXPECT_EQ(view->PlayTimer->remainingTime(), 0);  // 51 ms passed: due at once
    Advance(1);
    EXPECT_EQ(FrameOnScreen(), 1);
    Advance(20);
    EXPECT_EQ(FrameOnScreen(), 2);
}

TEST_F(ViewerWindowTest, LoopStopPlayAndClose) {
    test::WriteFrames(frames.Path(), 0, 2, 0);
    Open(false);
    view->show();
    view->Cmd_Loop_Click();
    EXPECT_FALSE(view->Cmd_Play->isEnabled());
    Advance(701);  // 000 001 002 002 001 000
    EXPECT_EQ(FrameOnScreen(), 0);
    view->Cmd_Pause_Click();
    EXPECT_TRUE(view->Cmd_Play->isEnabled());
    EXPECT_FALSE(view->PlayTimer->isActive());
    view->Cmd_Play_Click();
    Advance(201);
    EXPECT_EQ(FrameOnScreen(), 1);

    // Choosing a folder ends the loop; closing ends any run.
    view->Cmd_Loop_Click();
    view->ChooseFolder = [&](QWidget*, std::string& folder) {
        EXPECT_FALSE(view->PlayTimer->isActive());  // the run waits meanwhile
        folder = frames.Path();
        return true;
    };
    view->Cmd_File_Click();
    EXPECT_FALSE(view->Player().Looping());
    EXPECT_TRUE(view->Cmd_Play->isEnabled());
    view->Cmd_Loop_Click();
    EXPECT_EQ(Fennix_View::Instance(), view.get());
    view->reject();
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(view->Player().Playing() || view->PlayTimer->isActive());
    view.reset();
    EXPECT_EQ(Fennix_View::Instance(), nullptr);
}

}  // namespace
}  // namespace fennix
