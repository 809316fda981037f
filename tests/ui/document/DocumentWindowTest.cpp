#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMenu>
#include <QSignalSpy>

#include <limits>

#include "ui/frame/Fennix_Mdif.h"
#include "ui/frame/Fennix_Opt.h"
#include "model/Settings.h"
#include "ui/controls/ccXPButton.h"
#include "ui/controls/ucScrollbar.h"
#include "ui/document/Fennix_Main.h"
#include "model/ViewArrangement.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

TEST(ArrangeViewSizes, BarsOnlyWhereTheImagesDoNotFit) {
    ViewSizes s{320, 240, 320, 700, 300, 17, 17};
    ViewArrangement a = ArrangeViewSizes(s);
    EXPECT_EQ(a.endLeft, 330);
    EXPECT_FALSE(a.horizontal.needed);  // 650 <= 683
    EXPECT_FALSE(a.vertical.needed);    // 240 <= 283
    EXPECT_EQ(a.vertical.left, 683);
    EXPECT_EQ(a.vertical.height, 300);
    EXPECT_EQ(a.horizontal.top, 283);
    EXPECT_EQ(a.horizontal.width, 683);

    s.panelWidth = 500;
    s.panelHeight = 200;
    a = ArrangeViewSizes(s);
    EXPECT_TRUE(a.horizontal.needed);
    EXPECT_EQ(a.horizontal.maximum, 650 - 483);
    EXPECT_EQ(a.horizontal.largeStep, 17);  // 16.7 rounds to 17
    EXPECT_TRUE(a.vertical.needed);
    EXPECT_EQ(a.vertical.maximum, 240 - 183);
    EXPECT_EQ(a.vertical.largeStep, 6);  // 5.7 rounds to 6

    // Exactly fitting needs no bar.
    s = {320, 240, 320, 650 + 17, 240 + 17, 17, 17};
    a = ArrangeViewSizes(s);
    EXPECT_FALSE(a.horizontal.needed);
    EXPECT_FALSE(a.vertical.needed);
}

class DocumentTest : public testing::Test {
  protected:
    void SetUp() override { test::UseDefaultGridSettings(); }
    test::AppFolderScope app;
    test::ScopedPrompts prompts;
};

TEST_F(DocumentTest, NewMorphLaysBothGridsAndShowsTheWindow) {
    Fennix_Main window;
    window.resize(900, 400);
    const std::string start = test::SamplePath("sun.bmp"), end = test::SamplePath("moon.bmp");
    ASSERT_TRUE(window.NewMorph(start, end));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Fennix");
    EXPECT_TRUE(prompts->shown.empty());

    const MorphDocument& d = window.Document;
    EXPECT_EQ(d.LastFrame, 19);
    EXPECT_EQ(d.SelectedI, -1);
    EXPECT_EQ(d.Zoom, 1);
    EXPECT_FALSE(d.Dirty);
    EXPECT_EQ(d.FileName, "");
    EXPECT_EQ(d.Matrix(1).ImagePath, start);
    EXPECT_EQ(d.Matrix(2).ImagePath, end);
    for (int k = 1; k <= 2; ++k) {
        EXPECT_EQ(d.Matrix(k).Width, 320);
        EXPECT_EQ(d.Matrix(k).Height, 240);
        EXPECT_EQ(d.Matrix(k).Points(2, 1), (Point{64, 0}));
        EXPECT_EQ(window.Panes.Poriginal(k).Picture(), window.Panes.P(k).Picture());
    }
    // Both grids are drawn: the white line through (64, 24).
    EXPECT_EQ(window.Panes.P(1).Layer().pixel(64, 24), 0xFFFFFFFFu);
    EXPECT_EQ(window.Panes.P(2).Layer().pixel(64, 24), 0xFFFFFFFFu);
    EXPECT_EQ(window.Panes.P(2).Left(), 330);

    // 650 + 17 > 900 is false, 240 + 17 > 400 is false: no scrolling.
    EXPECT_FALSE(window.HScroll1->isEnabled());
    EXPECT_FALSE(window.VScroll1->isEnabled());
    EXPECT_EQ(window.HScroll1->Value(), 0);
}

