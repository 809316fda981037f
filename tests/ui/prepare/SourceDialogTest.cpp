#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>

#include "PrepareTestData.h"
#include "model/Settings.h"
#include "model/TempImages.h"
#include "ui/controls/ccXPButton.h"
#include "ui/controls/ucScrollbar.h"
#include "ui/controls/ucUpDown.h"
#include "core/Paths.h"
#include "ui/common/PaneWidget.h"
#include "ui/prepare/Fennix_Pic.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

class SourceDialogTest : public testing::Test {
  protected:
    void SetUp() override { Settings.TempFolder = app.Path(); }

    std::string Picture(const std::string& name, int width, int height) {
        return test::WritePattern(pictures.File(name), width, height);
    }
    void Pick(int s, const std::string& path) {
        prompts->ChooseFilePath(path);
        dialog.cmd_Sel_Click(s);
    }
    QSize PaneSize(int s) { return {dialog.slot[s].P.Width(), dialog.slot[s].P.Height()}; }
    std::string SizeLabel(int s) { return dialog.slot[s].lbl_Size->text().toStdString(); }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::TestFolder pictures;
    Fennix_Pic dialog;
};

TEST_F(SourceDialogTest, OpensWithEmptySlots) {
    EXPECT_EQ(dialog.windowTitle(), "画像の選択");
    for (const auto& t : dialog.slot) {
        EXPECT_EQ(t.P.Width(), 300);
        EXPECT_EQ(t.P.Height(), 300);
        EXPECT_EQ(t.VS_Stretch->Value(), 100);
        EXPECT_EQ(t.lbl_Stretch->text(), "100%");
        EXPECT_EQ(t.lbl_Size->text(), "");
        EXPECT_EQ(t.lbl_Size_S->text(), "");
        EXPECT_TRUE(t.cmd_Sel->isEnabled());
        for (QWidget* w : {static_cast<QWidget*>(t.Cmd_Triming), static_cast<QWidget*>(t.cmd_Doki),
                           static_cast<QWidget*>(t.Cmd_Stretch), static_cast<QWidget*>(t.Cmd_Reset),
                           static_cast<QWidget*>(t.txt_w)})
            EXPECT_FALSE(w->isEnabled());
        EXPECT_FALSE(t.VScroll->isHidden());
        EXPECT_FALSE(t.HScroll->isHidden());
        EXPECT_EQ(t.VScroll->Max(), 100);
        // Bars and corner square fill the 304 × 304 viewport around the view.
        EXPECT_EQ(t.PicBack->size(), QSize(304, 304));
        EXPECT_EQ(t.VScroll->geometry(), QRect(284, 0, 16, 284));
        EXPECT_EQ(t.HScroll->geometry(), QRect(0, 284, 284, 16));
        EXPECT_EQ(t.Cmd_D->geometry(), QRect(284, 284, 16, 16));
    }
    EXPECT_EQ(dialog.slot[0].cmd_Sel->text(), "開始画像の選択");
    EXPECT_EQ(dialog.slot[1].cmd_Doki->text(), "ｻｲｽﾞを開始画像に合わせる");
}

