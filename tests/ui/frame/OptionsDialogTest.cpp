#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "ui/frame/Fennix_Mdif.h"
#include "ui/frame/Fennix_Opt.h"
#include "model/Settings.h"
#include "ui/controls/ImageOption.h"
#include "ui/controls/Slider.h"
#include "ui/controls/ccXPButton.h"
#include "support/Keys.h"
#include "support/Mouse.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

TEST(Slider, ValueIsTheHandleOffsetScaledAndRoundedTiesToEven) {
    Slider slider(15, nullptr);
    slider.resize(200 + Slider::kHandleWidth, 22);
    ASSERT_EQ(slider.FreeTrackLength(), 200);
    QSignalSpy changes(&slider, &Slider::Change);
    slider.MoveHandleTo(40);
    EXPECT_EQ(slider.Value(), 3);
    slider.MoveHandleTo(20);
    EXPECT_EQ(slider.Value(), 2);  // 1.5 → 2
    slider.MoveHandleTo(60);
    EXPECT_EQ(slider.Value(), 4);  // 4.5 → 4
    slider.MoveHandleTo(61);
    EXPECT_EQ(slider.Value(), 5);  // 4.575
    slider.MoveHandleTo(500);
    EXPECT_EQ(slider.Value(), 15);
    slider.MoveHandleTo(-3);
    EXPECT_EQ(slider.Value(), 0);
    EXPECT_EQ(changes.count(), 6);
    slider.MoveHandleTo(1);  // still 0: no change sent
    EXPECT_EQ(changes.count(), 6);

    // From code: neither sent nor clamped; the handle waits at the end.
    slider.SetValue(60);
    EXPECT_EQ(slider.Value(), 60);
    EXPECT_EQ(slider.HandleOffset(), 200);
    EXPECT_EQ(changes.count(), 6);
}

TEST(Slider, DraggingTheHandleWithTheMouse) {
    Slider slider(100, nullptr);
    slider.resize(100 + Slider::kHandleWidth, 22);
    slider.show();
    QSignalSpy changes(&slider, &Slider::Change);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(3, 10));  // on the handle at 0
    test::SendMouse(&slider, QEvent::MouseMove, QPointF(53, 10), Qt::NoButton, Qt::LeftButton);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(53, 10));
    EXPECT_EQ(slider.Value(), 50);
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.last().at(0).toInt(), 50);
}

class OptionsDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        Settings.FrameCount = 20;
        Settings.Rows = 5;
        Settings.Columns = 6;
        Settings.PointerSize = 5;
        Settings.SaveKind = 1;
        Settings.RecentDisplay = 3;
        Settings.DialogConfirmed = false;
    }
    test::AppFolderScope app;
    test::ScopedPrompts prompts;
};

TEST_F(OptionsDialogTest, OpensWithTheSettingsShown) {
    Fennix_Opt dialog;
    EXPECT_EQ(dialog.windowTitle(), "オプションの設定");
    EXPECT_EQ(dialog.size(), QSize(311, 394));
    EXPECT_EQ(dialog.Slider1->Max(), 100);
    EXPECT_EQ(dialog.Slider2->Max(), 40);
    EXPECT_EQ(dialog.Slider3->Max(), 40);
    EXPECT_EQ(dialog.Slider4->Max(), 15);
    EXPECT_EQ(dialog.lbl_Frame->text(), "20");
    EXPECT_EQ(dialog.lbl_Gyo->text(), "5");
    EXPECT_EQ(dialog.lbl_Retu->text(), "6");
    EXPECT_EQ(dialog.lbl_Point->text(), "5");
    EXPECT_FALSE(dialog.Kind[0]->IsOn());
    EXPECT_TRUE(dialog.Kind[1]->IsOn());
    EXPECT_EQ(dialog.Kind[1]->Img->pixmap().toImage(), OptionOnImage().toImage());
    EXPECT_EQ(dialog.Kind[0]->Img->pixmap().toImage(), OptionOffImage().toImage());
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(dialog.Recent[i]->IsOn(), i == 3);
    QStringList captions;
    for (int i = 1; i <= 5; ++i) captions << dialog.Recent[i]->Lbl->text();
    EXPECT_EQ(captions, QStringList({"なし", "5", "10", "15", "20"}));
    EXPECT_EQ(dialog.Kind[0]->Lbl->text(), "BMP");
    EXPECT_EQ(dialog.ccXPButton1->text(), "設定");
    EXPECT_EQ(dialog.ccXPButton2->text(), "ｷｬﾝｾﾙ");
}