TEST_F(DocumentTest, ScrollBarsMoveThePanesAndResizeRearranges) {
    Fennix_Main window;
    window.resize(400, 200);
    ASSERT_TRUE(window.NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    // Too large for the window, the pair opened fitted; at 100 % it scrolls.
    EXPECT_TRUE(window.Document.Zoom < ZoomScale(1));
    window.mnuZoom_Click(1);
    ASSERT_TRUE(window.HScroll1->isEnabled());
    ASSERT_TRUE(window.VScroll1->isEnabled());
    EXPECT_EQ(window.HScroll1->Max(), 650 - (400 - ucScrollbar::kThickness));
    EXPECT_EQ(window.VScroll1->Max(), 240 - (200 - ucScrollbar::kThickness));

    window.HScroll1->SetValue(100);
    EXPECT_EQ(window.Panes.P(1).Left(), -100);
    EXPECT_EQ(window.Panes.P(2).Left(), 230);
    window.VScroll1->SetValue(20);
    EXPECT_EQ(window.Panes.P(2).Top(), -20);

    window.resize(1000, 600);
    EXPECT_EQ(window.HScroll1->Value(), 0);
    EXPECT_EQ(window.Panes.P(1).Left(), 0);
    EXPECT_EQ(window.Panes.P(2).Top(), 0);
    EXPECT_FALSE(window.HScroll1->isEnabled());
    EXPECT_FALSE(window.VScroll1->isEnabled());
}

TEST_F(DocumentTest, DocumentMenuHasEveryCaption) {
    Fennix_Main window;
    QStringList top;
    for (QMenu* menu : window.Menus()) top << menu->title();
    EXPECT_EQ(top,
              QStringList({"ファイル", "編集", "ツール", "モーフィング", "動画 (AVI ファイル) "}));
    auto captions = [](QMenu* menu) {
        QStringList list;
        for (QAction* action : menu->actions()) list << action->text();
        return list;
    };
    EXPECT_EQ(captions(window.Menus()[0]),
              QStringList({"閉じる", "上書き保存", "名前を付けて保存", "画像と一緒に保存", "",
                           "連続モーフィング"}));
    EXPECT_EQ(window.mnuSaveMorph->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(window.mnuSaveName->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    EXPECT_EQ(window.mnuRedo->shortcuts().value(1), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(captions(window.Menus()[1]), QStringList({"元に戻す", "やり直し", "選んだ点の削除", "", "線を引く",
                                                          "選んだ線を引き直す", "選んだ線の削除"}));
    EXPECT_EQ(window.mnuDeletePoint->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(window.mnuUndo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(window.mnuRedo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(captions(window.Menus()[2]), QStringList({"オプション", "色", "ズーミング", "格子を細かくする", "自動調整", "別の顔で自動調整",
                                                                "基準点で合わせる"}));
    EXPECT_EQ(captions(window.Menus()[2]->actions()[1]->menu()),
              QStringList({"マトリクスの色", "ポインタの色", "背景の色"}));
    EXPECT_EQ(captions(window.Menus()[2]->actions()[2]->menu()),
              QStringList({"100%", "200%", "300%", "", "50%", "25%", "ウィンドウに合わせる"}));
    EXPECT_EQ(captions(window.Menus()[3]),
              QStringList({"作成スタート", "モーフィングビューア", "プレビュー", "作成オプション"}));
    EXPECT_EQ(captions(window.Menus()[4]),
              QStringList({"AVI ファイルの作成", "AVI ビューア", "動画ファイルの書き出し"}));
    EXPECT_TRUE(window.mnuCloseMorph->isEnabled());
}

TEST_F(DocumentTest, MissingOrUndecodableImageShowsTheMessageAndLeavesNoWindow) {
    Fennix_Mdif frame;
    frame.show();
    const std::string missing = app.Folder().File("missing.bmp");
    const std::string notImage = app.Folder().File("text.bmp");
    test::WriteFile(notImage, "not a picture at all");

    Fennix_Main* first = frame.CreateDocument();
    QSignalSpy unloaded(first, &Fennix_Main::Unloaded);
    EXPECT_FALSE(first->NewMorph(missing, test::SamplePath("moon.bmp")));
    EXPECT_EQ(unloaded.count(), 1);

    Fennix_Main* second = frame.CreateDocument();
    EXPECT_FALSE(second->NewMorph(test::SamplePath("sun.bmp"), notImage));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.Documents().isEmpty());
    EXPECT_TRUE(frame.MdiArea()->subWindowList().isEmpty());

    ASSERT_EQ(prompts->shown.size(), 2u);
    EXPECT_EQ(prompts->shown[0].text, missing + "が無効です。");
    EXPECT_EQ(prompts->shown[0].title, "Fennix");
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(prompts->shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(prompts->shown[1].text, notImage + "が無効です。");
}

TEST_F(DocumentTest, ImpossibleCountsFromTheSettingsFileStillGiveAGrid) {
    Settings.Rows = 0;
    Settings.Columns = 100000;
    Fennix_Main window;
    ASSERT_TRUE(window.NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    EXPECT_EQ(window.Document.Matrix(1).Rows, 1);
    EXPECT_EQ(window.Document.Matrix(1).Columns, 240);
}

// Frame counts at the ends of the 32-bit range, from a settings file or a
// project file, stay at that end instead of wrapping round to the other.
TEST_F(DocumentTest, ExtremeFrameCountsNeverWrapAround) {
    EXPECT_EQ(LastFrameOf(20), 19);
    EXPECT_EQ(FrameCountOf(19), 20);
    EXPECT_EQ(LastFrameOf(std::numeric_limits<int32_t>::min()),
              std::numeric_limits<int32_t>::min());
    EXPECT_EQ(FrameCountOf(std::numeric_limits<int32_t>::max()),
              std::numeric_limits<int32_t>::max());

    Settings.FrameCount = std::numeric_limits<int32_t>::min();
    Fennix_Main window;
    ASSERT_TRUE(window.NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    EXPECT_LT(window.Document.LastFrame, 0);  // no run of two billion frames

    // The options command hands the document's frame count to the dialog.
    window.Document.LastFrame = std::numeric_limits<int32_t>::max();
    window.RunOptionsDialog = [](Fennix_Opt& dialog) { dialog.ccXPButton2->click(); };
    window.mnuSetting_Click();
    EXPECT_EQ(Settings.FrameCount, std::numeric_limits<int32_t>::max());
}

}  // namespace
}  // namespace fennix
