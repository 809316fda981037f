#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>

#include "PrepareTestData.h"
#include "ui/frame/Fennix_Mdif.h"
#include "model/Settings.h"
#include "model/TempImages.h"
#include "ui/controls/ucUpDown.h"
#include "ui/common/DialogPlacement.h"
#include "ui/common/PaneWidget.h"
#include "ui/prepare/Fennix_Pic.h"
#include "ui/prepare/Fennix_Tri.h"
#include "model/ImagePreparation.h"
#include "ui/document/Fennix_Main.h"
#include "ui/controls/ccXPButton.h"
#include "support/Keys.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

TEST(TrimCheckTest, ChecksInOrder) {
    auto check = [](const char* w, const char* h, bool picked = true) {
        return CheckTrimSize(w, h, picked, 640, 480);
    };
    EXPECT_EQ(check("abc", "10").message, "トリミングのサイズを入力してください");
    EXPECT_EQ(check("abc", "10").focus, TrimCheck::Focus::Width);
    EXPECT_EQ(check("1.5", "10").message, "トリミングのサイズを入力してください");
    EXPECT_EQ(check("0", "10").message, "トリミングのサイズを入力してください");
    // The width field takes the focus also when only the height is wrong.
    EXPECT_EQ(check("10", "-3").focus, TrimCheck::Focus::Width);
    EXPECT_EQ(check("10", "abc").message, "トリミングのサイズを入力してください");
    EXPECT_EQ(check("10", "abc").focus, TrimCheck::Focus::Width);
    EXPECT_EQ(check("10", "10", false).message, "トリミングの画像をロードしてください");
    EXPECT_EQ(check("641", "10").message, "トリミングのサイズ幅(Max) = 640");
    EXPECT_EQ(check("99999", "10").message, "トリミングのサイズ幅(Max) = 640");
    EXPECT_EQ(check("640", "481").message, "トリミングのサイズ高さ(Max) = 480");
    EXPECT_EQ(check("640", "481").focus, TrimCheck::Focus::Height);
    const TrimCheck ok = check(" +640 ", "480");
    EXPECT_EQ(ok.message, "");
    EXPECT_EQ(ok.width, 640);
    EXPECT_EQ(ok.height, 480);
}

TEST(TrimGeometryTest, ViewportKeepsAMarginWithinItsLimits) {
    TrimGeometry g = TrimGeometryFor(200, 100);
    EXPECT_EQ(g.viewport, QSize(384, 384));
    EXPECT_EQ(g.panel, QSize(388, 440));
    EXPECT_EQ(g.window, QSize(388, 460));
    EXPECT_EQ(g.x0, 90);
    EXPECT_EQ(g.y0, 140);
    g = TrimGeometryFor(500, 400);
    EXPECT_EQ(g.viewport, QSize(524, 424));
    EXPECT_EQ(QPoint(g.x0, g.y0), QPoint(10, 10));
    g = TrimGeometryFor(700, 600);
    EXPECT_EQ(g.viewport, QSize(664, 504));
    EXPECT_EQ(QPoint(g.x0, g.y0), QPoint(-20, -50));
    EXPECT_EQ(DialogPosition({1920, 1080}, {388, 460}), QPoint(766, 206));

    // A rectangle beyond the largest viewport: picture and rectangle shown
    // reduced, whole, in a window that fits the screen.
    g = TrimGeometryFor(4000, 3000, {4000, 3000}, {1920, 1080});
    EXPECT_EQ(g.scale, ZoomScale::Ratio(940, 3000));
    EXPECT_EQ(g.viewport, QSize(1253 + 24, 940 + 24));
    EXPECT_EQ(QPoint(g.x0, g.y0), QPoint(10, 10));
    EXPECT_LE(g.window.width(), 1920);
    EXPECT_LE(g.window.height() + 40, 1080);
    // One that fits keeps the layout above, whatever the picture.
    EXPECT_EQ(TrimGeometryFor(700, 600, {700, 600}, {1920, 1080}).scale, ZoomScale(1));
    EXPECT_EQ(TrimGeometryFor(600, 400, {8000, 6000}, {800, 600}).viewport, QSize(624, 424));
}

class TrimmingTest : public testing::Test {
  protected:
    void SetUp() override {
        Settings.TempFolder = app.Path();
        prompts->ChooseFilePath(test::WritePattern(pictures.File("start.bmp"), 640, 480));
        dialog.cmd_Sel_Click(0);
    }

