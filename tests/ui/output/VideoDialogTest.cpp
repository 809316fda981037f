#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "support/AviTestFiles.h"
#include "model/Settings.h"
#include "ui/controls/GradientProgressBar.h"
#include "ui/controls/ucUpDown.h"
#include "ui/output/Fennix_Video.h"
#include "support/Keys.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

class VideoDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        Settings.FrameFolder() = frames.Path() + "/";
        Settings.AviFolder() = out.Path() + "/";
    }
    std::unique_ptr<Fennix_Video> Open() {
        auto dialog = std::make_unique<Fennix_Video>(nullptr);
        dialog->Form_Load();
        return dialog;
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::TestFolder frames, out;
};

TEST_F(VideoDialogTest, OpensOnTheLastRunsFramesWithTheDefaults) {
    test::WriteFrames(frames.Path(), 0, 3, 120, 90);
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle().toStdString(), "動画ファイルの書き出し");
    EXPECT_EQ(dialog->Folder(), frames.Path());
    EXPECT_EQ(dialog->lbl_Flame->text(), "4");
    EXPECT_EQ(dialog->txtWidth->text(), "120");
    EXPECT_EQ(dialog->txtHeight->text(), "90");
    EXPECT_EQ(dialog->txtFPS->text(), "20");
    EXPECT_EQ(dialog->cboQuality->currentText().toStdString(), "標準");
    EXPECT_EQ(dialog->cboFormat->currentIndex(), static_cast<int>(VideoFormat::Mp4));
    EXPECT_FALSE(dialog->chkPingPong->isChecked());
    EXPECT_EQ(QSize(dialog->Pic_Pre.Width(), dialog->Pic_Pre.Height()), QSize(93, 70));
    // The spin and the rate field follow each other.
    dialog->VS_FPS->SetValue(60);
    EXPECT_EQ(dialog->txtFPS->text(), "60");

    // Another folder through the folder chooser, starting at this one.
    test::TestFolder other;
    test::WriteFrames(other.Path(), 0, 1, 50, 40, ".jpg");
    prompts->folders.push_back(other.Path());
    dialog->cmd_Folder_Click();
    EXPECT_EQ(prompts->folderStarts, std::vector<std::string>{frames.Path()});
    EXPECT_EQ(dialog->Frames().size(), 2u);
    EXPECT_EQ(dialog->txtWidth->text(), "50");
    dialog->cmd_Folder_Click();  // cancelled: nothing changes
    EXPECT_EQ(dialog->Folder(), other.Path());
}

TEST_F(VideoDialogTest, ExportsThroughTheSaveDialogAndReports) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 4, 64, 48);
    auto dialog = Open();
    dialog->cboFormat->setCurrentIndex(static_cast<int>(VideoFormat::Gif));
    dialog->txtWidth->setText("33");
    dialog->txtHeight->setText("17");
    dialog->chkPingPong->setChecked(true);
    // A name typed without the format's extension gets it.
    prompts->ChooseFilePath(out.File("morph"));
    dialog->Cmd_Export_Click();

    ASSERT_EQ(prompts->fileRequests.size(), 1u);
    const FileRequest& request = prompts->fileRequests[0];
    EXPECT_TRUE(request.Save);
    EXPECT_TRUE(request.OverwritePrompt);
    EXPECT_EQ(request.Title, "ﾌｧｲﾙ名を付けて保存");
    EXPECT_EQ(request.Filters, (std::vector<std::string>{"GIF ｱﾆﾒｰｼｮﾝ", "*.gif"}));
    EXPECT_EQ(request.DefaultExt, "gif");
    EXPECT_EQ(request.Folder, out.Path() + "/");
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "動画ファイルを作成しました!");
    EXPECT_EQ(dialog->LastSavedPath, out.File("morph.gif"));
    const auto video = test::ProbeVideo(out.File("morph.gif"));
    EXPECT_EQ(video.at("nb_read_frames"), "8");
    EXPECT_EQ(video.at("width"), "33");
    EXPECT_EQ(test::ListNames(out.Path()), "morph.gif");
    EXPECT_FALSE(dialog->Progress->isVisible());
    EXPECT_TRUE(dialog->Cmd_Export->isEnabled());

    // The next save dialog opens where this file went.
    dialog->Cmd_Export_Click();
    EXPECT_EQ(prompts->fileRequests.back().Folder, out.Path() + "/");
}

