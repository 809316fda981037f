#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <algorithm>
#include <filesystem>

#include "support/AviTestFiles.h"
#include "model/Settings.h"
#include "ui/controls/GFXFrameX.h"
#include "ui/controls/GradientProgressBar.h"
#include "ui/controls/ucUpDown.h"
#include "media/AviFrames.h"
#include "ui/output/CompressorWidget.h"
#include "ui/output/Fennix_Avi.h"
#include "ui/common/PaneWidget.h"
#include "support/Keys.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

class AviDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        Settings.AviRepeat = 3;
        Settings.AviFolder() = out.Path();
        Settings.FrameFolder() = frames.Path() + "/";
        ChooseCompressor = [this](QWidget*) -> std::optional<CompressorOptions> {
            ++compressorAsked;
            if (compressor.empty()) return std::nullopt;
            CompressorOptions options;
            options.Name = compressor;
            return options;
        };
    }
    void TearDown() override { ChooseCompressor = ShowCompressorChooser; }

    std::unique_ptr<Fennix_Avi> Open(int mode) {
        FolderDialogMode = mode;
        auto dialog = std::make_unique<Fennix_Avi>(nullptr);
        dialog->Form_Load();
        return dialog;
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::TestFolder frames, out;
    std::string compressor = "none";
    int compressorAsked = 0;
};

TEST_F(AviDialogTest, EachModeHasItsCaptionSizeControlsAndStartFolder) {
    auto create = Open(0);
    EXPECT_EQ(create->windowTitle().toStdString(), "AVI ファイルの作成");
    EXPECT_EQ(create->size(), QSize(595, 406));
    EXPECT_EQ(create->MainPanel->width(), 577);
    EXPECT_EQ(create->Folder(), app.Path());
    EXPECT_FALSE(create->cmd_OK->isVisibleTo(create.get()));
    EXPECT_FALSE(create->Cmd_Viewer->isEnabled());
    EXPECT_TRUE(create->Cmd_Avi_Save->isEnabled());
    EXPECT_LE(create->fraOption->geometry().right(), 577);
    EXPECT_EQ(create->Cmd_Avi_Save->text().toStdString(), "AVIﾌｧｲﾙの作成");
    EXPECT_EQ(create->Cmd_Viewer->text().toStdString(), "AVI ﾋﾞｭｰｱ");
    EXPECT_EQ(create->cmd_Can->text().toStdString(), "ｷｬﾝｾﾙ");
    EXPECT_EQ(create->txtFPS->text().toStdString(), "20");
    EXPECT_EQ(create->lbl_Repeat->text().toStdString(), "3回");

    auto choose = Open(1);
    EXPECT_EQ(choose->windowTitle().toStdString(), "フォルダの選択");
    EXPECT_EQ(choose->size(), QSize(448, 406));
    EXPECT_EQ(choose->MainPanel->width(), 429);
    EXPECT_EQ(choose->Folder(), frames.Path());
    EXPECT_TRUE(choose->cmd_OK->isVisibleTo(choose.get()));
    EXPECT_GE(choose->fraOption->x(), 429);  // outside the visible area
    EXPECT_GE(choose->Cmd_Viewer->x(), 429);
    EXPECT_GE(choose->VS_Repeat->x(), 429);
    EXPECT_TRUE(choose->fraPre->isVisibleTo(choose.get()));

    test::WriteFile(out.File("b.avi"), "x");
    test::WriteFile(out.File("a.avi"), "x");
    test::WriteFile(out.File("000.bmp"), "x");
    auto play = Open(2);
    EXPECT_EQ(play->windowTitle().toStdString(), "AVI ビューア");
    EXPECT_EQ(play->size(), QSize(448, 406));
    EXPECT_EQ(play->Folder(), out.Path());
    EXPECT_FALSE(play->cmd_OK->isVisibleTo(play.get()));
    EXPECT_FALSE(play->fraPre->isVisibleTo(play.get()));
    EXPECT_EQ(play->Cmd_Viewer->x(), 440 - 196);
    EXPECT_LT(play->Cmd_Viewer->geometry().right(), 429);
    EXPECT_LT(play->VS_Repeat->geometry().right(), 429);
    EXPECT_EQ(play->File1->height(), 233);
    ASSERT_EQ(play->File1->count(), 2);
    EXPECT_EQ(play->File1->item(0)->text(), "a.avi");
    EXPECT_FALSE(play->Cmd_Viewer->isEnabled());
    play->File1_Click(1);
    EXPECT_TRUE(play->Cmd_Viewer->isEnabled());
}