    // Runs the trim command of slot 0 for w × h; `act` plays the user.
    void Trim(const char* w, const char* h, std::function<void(Fennix_Tri&)> act) {
        dialog.slot[0].txt_w->setText(w);
        dialog.slot[0].txt_h->setText(h);
        dialog.RunTrimming = [&](Fennix_Tri& tri) {
            opened = true;
            act(tri);
        };
        dialog.Cmd_Triming_Click(0);
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::TestFolder pictures;
    Fennix_Pic dialog;
    bool opened = false;
};

TEST_F(TrimmingTest, RefusedSizesShowTheirMessageFocusTheFieldAndOpenNothing) {
    const auto& t = dialog.slot[0];
    Trim("abc", "100", [](Fennix_Tri&) {});
    EXPECT_FALSE(opened);
    EXPECT_EQ(dialog.focusWidget(), t.txt_w);
    Trim("100", "481", [](Fennix_Tri&) {});
    EXPECT_EQ(dialog.focusWidget(), t.txt_h);
    // A height that is no number sends the user back to the width field.
    Trim("100", "abc", [](Fennix_Tri&) {});
    EXPECT_EQ(dialog.focusWidget(), t.txt_w);
    Trim("641", "100", [](Fennix_Tri&) {});
    EXPECT_FALSE(opened);
    ASSERT_EQ(prompts->shown.size(), 4u);
    EXPECT_EQ(prompts->shown[0].text, "トリミングのサイズを入力してください");
    EXPECT_EQ(prompts->shown[1].text, "トリミングのサイズ高さ(Max) = 480");
    EXPECT_EQ(prompts->shown[2].text, "トリミングのサイズを入力してください");
    EXPECT_EQ(prompts->shown[3].text, "トリミングのサイズ幅(Max) = 640");
    for (const auto& shown : prompts->shown) {
        EXPECT_EQ(shown.icon, MessageIcon::Information);
        EXPECT_EQ(shown.title, "Fennix");
    }
    EXPECT_EQ(t.P.Width(), 640);  // the slot is as it was
}

TEST_F(TrimmingTest, WindowIsLaidOutForTheRequestedSize) {
    Trim("200", "100", [](Fennix_Tri& tri) {
        EXPECT_EQ(tri.windowTitle(), "Fennix 画像のトリミング");
        EXPECT_EQ(tri.size(), QSize(388, 440));
        EXPECT_EQ(tri.PicBack->size(), QSize(384, 384));
        EXPECT_EQ(tri.Pic_m->y(), 386);
        EXPECT_EQ(tri.Pic_Line[0]->geometry(), QRect(90, 140, 200, 2));
        EXPECT_EQ(tri.Pic_Line[1]->geometry(), QRect(90, 238, 200, 2));
        EXPECT_EQ(tri.Pic_Line[2]->geometry(), QRect(90, 140, 2, 100));
        EXPECT_EQ(tri.Pic_Line[3]->geometry(), QRect(288, 140, 2, 100));
        EXPECT_EQ(QPoint(tri.Image.Left(), tri.Image.Top()), QPoint(90, 140));
        EXPECT_EQ(tri.lbl_size->text(), "ﾄﾘﾐﾝｸﾞのｻｲｽﾞ： 200 * 100");
        EXPECT_EQ(tri.LineColor(), 255 << 16);
        tri.Cmd_Can_Click();
    });
    EXPECT_TRUE(opened);
    EXPECT_FALSE(Settings.DialogConfirmed);
    EXPECT_EQ(dialog.slot[0].P.Width(), 640);  // cancel changes nothing
    EXPECT_EQ(dialog.slot[0].lbl_Size->text(), "Size = 640 * 480");
}

// Enter in a trim field trims that field's picture, and Enter in the
// trimming window is its OK.
TEST_F(TrimmingTest, EnterTrimsTheFieldsPictureAndConfirmsTheCrop) {
    prompts->ChooseFilePath(test::WritePattern(pictures.File("end.bmp"), 320, 240));
    dialog.cmd_Sel_Click(1);
    const size_t requests = prompts->fileRequests.size();
    const auto& end = dialog.slot[1];
    end.txt_w->setText("100");
    end.txt_h->setText("50");
    dialog.RunTrimming = [&](Fennix_Tri& tri) {
        ASSERT_FALSE(opened);
        opened = true;
        ASSERT_TRUE(test::Activate(&tri));
        ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(tri.cmd_OK));
        EXPECT_TRUE(test::PressInFocus(Qt::Key_Return));
    };
    ASSERT_TRUE(test::FocusOn(end.txt_h));
    test::Press(end.txt_h, Qt::Key_Return);
    EXPECT_TRUE(opened);
    EXPECT_EQ(prompts->fileRequests.size(), requests);  // no file dialog opened
    EXPECT_TRUE(Settings.DialogConfirmed);
    EXPECT_EQ(QSize(end.P.Width(), end.P.Height()), QSize(100, 50));
    EXPECT_EQ(dialog.slot[0].P.Width(), 640);
}