// The size fields show the chosen format's default until the user types a
// size; a name typed with another video extension makes that format.
TEST_F(VideoDialogTest, DefaultSizesFollowTheFormatAndATypedExtensionChoosesIt) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 1, 1000, 500);
    auto dialog = Open();
    EXPECT_EQ(dialog->txtWidth->text(), "1000");
    dialog->cboFormat->setCurrentIndex(static_cast<int>(VideoFormat::Gif));
    EXPECT_EQ(dialog->txtWidth->text(), "640");
    EXPECT_EQ(dialog->txtHeight->text(), "320");
    dialog->cboFormat->setCurrentIndex(static_cast<int>(VideoFormat::WebM));
    EXPECT_EQ(dialog->txtWidth->text(), "1000");

    prompts->ChooseFilePath(out.File("name.gif"));
    dialog->Cmd_Export_Click();
    EXPECT_EQ(dialog->LastSavedPath, out.File("name.gif"));
    EXPECT_EQ(dialog->cboFormat->currentIndex(), static_cast<int>(VideoFormat::Gif));
    const auto video = test::ProbeVideo(out.File("name.gif"));
    EXPECT_EQ(video.at("codec_name"), "gif");
    EXPECT_EQ(video.at("width"), "640");
    EXPECT_EQ(test::ListNames(out.Path()), "name.gif");

    // A size of the user's own stays whatever the format.
    dialog->txtWidth->setFocus();
    dialog->txtWidth->selectAll();
    QTest::keyClicks(dialog->txtWidth, "300");
    dialog->cboFormat->setCurrentIndex(static_cast<int>(VideoFormat::Mp4));
    EXPECT_EQ(dialog->txtWidth->text(), "300");
}

// ｷｬﾝｾﾙ and Escape during an export stop it: a message, no new file, the
// old one kept, and the dialog stays open and usable.
TEST_F(VideoDialogTest, CancelOrEscapeDuringTheExportLeavesNoFile) {
    test::WriteFrames(frames.Path(), 0, 29, 160, 120);
    auto dialog = Open();
    dialog->show();
    const std::string path = out.File("stopped.mp4");
    test::WriteFile(path, "an older video");
    for (bool escape : {false, true}) {
        prompts->shown.clear();
        prompts->ChooseFilePath(path);
        bool seenRunning = false;
        QTimer::singleShot(0, dialog.get(), [&] {
            seenRunning = dialog->Exporting() && dialog->Progress->isVisible() &&
                          !dialog->Cmd_Export->isEnabled();
            if (escape)
                test::Press(dialog.get(), Qt::Key_Escape);
            else
                dialog->cmd_Can->click();
        });
        dialog->Cmd_Export_Click();
        EXPECT_TRUE(seenRunning);
        EXPECT_FALSE(dialog->Exporting());
        ASSERT_EQ(prompts->shown.size(), 1u);
        EXPECT_EQ(prompts->shown[0].text, "作成を中止しました。");
        EXPECT_EQ(test::ReadFile(path), "an older video");
        EXPECT_EQ(test::ListNames(out.Path()), "stopped.mp4");
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->Cmd_Export->isEnabled());
    }
}

TEST_F(VideoDialogTest, RefusalsAndFailuresShowTheirMessages) {
    auto dialog = Open();
    dialog->Cmd_Export_Click();  // no frame 000
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "フォルダの中にモーフ画像データが見つかりません！");

    test::WriteFrames(frames.Path(), 0, 1, 32, 32);
    dialog->SetFolder(frames.Path());
    dialog->txtFPS->setText("61");
    dialog->Cmd_Export_Click();
    EXPECT_EQ(prompts->shown.back().text, "fp/s は 1 から 60 までの値を入力してください。");
    dialog->txtFPS->setText("30");
    dialog->txtWidth->setText("0");
    dialog->Cmd_Export_Click();
    EXPECT_EQ(prompts->shown.back().text, "幅と高さに正しい値を入力してください。");
    EXPECT_TRUE(prompts->fileRequests.empty());

    dialog->txtWidth->setText("32");
    test::WriteFile(out.File("file"), "x");
    prompts->ChooseFilePath(out.File("file/movie.mp4"));
    dialog->Cmd_Export_Click();
    EXPECT_EQ(prompts->shown.back().text,
              "動画ファイルの作成は失敗しました!\n保存先のフォルダが見つかりません。");
    EXPECT_EQ(prompts->shown.back().icon, MessageIcon::Exclamation);
    EXPECT_TRUE(dialog->LastSavedPath.empty());

    // The save dialog cancelled: nothing more.
    const size_t shown = prompts->shown.size();
    dialog->Cmd_Export_Click();
    EXPECT_EQ(prompts->shown.size(), shown);
    EXPECT_EQ(test::ListNames(out.Path()), "file");
}

}  // namespace
}  // namespace fennix