TEST_F(AviDialogTest, FolderShowsFramesPreviewAndSize) {
    test::WriteFrames(frames.Path(), 0, 2, 200, 100);
    test::FramePicture(100, 200, 5).save(QString::fromStdString(frames.File("zz.jpg")));
    test::WriteFile(frames.File("notes.txt"), "x");
    auto dialog = Open(0);
    dialog->SetFolder(frames.Path());
    ASSERT_EQ(dialog->File1->count(), 4);
    EXPECT_EQ(dialog->File1->currentRow(), 0);
    EXPECT_EQ(dialog->lbl_Flame->text(), "4");
    EXPECT_EQ(dialog->txtWidth->text(), "200");
    EXPECT_EQ(dialog->txtHeight->text(), "100");
    EXPECT_EQ(dialog->PreviewWidth, 93.0);
    EXPECT_EQ(dialog->PreviewHeight, 46.5);
    EXPECT_EQ(QSize(dialog->Pic_Pre.Width(), dialog->Pic_Pre.Height()), QSize(93, 46));
    // Nearest pixels, no smoothing: the preview is the picture stretched as
    // the frames are.
    EXPECT_EQ(dialog->Pic_Pre.Picture(), StretchFrame(test::FramePicture(200, 100, 0), 93, 46));

    dialog->File1_Click(3);
    EXPECT_EQ(QSize(dialog->Pic_Pre.Width(), dialog->Pic_Pre.Height()), QSize(46, 93));
    EXPECT_EQ(dialog->SourceWidth, 100);
    EXPECT_EQ(dialog->txtWidth->text(), "200");  // the size fields stay

    // The folder tree lists the folder's ancestors and its subfolders.
    fs::create_directory(frames.File("sub"));
    dialog->SetFolder(frames.Path());
    EXPECT_EQ(dialog->dir1->item(dialog->dir1->count() - 1)->data(Qt::UserRole).toString(),
              QString::fromStdString(frames.File("sub")));
    dialog->SetFolder(frames.File("sub"));
    EXPECT_EQ(dialog->File1->count(), 0);
    EXPECT_EQ(dialog->lbl_Flame->text(), "0");
}

TEST_F(AviDialogTest, Latin1FolderAndNamesPreviewAndPack) {
    SKIP_WITHOUT_FFPROBE();
    // Written under plain names, then given names that are not UTF-8: the
    // list shows stand-in characters, but every row still reads its file.
    const std::string plain = frames.File("plain");
    const std::string latin = frames.File("d\xE9j\xE0");
    fs::create_directory(plain);
    test::WriteFrames(plain, 0, 1, 40, 20);
    test::FramePicture(20, 40, 7).save(QString::fromStdString(plain + "/zz.bmp"));
    fs::rename(plain + "/zz.bmp", plain + "/\xE9t\xE9.bmp");
    fs::rename(plain, latin);
    fs::create_directory(latin + "/sous-dossier_\xE0");

    auto dialog = Open(0);
    dialog->SetFolder(frames.Path());
    QListWidgetItem* sub = dialog->dir1->item(dialog->dir1->count() - 1);
    EXPECT_EQ(sub->data(Qt::UserRole).toByteArray().toStdString(), latin);
    emit dialog->dir1->itemActivated(sub);  // as a double click or Return does
    EXPECT_EQ(dialog->Folder(), latin);
    ASSERT_EQ(dialog->File1->count(), 3);
    EXPECT_EQ(dialog->txtWidth->text(), "40");
    dialog->File1_Click(2);
    EXPECT_EQ(dialog->SourceWidth, 20);
    EXPECT_EQ(dialog->SourceHeight, 40);
    // The subfolder with a Latin-1 name opens too.
    EXPECT_EQ(dialog->dir1->item(dialog->dir1->count() - 1)->data(Qt::UserRole).toByteArray(),
              QByteArray::fromStdString(latin + "/sous-dossier_\xE0"));

    const std::string path = out.File("latin.avi");
    prompts->ChooseFilePath(path);
    dialog->Cmd_Avi_Save_Click();
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "Avi ファイルを作成しました!");
    EXPECT_EQ(test::ProbeVideo(path).at("nb_read_frames"), "3");
    dialog->cmd_Can_Click();
}