TEST_F(SourceDialogTest, PickingLoadsBothPanesAndEnablesTheSlot) {
    Settings.SourceFolder() = pictures.Path() + "/";
    StartSourcePath = "left over";
    Fennix_Pic fresh;  // the paths are cleared on opening
    EXPECT_EQ(StartSourcePath, "");

    const std::string path = Picture("start.bmp", 333, 111);
    Pick(0, path);
    const FileRequest& request = prompts->fileRequests.at(0);
    EXPECT_EQ(request.Title, "開始画像の選択");
    EXPECT_EQ(request.Folder, pictures.Path() + "/");
    ASSERT_GE(request.Filters.size(), 4u);
    EXPECT_EQ(request.Filters[0], "画像ﾌｧｲﾙ (*.bmp;*.jpg;*.gif;*.dib;*.wmf)");
    EXPECT_EQ(request.Filters[1], "*.bmp;*.jpg;*.gif;*.dib;*.wmf");
    EXPECT_EQ(request.Filters[2], "その他の画像 (*.png;*.tif;*.tiff;*.webp;*.jpeg)");

    EXPECT_EQ(StartSourcePath, path);
    EXPECT_EQ(Settings.SourceFolder(), PathFolder(path));
    EXPECT_EQ(PaneSize(0), QSize(333, 111));
    EXPECT_EQ(dialog.slot[0].Ps.Width(), 333);
    EXPECT_EQ(SizeLabel(0), "Size = 333 * 111");
    EXPECT_EQ(dialog.slot[0].lbl_Size_S->text(), "333 * 111");
    EXPECT_TRUE(dialog.slot[0].Cmd_Triming->isEnabled());
    EXPECT_TRUE(dialog.slot[0].txt_h->isEnabled());
    EXPECT_FALSE(dialog.slot[0].cmd_Doki->isEnabled());  // until both are picked

    // The reduction preview follows the spin control.
    dialog.slot[0].VS_Stretch->SetValue(75);
    EXPECT_EQ(dialog.slot[0].lbl_Stretch->text(), "75%");
    EXPECT_EQ(dialog.slot[0].lbl_Size_S->text(), "249 * 83");

    Pick(1, Picture("end.bmp", 64, 64));
    EXPECT_TRUE(dialog.slot[0].cmd_Doki->isEnabled());
    EXPECT_TRUE(dialog.slot[1].cmd_Doki->isEnabled());

    // Cancelling the file dialog changes nothing.
    dialog.cmd_Sel_Click(0);
    EXPECT_EQ(StartSourcePath, path);
    EXPECT_EQ(PaneSize(0), QSize(333, 111));

    // A file that does not decode is refused; the slot keeps its picture
    // (UnreadablePicturesAreRefused goes through every kind).
    const std::string broken = pictures.File("broken.bmp");
    test::WriteFile(broken, "not a picture");
    Pick(0, broken);
    EXPECT_EQ(StartSourcePath, path);
    EXPECT_EQ(PaneSize(0), QSize(333, 111));
    EXPECT_EQ(dialog.slot[0].P.Layer().pixel(10, 10), test::PatternImage(333, 111).pixel(10, 10));

    // A FIFO is refused at once, not waited on for ever.
    const std::string fifo = pictures.File("fifo.jpg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Pick(0, fifo);
    EXPECT_EQ(StartSourcePath, path);
    EXPECT_EQ(PaneSize(0), QSize(333, 111));
}

// A picture is decoded off the window's thread: the window answers (a
// timer runs) while a large one is read, the dialog waiting disabled under
// the busy pointer, and all is as before once the picture is there.
TEST_F(SourceDialogTest, PicturesAreReadWhileTheWindowAnswers) {
    const std::string path = pictures.File("large.png");
    ASSERT_TRUE(test::PatternImage(3000, 2000).save(QString::fromStdString(path), "PNG"));
    bool answered = false, disabled = false, busy = false;
    QTimer::singleShot(0, &dialog, [&] {
        answered = true;
        disabled = !dialog.isEnabled();
        busy = QApplication::overrideCursor() != nullptr;
    });
    Pick(0, path);
    EXPECT_TRUE(answered);
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(busy);
    EXPECT_EQ(PaneSize(0), QSize(3000, 2000));
    EXPECT_EQ(dialog.slot[0].P.Layer().pixel(2999, 1999), test::PatternImage(3000, 2000).pixel(2999, 1999));
    EXPECT_TRUE(dialog.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The headers of a 24-bit BMP that claims width × height and holds a few
// bytes of pixels.
std::string BitmapClaiming(uint32_t width, uint32_t height) {
    auto le = [](uint32_t v, int bytes) {
        std::string out;
        for (int k = 0; k < bytes; ++k) out += char((v >> (8 * k)) & 0xFF);
        return out;
    };
    const std::string info = le(40, 4) + le(width, 4) + le(height, 4) + le(1, 2) + le(24, 2) +
                             std::string(24, '\0');
    const std::string pixels(64, '\x7F');
    return "BM" + le(uint32_t(14 + info.size() + pixels.size()), 4) + le(0, 4) +
           le(uint32_t(14 + info.size()), 4) + info + pixels;
}

// A FIFO, a device, a file that is no picture, one cut short, one too large
// and a drawing over its budget: each is refused with the message for a
// failed picture and its reason, and the slot keeps the picture it had,
// for a pick and for a reset alike.
TEST_F(SourceDialogTest, UnreadablePicturesAreRefused) {
    const std::string good = Picture("good.bmp", 64, 48);
    const std::string goodBytes = test::ReadFile(good);
    const QImage pattern = test::PatternImage(64, 48);
    const std::string fifo = pictures.File("fifo.bmp"), device = pictures.File("zero.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 5)) == 0;
    test::WriteFile(pictures.File("text.jpg"), "only words, no picture");
    ASSERT_TRUE(pattern.save(QString::fromStdString(pictures.File("cut.png")), "PNG"));
    const std::string png = test::ReadFile(pictures.File("cut.png"));
    test::WriteFile(pictures.File("cut.png"), png.substr(0, png.size() / 2));
    test::WriteFile(pictures.File("huge.bmp"), BitmapClaiming(16000, 16000));
    std::string records;
    for (int k = 0; k < 200'000; ++k) records += std::string("\x03\0\0\0\x1E\0", 6);  // SaveDC
    test::WriteFile(pictures.File("busy.wmf"),
                    std::string("\x01\0\x09\0\0\x03\0\0\0\0\0\0\x03\0\0\0\0\0", 18) +
                        records + std::string("\x03\0\0\0\0\0", 6));
    struct Case {
        std::string path;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {fifo, "通常のファイルではありません（フォルダ、FIFO、デバイスなど）。"},
        {haveDevice ? device : fifo, "通常のファイルではありません（フォルダ、FIFO、デバイスなど）。"},
        {pictures.File("text.jpg"),
         "画像として読み込めません。形式が違うか、壊れているか、途中で切れています。"},
        {pictures.File("cut.png"),
         "画像として読み込めません。形式が違うか、壊れているか、途中で切れています。"},
        {pictures.File("huge.bmp"),
         "画像が大きすぎます（2 億画素を超えるか、一辺が 32767 ピクセルを超えています）。"},
        {pictures.File("busy.wmf"), "図形の数が多すぎるか、描画に時間がかかりすぎます。"},
        {pictures.File("missing.bmp"), "ファイルが見つからないか、読み取る権限がありません。"},
    };
    Pick(0, good);
    Settings.SourceFolder() = "/elsewhere/";
    auto expectKept = [&](const std::string& name) {
        EXPECT_EQ(StartSourcePath, good) << name;
        EXPECT_EQ(Settings.SourceFolder(), "/elsewhere/") << name;
        EXPECT_EQ(PaneSize(0), QSize(64, 48)) << name;
        EXPECT_EQ(dialog.slot[0].Ps.Width(), 64) << name;
        EXPECT_EQ(SizeLabel(0), "Size = 64 * 48") << name;
        EXPECT_EQ(dialog.slot[0].P.Layer().pixel(5, 7), pattern.pixel(5, 7)) << name;
        EXPECT_TRUE(dialog.slot[0].Cmd_Reset->isEnabled()) << name;
    };
    for (const Case& c : cases) {
        prompts->shown.clear();
        Pick(0, c.path);
        ASSERT_EQ(prompts->shown.size(), 1u) << c.path;
        EXPECT_EQ(prompts->shown[0].text, c.path + "が無効です。\n" + c.reason);
        EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Exclamation);
        expectKept(c.path);
    }

    // The picked file broken afterwards: ﾘｾｯﾄ refuses it too and keeps the
    // picture; repaired, the reset works again.
    test::WriteFile(good, "overwritten");
    prompts->shown.clear();
    dialog.Cmd_Reset_Click(0);
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, good + "が無効です。\n"
                                             "画像として読み込めません。形式が違うか、壊れているか、"
                                             "途中で切れています。");
    expectKept("reset");
    test::WriteFile(good, goodBytes);
    prompts->shown.clear();
    dialog.Cmd_Reset_Click(0);
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_EQ(SizeLabel(0), "64 * 48");
}

TEST_F(SourceDialogTest, ScrollBarsAndThumbnailFollowThePictureSize) {
    struct Case {
        int w, h;
        bool horizontal, vertical;
        int hMax, vMax;
        QSize thumbnail;  // empty: none shown
    };
    const Case cases[] = {
        {300, 300, false, false, 0, 0, {}},         {301, 200, true, false, 1, 0, {}},
        {400, 400, true, true, 116, 116, {60, 60}}, {640, 480, true, true, 356, 196, {60, 45}},
        {480, 640, true, true, 196, 356, {45, 60}}, {800, 300, true, false, 500, 0, {}}};
    for (const Case& c : cases) {
        Fennix_Pic fresh;
        prompts->ChooseFilePath(Picture("p.bmp", c.w, c.h));
        fresh.cmd_Sel_Click(0);
        const auto& t = fresh.slot[0];
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        EXPECT_EQ(!t.HScroll->isHidden(), c.horizontal);
        EXPECT_EQ(!t.VScroll->isHidden(), c.vertical);
        EXPECT_EQ(!t.Cmd_D->isHidden(), c.horizontal || c.vertical);
        if (c.horizontal) {
            EXPECT_EQ(t.HScroll->Max(), c.hMax);
        }
        if (c.vertical) {
            EXPECT_EQ(t.VScroll->Max(), c.vMax);
        }
        EXPECT_EQ(t.P1.Visible(), !c.thumbnail.isEmpty());
        EXPECT_EQ(!t.lbl_sam->isHidden(), !c.thumbnail.isEmpty());
        if (!c.thumbnail.isEmpty()) {
            EXPECT_EQ(QSize(t.P1.Width(), t.P1.Height()), c.thumbnail);
        }
    }
}

TEST_F(SourceDialogTest, ThumbnailDropsPixelsAndOutlivesASmallerPick) {
    Pick(0, Picture("big.bmp", 640, 480));
    const auto& t = dialog.slot[0];
    ASSERT_EQ(QSize(t.P1.Width(), t.P1.Height()), QSize(60, 45));
    // Whole pixels of the picture, none blended.
    const QImage source = test::PatternImage(640, 480);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{59, 44}, std::pair{31, 17}})
        EXPECT_EQ(t.P1.Layer().pixel(x, y), source.pixel(x * 640 / 60, y * 480 / 45));

    // A picture that fits the viewport leaves the earlier thumbnail showing.
    Pick(0, Picture("small.bmp", 200, 320));
    EXPECT_TRUE(t.P1.Visible());
    EXPECT_FALSE(t.lbl_sam->isHidden());
    EXPECT_EQ(QSize(t.P1.Width(), t.P1.Height()), QSize(60, 45));
    EXPECT_EQ(t.P1.Layer().pixel(59, 44), source.pixel(59 * 640 / 60, 44 * 480 / 45));
}

TEST_F(SourceDialogTest, ReduceMatchAndReset) {
    Pick(0, Picture("start.bmp", 640, 480));
    Pick(1, Picture("end.bmp", 320, 240));

    dialog.Cmd_Stretch_Click(0);  // at 100 % nothing happens
    EXPECT_EQ(PaneSize(0), QSize(640, 480));
    dialog.slot[0].VS_Stretch->SetValue(50);
    dialog.Cmd_Stretch_Click(0);
    EXPECT_EQ(PaneSize(0), QSize(320, 240));
    EXPECT_EQ(SizeLabel(0), "Size = 320 * 240");
    // Nearest pixels: pixel (10, 10) of the half is pixel (20, 20) of the source.
    EXPECT_EQ(dialog.slot[0].P.Layer().pixel(10, 10), test::PatternImage(640, 480).pixel(20, 20));
    dialog.slot[0].VS_Stretch->SetValue(80);
    dialog.Cmd_Stretch_Click(0);  // from the source again, not from the half
    EXPECT_EQ(PaneSize(0), QSize(512, 384));

    dialog.Cmd_Reset_Click(0);
    EXPECT_EQ(PaneSize(0), QSize(640, 480));
    EXPECT_EQ(SizeLabel(0), "640 * 480");
    EXPECT_EQ(dialog.slot[0].VS_Stretch->Value(), 100);

    // The end slot takes the start's size; a later reduction starts from
    // the picked end picture again.
    dialog.cmd_Doki_Click(1);
    EXPECT_EQ(PaneSize(1), QSize(640, 480));
    EXPECT_EQ(SizeLabel(1), "Size = 640 * 480");
    EXPECT_EQ(dialog.slot[1].Ps.Width(), 320);
    dialog.slot[1].VS_Stretch->SetValue(50);
    dialog.Cmd_Stretch_Click(1);
    EXPECT_EQ(PaneSize(1), QSize(160, 120));
}

TEST_F(SourceDialogTest, DraggingMovesThePaneWithinTheScrollRange) {
    Pick(0, Picture("big.bmp", 400, 400));
    auto& t = dialog.slot[0];
    dialog.P_MouseDown(0, Qt::LeftButton, {500, 500});
    dialog.P_MouseMove(0, {450, 500});
    EXPECT_EQ(t.P.Left(), -50);
    EXPECT_EQ(t.HScroll->Value(), 50);
    dialog.P_MouseMove(0, {300, 500});  // 200 to the left: the bar stops at 116
    EXPECT_EQ(t.HScroll->Value(), 116);
    EXPECT_EQ(t.P.Left(), -116);
    dialog.P_MouseUp(0);
    dialog.P_MouseMove(0, {0, 0});  // no button held: nothing moves
    EXPECT_EQ(t.P.Left(), -116);

    t.HScroll->SetValue(0);
    EXPECT_EQ(t.P.Left(), 0);
    dialog.P_MouseDown(0, Qt::LeftButton, {100, 100});
    dialog.P_MouseMove(0, {130, 100});  // right of the edge: the bar stays at 0
    EXPECT_EQ(t.P.Left(), 30);
    EXPECT_EQ(t.HScroll->Value(), 0);
    dialog.P_MouseUp(0);

    dialog.P_MouseDown(0, Qt::RightButton, {0, 0});  // only the left button drags
    EXPECT_EQ(t.Drag, 0);
}

TEST_F(SourceDialogTest, OkWritesBothPicturesAtTheirOwnSizes) {
    std::string start, end;
    dialog.Confirmed = [&](const std::string& s, const std::string& e) {
        start = s;
        end = e;
    };
    Pick(0, Picture("start.bmp", 640, 480));
    dialog.cmd_OK_Click();
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "画像を選択してください");
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(start, "");

    // Pictures of different sizes: No goes back with nothing written, Yes
    // matches the end picture to the start picture.
    Pick(1, Picture("end.bmp", 320, 240));
    prompts->Answer(MessageAnswer::No);
    dialog.cmd_OK_Click();
    ASSERT_EQ(prompts->shown.size(), 2u);
    EXPECT_EQ(prompts->shown[1].text, kSizesDifferQuestion);
    EXPECT_EQ(prompts->shown[1].buttons, MessageButtons::YesNo);
    EXPECT_EQ(start, "");
    EXPECT_EQ(PaneSize(1), QSize(320, 240));
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    prompts->Answer(MessageAnswer::Yes);
    dialog.cmd_OK_Click();
    // Named after this copy of the program.
    const std::string own = app.Path() + "/temp_" + ProgramWorkspace().Tag();
    EXPECT_EQ(start, own + "_0.bmp");
    EXPECT_EQ(end, own + "_1.bmp");
    const auto written0 = LoadImageFile(start);
    const auto written1 = LoadImageFile(end);
    ASSERT_TRUE(written0 && written1);
    EXPECT_EQ(written0->size(), QSize(640, 480));
    EXPECT_EQ(written1->size(), QSize(640, 480));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(SourceDialogTest, OkThatCannotWriteKeepsTheDialogAndThePictures) {
    bool confirmed = false;
    dialog.Confirmed = [&](const std::string&, const std::string&) { confirmed = true; };
    Pick(0, Picture("start.bmp", 64, 48));
    Pick(1, Picture("end.bmp", 64, 48));
    Settings.TempFolder = app.Path() + "/missing";
    dialog.cmd_OK_Click();
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, app.Path() + "/missing/に画像を保存できませんでした。");
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(confirmed);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(PaneSize(1), QSize(64, 48));

    Settings.TempFolder = app.Path();
    dialog.cmd_OK_Click();
    EXPECT_TRUE(confirmed);
}

}  // namespace
}  // namespace fennix
