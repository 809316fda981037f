#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "media/FrameSequence.h"
#include "media/ImageFile.h"
#include "model/ProjectFile.h"
#include "model/Settings.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "support/TestGrids.h"
#include "ui/frame/Fennix_Chain.h"

namespace fennix {
namespace {

class ChainDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        Settings.SaveKind = 0;
        Settings.TempFolder = app.Path();
        dialog.Clock = [] { return QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)); };
        dialog.RunViewer = [this] { ++viewerShown; };
    }
    // A project from sample `from` to sample `to` of `frames` frames.
    std::string Project(const char* name, const char* from, const char* to, int frames) {
        MatrixRecord start = test::Grid(320, 240, 4, 4), end = start;
        start.ImagePath = test::SamplePath(from);
        end.ImagePath = test::SamplePath(to);
        const std::string path = folder.File(name);
        EXPECT_EQ(SaveMorphFile(path, start, end, folder.Path(), frames - 1, 0x808080), "");
        return path;
    }
    std::vector<std::string> Listed() const { return dialog.Projects(); }

    test::AppFolderScope app;
    test::TestFolder folder;
    test::ScopedPrompts prompts;
    Fennix_Chain dialog;
    int viewerShown = 0;
};

TEST_F(ChainDialogTest, TheListIsPutInOrderWithItsButtons) {
    EXPECT_FALSE(dialog.cmdRun->isEnabled());
    const std::string a = Project("a.mph", "sun.bmp", "moon.bmp", 3);
    const std::string b = Project("b.mph", "moon.bmp", "sun.bmp", 3);
    prompts->ChooseFilePath(a);
    prompts->ChooseFilePath(b);
    dialog.cmdAdd->click();
    dialog.cmdAdd->click();
    prompts->ChooseFilePath("");  // a cancelled file dialog adds nothing
    dialog.cmdAdd->click();
    EXPECT_EQ(Listed(), (std::vector<std::string>{a, b}));
    EXPECT_FALSE(dialog.cmdDown->isEnabled());  // the last one is chosen
    dialog.cmdUp->click();
    EXPECT_EQ(Listed(), (std::vector<std::string>{b, a}));
    EXPECT_FALSE(dialog.cmdUp->isEnabled());
    dialog.cmdDown->click();
    EXPECT_EQ(Listed(), (std::vector<std::string>{a, b}));
    dialog.cmdRemove->click();
    EXPECT_EQ(Listed(), std::vector<std::string>{a});
    EXPECT_TRUE(dialog.cmdRun->isEnabled());
}

// A run into a new folder named after the date and time: the joint of the
// two projects written once, the folder handed to the viewer afterwards.
TEST_F(ChainDialogTest, RunsTheChainIntoOneFolderAndOffersTheViewer) {
    dialog.AddProject(Project("a.mph", "sun.bmp", "moon.bmp", 3));
    dialog.AddProject(Project("b.mph", "moon.bmp", "sun.bmp", 4));
    prompts->Answer(MessageAnswer::Yes);
    dialog.cmdRun->click();
    const std::string frames = app.Path() + "/20240305-07-08-09";
    EXPECT_EQ(ListFrameFiles(frames).size(), 3u + 4u - 1u);
    EXPECT_EQ(Settings.FrameFolder(), frames + "/");
    EXPECT_EQ(dialog.LastFolder(), frames);
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "正常終了しました。確認しますか？");
    EXPECT_EQ(viewerShown, 1);
    EXPECT_EQ(*LoadImageFile(frames + "/005.bmp"), *LoadImageFile(test::SamplePath("sun.bmp")));

    // The same folder again: its frames are not mixed with new ones.
    dialog.txtFolder->setText(QString::fromStdString(frames));
    dialog.cmdRun->click();
    ASSERT_EQ(prompts->shown.size(), 2u);
    EXPECT_NE(prompts->shown[1].text.find("すでにフレーム"), std::string::npos);
    EXPECT_EQ(ListFrameFiles(frames).size(), 6u);
}

// ｷｬﾝｾﾙ while frames are made stops after whole frames and says how many
// were kept; a project that cannot be read stops the chain before it runs.
TEST_F(ChainDialogTest, CancelKeepsWholeFramesAndBadProjectsAreNamed) {
    dialog.AddProject(Project("long.mph", "sun.bmp", "moon.bmp", 400));
    dialog.txtFolder->setText(QString::fromStdString(folder.File("out")));
    QTimer::singleShot(0, &dialog, [this] { dialog.cmdCancel->click(); });
    dialog.cmdRun->click();
    ASSERT_EQ(prompts->shown.size(), 1u);
    const size_t written = ListFrameFiles(folder.File("out")).size();
    EXPECT_LT(written, 400u);
    EXPECT_EQ(prompts->shown[0].text, "作成を中止しました。" + std::to_string(written) + " フレームを保存しました。");

    test::WriteFile(folder.File("broken.mph"), "not a project\r\n");
    dialog.AddProject(folder.File("broken.mph"));
    dialog.txtFolder->setText(QString::fromStdString(folder.File("out2")));
    dialog.cmdRun->click();
    ASSERT_EQ(prompts->shown.size(), 2u);
    EXPECT_EQ(prompts->shown[1].text, "モーフィングファイルを読み込めませんでした。" + folder.File("broken.mph"));
    EXPECT_FALSE(std::filesystem::exists(folder.File("out2")));
}

}  // namespace
}  // namespace fennix
