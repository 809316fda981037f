#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "PrepareTestData.h"
#include "model/Settings.h"
#include "ui/controls/ucScrollbar.h"
#include "ui/controls/ucUpDown.h"
#include "ui/common/PaneWidget.h"
#include "ui/prepare/Fennix_Pic.h"
#include "model/ImagePreparation.h"
#include "support/Keys.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

TEST(TypedReduction, PercentagesAndWidths) {
    using R = TypedReductionValue;
    EXPECT_EQ(TypedReduction("50", 640), (R{50, 0}));
    EXPECT_EQ(TypedReduction(" 35% ", 640), (R{35, 0}));
    EXPECT_EQ(TypedReduction("３５％", 640), (R{35, 0}));  // as a Japanese input method types it
    EXPECT_EQ(TypedReduction("5", 640), (R{10, 0, false}));  // kept within 10 … 100
    EXPECT_EQ(TypedReduction("250%", 640), (R{100, 0, false}));
    // A width: the spin's nearest percentage below, and the width itself.
    EXPECT_EQ(TypedReduction("800", 6000), (R{13, 800}));  // 13 % would be 780
    EXPECT_EQ(TypedReduction("103px", 150), (R{69, 103}));
    EXPECT_EQ(TypedReduction("80px", 640), (R{12, 80}));
    EXPECT_EQ(TypedReduction("640px", 640), (R{100, 0}));  // its own width: no reduction
    EXPECT_EQ(TypedReduction("50px", 640), (R{10, 0, false}));  // below 10 %: 10 %
    EXPECT_EQ(TypedReduction("641", 640), (R{100, 0, false}));  // wider than the picture
    EXPECT_EQ(TypedReduction("800", 0), std::nullopt);
    EXPECT_EQ(TypedReduction("", 640), std::nullopt);
    EXPECT_EQ(TypedReduction("1e3", 640), std::nullopt);
    EXPECT_EQ(TypedReduction("-50", 640), std::nullopt);
    EXPECT_EQ(ReducedToWidth(800, 6000, 4000), QSize(800, 533));
    EXPECT_EQ(ReducedToWidth(1, 6000, 10), QSize(1, 1));
}

class LargePictureTest : public testing::Test {
  protected:
    void SetUp() override { Settings.TempFolder = app.Path(); }
    void Pick(int s, int width, int height) {
        prompts->ChooseFilePath(
            test::WritePattern(pictures.File(std::to_string(s) + ".bmp"), width, height));
        dialog.cmd_Sel_Click(s);
    }
    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::TestFolder pictures;
    Fennix_Pic dialog;
};

// Pixel for pixel with scroll bars at first; 全体表示 shows it shrunk whole,
// and the choice holds for the next dialog.
TEST_F(LargePictureTest, ALargePictureScrollsAndTickedShowsWhole) {
    Pick(0, 640, 480);
    auto& t = dialog.slot[0];
    // Decoded once: the source copy shares the pane's picture.
    EXPECT_EQ(t.Ps.Picture().constBits(), t.P.Picture().constBits());
    EXPECT_FALSE(t.chk_Whole->isChecked());
    EXPECT_FALSE(t.PaneView->Fitted());
    EXPECT_EQ(t.PaneView->size(), QSize(640, 480));
    EXPECT_FALSE(t.HScroll->isHidden());
    EXPECT_EQ(t.HScroll->Max(), 356);
    // Nothing of the picture shows in the box's edge beyond the viewport.
    EXPECT_EQ(t.PaneView->parentWidget()->geometry(), QRect(0, 0, 300, 300));

    t.chk_Whole->click();
    EXPECT_TRUE(Settings.WholePictureShown);
    EXPECT_TRUE(t.PaneView->Fitted());
    EXPECT_EQ(t.PaneView->size(), QSize(300, 225));
    EXPECT_EQ(t.PaneView->pos(), QPoint(0, 37));  // in the middle of the viewport
    EXPECT_TRUE(t.HScroll->isHidden());
    EXPECT_TRUE(t.VScroll->isHidden());
    EXPECT_TRUE(t.Cmd_D->isHidden());
    dialog.P_MouseDown(0, Qt::LeftButton, {500, 500});  // nothing to drag
    dialog.P_MouseMove(0, {450, 500});
    EXPECT_EQ(t.P.Left(), 0);
    dialog.P_MouseUp(0);
    // What OK saves stays the picture itself.
    EXPECT_EQ(QSize(t.P.Width(), t.P.Height()), QSize(640, 480));

    t.chk_Whole->click();
    EXPECT_FALSE(Settings.WholePictureShown);
    EXPECT_FALSE(t.PaneView->Fitted());
    EXPECT_EQ(t.P.Left(), 0);
    EXPECT_EQ(t.P.Top(), 0);

    // Reduced within the viewport, it shows pixel for pixel at the corner.
    t.VS_Stretch->SetValue(40);
    dialog.Cmd_Stretch_Click(0);
    EXPECT_FALSE(t.PaneView->Fitted());
    EXPECT_EQ(t.PaneView->geometry(), QRect(0, 0, 256, 192));

    // The next dialog opens as the last one was left.
    t.chk_Whole->click();
    EXPECT_TRUE(Fennix_Pic().slot[1].chk_Whole->isChecked());
    Settings.WholePictureShown = false;
}

TEST_F(LargePictureTest, ATypedReductionSetsTheSpinAndEnterReduces) {
    Pick(0, 640, 480);
    auto& t = dialog.slot[0];
    ASSERT_TRUE(t.txt_Stretch->isEnabled());
    ASSERT_TRUE(test::FocusOn(t.txt_Stretch));
    t.txt_Stretch->setText("320px");
    test::Press(t.txt_Stretch, Qt::Key_Return);
    EXPECT_EQ(t.VS_Stretch->Value(), 50);
    EXPECT_EQ(t.lbl_Stretch->text(), "50%");
    EXPECT_EQ(QSize(t.P.Width(), t.P.Height()), QSize(320, 240));

    // A width that is no whole percentage is met exactly.
    t.txt_Stretch->setText("333");
    test::Press(t.txt_Stretch, Qt::Key_Return);
    EXPECT_EQ(QSize(t.P.Width(), t.P.Height()), QSize(333, 250));

    // Text that means nothing leaves the spin; its arrows still step it.
    t.txt_Stretch->setText("abc");
    dialog.txt_Stretch_Change(0);
    EXPECT_EQ(t.VS_Stretch->Value(), 52);
    t.VS_Stretch->SetValue(t.VS_Stretch->Value() + 1);
    EXPECT_EQ(t.lbl_Size_S->text(), "339 * 254");

    // What cannot be met is said, once for the same text, and the nearest
    // value is taken.
    ASSERT_TRUE(prompts->shown.empty());
    t.txt_Stretch->setText("700");
    dialog.txt_Stretch_Change(0);
    dialog.txt_Stretch_Change(0);
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text,
              "縮小率は 10 から 100 ％まで、幅は 64 から 640 ピクセルまでで入力してください。");
    EXPECT_EQ(t.VS_Stretch->Value(), 100);
}

}  // namespace
}  // namespace fennix