TEST_F(AviDialogTest, ConfirmNeedsFrame000) {
    test::WriteFrames(frames.Path(), 1, 2, 20, 20);
    Settings.DialogConfirmed = false;
    auto dialog = Open(1);
    dialog->cmd_OK_Click();
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "フォルダの中にモーフ画像データが見つかりません！");
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(prompts->shown[0].title, "Fennix");
    EXPECT_FALSE(Settings.DialogConfirmed);
    EXPECT_EQ(Settings.FrameFolder(), frames.Path() + "/");

    test::WriteFrames(frames.Path(), 0, 0, 20, 20, ".jpg");
    dialog->cmd_OK_Click();
    EXPECT_TRUE(Settings.DialogConfirmed);
    EXPECT_EQ(Settings.FrameFolder(), frames.Path());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

// Enter presses only what the user sees in each mode; a folder takes Enter
// for itself; the arrow keys choose a file as a click does.
TEST_F(AviDialogTest, EnterAndArrowKeysInEachMode) {
    test::WriteFrames(frames.Path(), 0, 1, 20, 20);
    fs::create_directory(frames.File("sub"));
    test::WriteFrames(frames.File("sub"), 0, 0, 30, 10);
    test::FramePicture(40, 20, 1).save(QString::fromStdString(frames.File("001.bmp")));

    // Mode 1: Enter on a folder opens it and confirms nothing; Enter in the
    // file list is OK.
    auto choose = Open(1);
    ASSERT_TRUE(test::FocusOn(choose->dir1));
    const int sub = choose->dir1->count() - 1;
    choose->dir1->setCurrentRow(sub);
    test::Press(choose->dir1, Qt::Key_Return);
    EXPECT_EQ(choose->Folder(), frames.Path() + "/sub");
    EXPECT_EQ(choose->result(), 0);
    EXPECT_TRUE(choose->isVisible());
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_FALSE(choose->Cmd_Avi_Save->isVisibleTo(choose.get()));
    ASSERT_TRUE(test::FocusOn(choose->File1));
    test::Press(choose->File1, Qt::Key_Return);
    EXPECT_EQ(choose->result(), QDialog::Accepted);
    EXPECT_EQ(Settings.FrameFolder(), frames.Path() + "/sub");
    EXPECT_TRUE(prompts->fileRequests.empty());

    // Mode 0: the arrow keys redraw the preview; Enter in the list creates
    // nothing, Enter in a creation field asks for the file name.
    auto create = Open(0);
    create->SetFolder(frames.Path());
    EXPECT_EQ(create->SourceWidth, 20);
    ASSERT_TRUE(test::FocusOn(create->File1));
    test::Press(create->File1, Qt::Key_Down);
    EXPECT_EQ(create->File1->currentRow(), 1);
    EXPECT_EQ(create->SourceWidth, 40);
    test::Press(create->File1, Qt::Key_Return);
    EXPECT_TRUE(prompts->fileRequests.empty());
    EXPECT_TRUE(create->isVisible());
    ASSERT_TRUE(test::FocusOn(create->txtFPS));
    test::Press(create->txtFPS, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(prompts->fileRequests.size(), 1u);  // cancelled: nothing written
    EXPECT_TRUE(prompts->fileRequests[0].Save);

    // Mode 2: Enter before a file is chosen does nothing; a file chosen with
    // the keyboard enables the player, and Enter then plays it.
    test::WriteFile(out.File("a.avi"), "x");
    test::WriteFile(out.File("b.avi"), "x");
    Settings.AviRepeat = 1;
    AviPlayPath.clear();
    auto play = Open(2);
    ASSERT_TRUE(test::FocusOn(play->File1));
    ASSERT_FALSE(play->Cmd_Viewer->isEnabled());
    test::Press(play.get(), Qt::Key_Return);
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_TRUE(AviPlayPath.empty());
    test::Press(play->File1, Qt::Key_Down);
    EXPECT_TRUE(play->Cmd_Viewer->isEnabled());
    test::Press(play->File1, Qt::Key_Return);
    EXPECT_EQ(AviPlayPath, out.File("b.avi"));
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(AviDialogTest, CreatesTheFileWithEveryStepInOrder) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 19, 64, 48);
    auto dialog = Open(0);
    dialog->SetFolder(frames.Path());
    dialog->txtWidth->setText("32");
    dialog->txtHeight->setText("24");
    const std::string path = out.File("morph.avi");
    prompts->ChooseFilePath(path);
    dialog->Cmd_Avi_Save_Click();

    ASSERT_EQ(prompts->fileRequests.size(), 1u);
    const FileRequest& request = prompts->fileRequests[0];
    EXPECT_TRUE(request.Save);
    EXPECT_EQ(request.Title, "ﾌｧｲﾙ名を付けて保存");
    EXPECT_EQ(request.Filters, (std::vector<std::string>{"AVI Videoﾌｧｲﾙ", "*.avi"}));
    EXPECT_EQ(request.FileName, "*.avi");
    EXPECT_EQ(request.DefaultExt, "avi");
    EXPECT_EQ(request.Folder, out.Path());
    EXPECT_TRUE(request.OverwritePrompt);
    EXPECT_EQ(compressorAsked, 1);

    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "Avi ファイルを作成しました!");
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(dialog->Cmd_Viewer->isEnabled());
    EXPECT_EQ(dialog->LastSavedPath, path);
    EXPECT_EQ(Settings.AviFolder(), out.Path() + "/");
    const auto video = test::ProbeVideo(path);
    EXPECT_EQ(video.at("nb_read_frames"), "20");
    EXPECT_EQ(video.at("r_frame_rate"), "20/1");
    EXPECT_EQ(video.at("width"), "32");

    // The scratch bitmaps are gone as soon as the file is written, and
    // nothing else was left beside the video or the scratch name.
    EXPECT_FALSE(fs::exists(AviTempPath()));
    for (const std::string& folder : {out.Path(), fs::path(AviTempPath()).parent_path().string()})
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    dialog->cmd_Can_Click();
    EXPECT_FALSE(fs::exists(AviTempPath()));
}