TEST_F(OptionsDialogTest, OkAtOnceChangesNothing) {
    const SettingsRecord before = Settings;
    Fennix_Opt dialog;
    dialog.ccXPButton1->click();
    EXPECT_TRUE(Settings.DialogConfirmed);
    EXPECT_EQ(Settings.FrameCount, before.FrameCount);
    EXPECT_EQ(Settings.Rows, before.Rows);
    EXPECT_EQ(Settings.Columns, before.Columns);
    EXPECT_EQ(Settings.PointerSize, before.PointerSize);
    EXPECT_EQ(Settings.SaveKind, 1);
    EXPECT_EQ(Settings.RecentDisplay, 3);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(OptionsDialogTest, OkRaisesTheLowEnds) {
    for (int frames : {0, 1}) {
        Fennix_Opt dialog;
        dialog.Slider1->MoveHandleTo(0);
        // The first offset that gives 1: 205 pixels of track for 0 … 100.
        for (int offset = 1; frames == 1 && dialog.Slider1->Value() < 1 && offset < 10; ++offset)
            dialog.Slider1->MoveHandleTo(offset);
        ASSERT_EQ(dialog.Slider1->Value(), frames);
        EXPECT_EQ(dialog.lbl_Frame->text(), QString::number(frames));
        dialog.Slider2->MoveHandleTo(0);
        dialog.Slider3->MoveHandleTo(0);
        dialog.Slider4->MoveHandleTo(0);
        dialog.ccXPButton1->click();
        EXPECT_EQ(Settings.FrameCount, 2);
        EXPECT_EQ(Settings.Rows, 2);
        EXPECT_EQ(Settings.Columns, 2);
        EXPECT_EQ(Settings.PointerSize, 1);
    }
    Fennix_Opt dialog;
    dialog.Slider4->MoveHandleTo(1000);
    EXPECT_EQ(dialog.lbl_Point->text(), "15");
    dialog.ccXPButton1->click();
    EXPECT_EQ(Settings.PointerSize, 15);
}

TEST_F(OptionsDialogTest, ValuesBeyondTheRangeAreShownAndKept) {
    Settings.Rows = 60;
    Settings.FrameCount = 500;
    Fennix_Opt dialog;
    EXPECT_EQ(dialog.lbl_Gyo->text(), "60");
    EXPECT_EQ(dialog.Slider2->Value(), 60);
    dialog.ccXPButton1->click();
    EXPECT_EQ(Settings.Rows, 60);
    EXPECT_EQ(Settings.FrameCount, 500);
}

TEST_F(OptionsDialogTest, LabelsAndImagesSelectTheirEntry) {
    Settings.SaveKind = 0;
    Settings.RecentDisplay = 2;
    Fennix_Opt dialog;
    dialog.show();
    QTest::mouseClick(dialog.Kind[1]->Lbl, Qt::LeftButton);  // the label "JPG"
    EXPECT_EQ(dialog.SelectedKind(), 1);
    EXPECT_TRUE(dialog.Kind[1]->IsOn());
    EXPECT_FALSE(dialog.Kind[0]->IsOn());
    QTest::mouseClick(dialog.Recent[1]->Img, Qt::LeftButton);  // the image of "なし"
    QTest::mouseClick(dialog.Recent[5]->Lbl, Qt::LeftButton);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(dialog.Recent[i]->IsOn(), i == 5);
    dialog.ccXPButton1->click();
    EXPECT_EQ(Settings.SaveKind, 1);
    EXPECT_EQ(Settings.RecentDisplay, 5);
}

TEST_F(OptionsDialogTest, CancelAfterMovingSlidersLeavesEverything) {
    Fennix_Opt dialog;
    dialog.show();
    dialog.Slider1->MoveHandleTo(0);
    dialog.Slider2->MoveHandleTo(1000);
    QTest::mouseClick(dialog.Kind[0]->Img, Qt::LeftButton);
    EXPECT_EQ(dialog.lbl_Gyo->text(), "40");
    dialog.ccXPButton2->click();
    EXPECT_FALSE(Settings.DialogConfirmed);
    EXPECT_EQ(Settings.FrameCount, 20);
    EXPECT_EQ(Settings.Rows, 5);
    EXPECT_EQ(Settings.SaveKind, 1);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(OptionsDialogTest, FrameOptionsItemOpensTheDialogWithTheFlagCleared) {
    Fennix_Mdif frame;
    ASSERT_TRUE(frame.mnuOption->isEnabled());
    Settings.DialogConfirmed = true;
    bool shown = false;
    frame.RunOptionsDialog = [&](Fennix_Opt& dialog) {
        shown = true;
        EXPECT_FALSE(Settings.DialogConfirmed);
        dialog.Slider1->MoveHandleTo(1000);
        dialog.ccXPButton1->click();
    };
    frame.mnuOption->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(Settings.DialogConfirmed);
    EXPECT_EQ(Settings.FrameCount, 100);
}

// Every setting can be reached with Tab and chosen with the keyboard.
TEST(OptionsKeyboard, TabReachesEveryChoiceAndKeysChooseAsClicksDo) {
    test::AppFolderScope app;
    Settings.SaveKind = 0;
    Settings.RecentDisplay = 2;
    Fennix_Opt dialog;
    ASSERT_TRUE(test::FocusOn(dialog.Slider1));
    std::vector<QWidget*> reached;
    for (int n = 0; n < 12; ++n) {
        test::PressInFocus(Qt::Key_Tab);
        reached.push_back(QApplication::focusWidget());
    }
    for (QWidget* w : {static_cast<QWidget*>(dialog.Kind[1]->Lbl),
                       static_cast<QWidget*>(dialog.Recent[5]->Lbl),
                       static_cast<QWidget*>(dialog.ccXPButton1)})
        EXPECT_NE(std::find(reached.begin(), reached.end(), w), reached.end());

    ASSERT_TRUE(test::FocusOn(dialog.Kind[0]->Lbl));
    test::PressInFocus(Qt::Key_Right);
    EXPECT_EQ(dialog.SelectedKind(), 1);
    EXPECT_TRUE(dialog.Kind[1]->IsOn());
    EXPECT_EQ(QApplication::focusWidget(), dialog.Kind[1]->Lbl);
    ASSERT_TRUE(test::FocusOn(dialog.Recent[4]->Lbl));
    test::PressInFocus(Qt::Key_Space);
    EXPECT_EQ(dialog.SelectedRecent(), 4);
    test::PressInFocus(Qt::Key_Left);
    EXPECT_EQ(dialog.SelectedRecent(), 3);
    EXPECT_FALSE(dialog.Recent[4]->IsOn());

    // Enter is 設定 wherever it is pressed outside a button.
    test::PressInFocus(Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Settings.SaveKind, 1);
    EXPECT_EQ(Settings.RecentDisplay, 3);
}

}  // namespace
}  // namespace fennix