TEST_F(TrimmingTest, OkCropsTheFramedPart) {
    const QImage source = test::PatternImage(640, 480);
    // Without moving: the top-left part.
    Trim("300", "200", [](Fennix_Tri& tri) { tri.cmd_OK_Click(); });
    EXPECT_TRUE(Settings.DialogConfirmed);
    const auto& t = dialog.slot[0];
    ASSERT_EQ(QSize(t.P.Width(), t.P.Height()), QSize(300, 200));
    EXPECT_EQ(t.P.Layer().pixel(0, 0), source.pixel(0, 0));
    EXPECT_EQ(t.P.Layer().pixel(299, 199), source.pixel(299, 199));
    EXPECT_EQ(t.lbl_Size->text(), "Size = 300 * 200");
    EXPECT_EQ(t.VS_Stretch->Value(), 100);
    EXPECT_EQ(t.BaseWidth, 300);

    // Reduction now starts from the cropped picture.
    dialog.slot[0].VS_Stretch->SetValue(50);
    dialog.Cmd_Stretch_Click(0);
    EXPECT_EQ(QSize(t.P.Width(), t.P.Height()), QSize(150, 100));

    // Dragging the picture 40 left and 30 up frames the part at (40, 30);
    // the colour command recolours the lines.
    dialog.Cmd_Reset_Click(0);
    Trim("100", "50", [&](Fennix_Tri& tri) {
        prompts->colors.push_back(0x00FF00);
        tri.cmd_Color_Click();
        EXPECT_EQ(tri.LineColor(), 0x00FF00);
        EXPECT_EQ(prompts->colorStarts.back(), 255 << 16);
        tri.P_MouseDown(Qt::LeftButton, {500, 500});
        tri.P_MouseMove({460, 470});
        tri.P_MouseUp();
        tri.cmd_OK_Click();
    });
    ASSERT_EQ(QSize(t.P.Width(), t.P.Height()), QSize(100, 50));
    EXPECT_EQ(t.P.Layer().pixel(0, 0), source.pixel(40, 30));
    EXPECT_EQ(t.P.Layer().pixel(99, 49), source.pixel(139, 79));
}

// A large picture trims in its own pixels though it is shown reduced: a drag
// on the screen moves the rectangle by the screen distance over the scale.
TEST_F(TrimmingTest, AReducedViewCropsInPicturePixels) {
    const QImage source = test::PatternImage(2000, 1500);
    prompts->ChooseFilePath(test::WritePattern(pictures.File("big.bmp"), 2000, 1500));
    dialog.cmd_Sel_Click(0);
    ZoomScale scale;
    Trim("1900", "1400", [&](Fennix_Tri& tri) {
        scale = TrimGeometryFor(1900, 1400, {2000, 1500},
                                QGuiApplication::primaryScreen()->availableGeometry().size())
                    .scale;
        ASSERT_LT(scale, ZoomScale(1));
        EXPECT_EQ(tri.Image.Width(), scale.PaneLength(2000));
        EXPECT_EQ(tri.Pic_Line[0]->width(), scale.PaneLength(1900));
        EXPECT_TRUE(QRect(QPoint(0, 0), tri.Client->size()).contains(tri.Pic_Line[3]->geometry()));
        tri.P_MouseDown(Qt::LeftButton, {300, 300});
        tri.P_MouseMove({270, 280});
        tri.P_MouseUp();
        tri.cmd_OK_Click();
    });
    const auto& t = dialog.slot[0];
    ASSERT_EQ(QSize(t.P.Width(), t.P.Height()), QSize(1900, 1400));
    const int dx = scale.ImagePos(30), dy = scale.ImagePos(20);
    EXPECT_EQ(t.P.Layer().pixel(0, 0), source.pixel(dx, dy));
    EXPECT_EQ(t.P.Layer().pixel(1899 - dx, 1399 - dy), source.pixel(1899, 1399));
}

// 新規 from the frame: pick two sample pictures, OK, and a document with
// both grids opens on the document's own prepared images.
TEST(NewMorphTest, FrameOpensADocumentFromTheDialog) {
    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::UseDefaultGridSettings();
    Fennix_Mdif frame;
    frame.MDIForm_Load();
    frame.RunSourceDialog = [&](Fennix_Pic& pic) {
        prompts->ChooseFilePath(test::SamplePath("sun.bmp"));
        pic.cmd_Sel_Click(0);
        prompts->ChooseFilePath(test::SamplePath("moon.bmp"));
        pic.cmd_Sel_Click(1);
        pic.cmd_OK_Click();
    };
    frame.mnuNewMorph->trigger();
    EXPECT_TRUE(Settings.IsNewMorph);
    ASSERT_EQ(frame.Documents().size(), 1);
    Fennix_Main* document = frame.Documents()[0];
    const std::string own = Settings.TempFolder + "/temp_" + ProgramWorkspace().Tag();
    EXPECT_EQ(document->Document.Matrix(1).ImagePath, own + "_0.bmp");
    EXPECT_EQ(document->Document.Matrix(2).ImagePath, own + "_1.bmp");
    EXPECT_EQ(document->Document.SourcePath[0], test::SamplePath("sun.bmp"));
    EXPECT_TRUE(LoadImageFile(own + "_0.bmp").has_value());

    // A second new document gets a pair of its own.
    frame.mnuNewMorph->trigger();
    ASSERT_EQ(frame.Documents().size(), 2);
    EXPECT_EQ(frame.Documents()[1]->Document.Matrix(1).ImagePath, own + "_2.bmp");
    frame.MDIForm_Unload();
}

}  // namespace
}  // namespace fennix