// ｷｬﾝｾﾙ while the file is made stops the creation: no file, a message, and
// the dialog stays open and usable.
TEST_F(AviDialogTest, CancelDuringTheCreationLeavesNoFile) {
    test::WriteFrames(frames.Path(), 0, 9, 64, 48);
    auto dialog = Open(0);
    dialog->SetFolder(frames.Path());
    const std::string path = out.File("stopped.avi");
    test::WriteFile(path, "an older video");
    prompts->ChooseFilePath(path);
    ChooseCompressor = [&](QWidget*) -> std::optional<CompressorOptions> {
        // The dialog answers while the frames are packed.
        EXPECT_TRUE(dialog->Creating());
        EXPECT_TRUE(dialog->Progress->isVisible());
        EXPECT_FALSE(dialog->File1->isEnabled());
        dialog->cmd_Can_Click();
        return CompressorOptions{};
    };
    dialog->show();
    dialog->Cmd_Avi_Save_Click();
    EXPECT_FALSE(dialog->Creating());
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "作成を中止しました。");
    EXPECT_EQ(test::ReadFile(path), "an older video");
    for (const auto& entry : fs::directory_iterator(out.Path()))
        EXPECT_EQ(entry.path().filename(), "stopped.avi");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->File1->isEnabled());
    EXPECT_FALSE(dialog->Progress->isVisible());
}

TEST_F(AviDialogTest, CancelledOrRefusedCreationsWriteNothing) {
    auto dialog = Open(0);
    // No frame 000 in the folder.
    dialog->Cmd_Avi_Save_Click();
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "フォルダの中にモーフ画像データが見つかりません！");
    EXPECT_TRUE(prompts->fileRequests.empty());

    test::WriteFrames(frames.Path(), 0, 1, 32, 32);
    dialog->SetFolder(frames.Path());
    prompts->shown.clear();
    // The save dialog cancelled: no file, no compressor, no message.
    dialog->Cmd_Avi_Save_Click();
    EXPECT_EQ(prompts->fileRequests.size(), 1u);
    EXPECT_EQ(compressorAsked, 0);
    EXPECT_TRUE(fs::is_empty(out.Path()));
    EXPECT_TRUE(prompts->shown.empty());

    // The compressor choice cancelled.
    compressor.clear();
    prompts->ChooseFilePath(out.File("a.avi"));
    dialog->Cmd_Avi_Save_Click();
    EXPECT_EQ(compressorAsked, 1);
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_FALSE(fs::exists(out.File("a.avi")));

    // A rate that is not a number skips the writing silently.
    compressor = "none";
    dialog->txtFPS->setText("fast");
    prompts->ChooseFilePath(out.File("a.avi"));
    dialog->Cmd_Avi_Save_Click();
    EXPECT_EQ(compressorAsked, 1);
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_TRUE(fs::is_empty(out.Path()));
    EXPECT_FALSE(dialog->Cmd_Viewer->isEnabled());
}

TEST_F(AviDialogTest, FailuresShowTheirMessages) {
    test::WriteFrames(frames.Path(), 0, 1, 32, 32);
    auto dialog = Open(0);
    dialog->SetFolder(frames.Path());

    // A width that is not a number keeps the size of the previous creation,
    // 40 × 40 at first; Microsoft Video 1 then works (a multiple of 4) …
    if (FindCompressor("msvideo1")) {
        compressor = "msvideo1";
        dialog->txtWidth->setText("wide");
        dialog->txtHeight->setText("99999");
        prompts->ChooseFilePath(out.File("a.avi"));
        dialog->Cmd_Avi_Save_Click();
        EXPECT_EQ(dialog->OutputWidth, 40);
        EXPECT_EQ(dialog->OutputHeight, 40);
        ASSERT_EQ(prompts->shown.size(), 1u);
        EXPECT_EQ(prompts->shown.back().text, "Avi ファイルを作成しました!");

        // … but refuses 30 × 30.
        dialog->txtWidth->setText("30");
        dialog->txtHeight->setText("30");
        prompts->ChooseFilePath(out.File("b.avi"));
        dialog->Cmd_Avi_Save_Click();
        ASSERT_EQ(prompts->shown.size(), 2u);
        EXPECT_EQ(prompts->shown.back().text, "Aviファイルの作成は失敗しました!");
        EXPECT_EQ(prompts->shown.back().icon, MessageIcon::Exclamation);
        EXPECT_FALSE(fs::exists(out.File("b.avi")));
    }

    compressor = "none";
    test::WriteFile(frames.File("001.bmp"), "broken");
    prompts->ChooseFilePath(out.File("c.avi"));
    prompts->shown.clear();
    dialog->Cmd_Avi_Save_Click();
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "画像ファイルのロードで失敗しました!");
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(fs::exists(out.File("c.avi")));
}

TEST_F(AviDialogTest, RepeatControlAndDrives) {
    auto dialog = Open(0);
    EXPECT_EQ(dialog->VS_Repeat->Value(), 3);
    EXPECT_EQ(dialog->VS_Repeat->Min(), 1);
    EXPECT_EQ(dialog->VS_Repeat->Max(), 10);
    dialog->VS_Repeat->SetValue(5);
    EXPECT_EQ(dialog->lbl_Repeat->text().toStdString(), "5回");
    EXPECT_EQ(Settings.AviRepeat, 5);
    dialog->VS_Repeat->SetValue(0);
    EXPECT_EQ(Settings.AviRepeat, 1);
    // The upper arrow and the Up key count up, the lower ones down.
    ASSERT_TRUE(test::FocusOn(dialog->VS_Repeat));
    auto arrows = dialog->VS_Repeat->findChildren<QToolButton*>();
    ASSERT_EQ(arrows.size(), 2);
    if (arrows[0]->arrowType() != Qt::UpArrow) std::swap(arrows[0], arrows[1]);
    EXPECT_LT(arrows[0]->y(), arrows[1]->y());
    QTest::mouseClick(arrows[0], Qt::LeftButton);
    QTest::mouseClick(arrows[0], Qt::LeftButton);
    EXPECT_EQ(dialog->VS_Repeat->Value(), 3);
    QTest::mouseClick(arrows[1], Qt::LeftButton);
    EXPECT_EQ(dialog->VS_Repeat->Value(), 2);
    test::Press(dialog->VS_Repeat, Qt::Key_Up);
    EXPECT_EQ(Settings.AviRepeat, 3);
    test::Press(dialog->VS_Repeat, Qt::Key_Down);
    test::Press(dialog->VS_Repeat, Qt::Key_Down);
    EXPECT_EQ(dialog->lbl_Repeat->text().toStdString(), "1回");

    EXPECT_GE(dialog->drv1->count(), 1);
    const std::string before = dialog->Folder();
    const std::string drive = frames.File("not-mounted");
    prompts->Answer(MessageAnswer::Retry);
    prompts->Answer(MessageAnswer::Cancel);
    dialog->drv1_Change(drive);
    ASSERT_EQ(prompts->shown.size(), 2u);
    EXPECT_EQ(prompts->shown[0].text, "ドライブ" + drive + " は、準備されていません。");
    EXPECT_EQ(prompts->shown[0].buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(dialog->Folder(), before);

    // A readable volume root is taken as the folder.
    dialog->drv1_Change("/");
    EXPECT_EQ(dialog->Folder(), "/");
    EXPECT_EQ(prompts->shown.size(), 2u);
}

}  // namespace
}  // namespace fennix

namespace fennix {
namespace {

TEST(AviCompressorTest, ChooserListsTheInstalledCompressorsAndReadsItsOptions) {
    CompressorWidget chooser(nullptr);
    const auto compressors = AvailableCompressors();
    ASSERT_EQ(chooser.lstCompressor->count(), static_cast<int>(compressors.size()));
    EXPECT_EQ(chooser.Options().Name, "none");  // uncompressed is offered first
    EXPECT_FALSE(chooser.txtQuality->isEnabled());

    const auto mjpeg = std::find_if(compressors.begin(), compressors.end(),
                                    [](const Compressor& c) { return c.Name == "mjpeg"; });
    ASSERT_NE(mjpeg, compressors.end());
    chooser.lstCompressor->setCurrentRow(static_cast<int>(mjpeg - compressors.begin()));
    EXPECT_TRUE(chooser.txtQuality->isEnabled());
    chooser.txtQuality->setValue(40);
    chooser.chkKeyFrame->setChecked(true);
    chooser.txtKeyFrame->setValue(5);
    chooser.chkDataRate->setChecked(true);
    chooser.txtDataRate->setValue(100);
    const CompressorOptions options = chooser.Options();
    EXPECT_EQ(options.Name, "mjpeg");
    EXPECT_EQ(options.Quality, 40);
    EXPECT_EQ(options.KeyFrameEvery, 5);
    EXPECT_EQ(options.DataRate, 800);  // 100 KB/s in kbit/s
}

}  // namespace
}  // namespace fennix
