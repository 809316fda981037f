#include <gtest/gtest.h>

#include <QStandardPaths>

#include "model/Settings.h"
#include "ui/common/cFileDlg.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

using namespace std::string_literals;

const char* kFilter = "画像ﾌｧｲﾙ (*.bmp;*.jpg;*.gif;*.dib;*.wmf)|*.bmp;*.jpg;*.gif;*.dib;*.wmf";

TEST(FileDialogTest, FilterBarsAndColonsBecomeNuls) {
    EXPECT_EQ(ConvertFilter(kFilter),
              "画像ﾌｧｲﾙ (*.bmp;*.jpg;*.gif;*.dib;*.wmf)\0*.bmp;*.jpg;*.gif;*.dib;*.wmf\0\0"s);
    // A colon splits the list as well, wherever it stands.
    EXPECT_EQ(ConvertFilter("a:b|c"), "a\0b\0c\0\0"s);
    EXPECT_EQ(FilterEntries(ConvertFilter("A|*.a|B|*.b")),
              (std::vector<std::string>{"A", "*.a", "B", "*.b"}));
    EXPECT_EQ(SelectedFilter(ConvertFilter("A|*.a|B|*.b"), 2), "B\0*.b"s);
    EXPECT_EQ(SelectedFilter(ConvertFilter("A|*.a"), 0), "");
    EXPECT_EQ(SelectedFilter(ConvertFilter("A|*.a"), 3), "\0"s);
}

class FileDialogRunTest : public testing::Test {
  protected:
    test::AppFolderScope app;
    test::ScopedPrompts prompts;
};

TEST_F(FileDialogRunTest, CancelResetsTheResults) {
    cFileDlg open;
    open.Filter = kFilter;
    open.FilterIndex = 1;
    open.Flags = 8;
    std::string name = "x", title = "y";
    EXPECT_FALSE(open.VBGetOpenFileName(name, title));
    EXPECT_EQ(name, "\0"s);
    EXPECT_EQ(title, "\0"s);
    EXPECT_EQ(open.Flags, 0);
    EXPECT_EQ(open.Filter, "\0"s);
    EXPECT_EQ(open.FilterIndex, -1);

    cFileDlg save;
    EXPECT_FALSE(save.VBGetSaveFileName(name, title));
    EXPECT_EQ(save.FilterIndex, 0);
}

TEST_F(FileDialogRunTest, ConfirmedDialogOpensInTheDialogFolderAndReportsTheChoice) {
    Settings.DialogFolder() = "/pictures/";
    cFileDlg dialog;
    EXPECT_EQ(dialog.DlgTitle, "Fennix");
    dialog.DlgTitle = "開始画像の選択";
    dialog.Filter = std::string(kFilter) + "|PNG|*.png";
    dialog.Flags = 0x20 | 0x40 | 0x8;  // hook and template bits are never passed on
    prompts->ChooseFilePath("/pictures/face.png", 2);
    std::string name, title;
    ASSERT_TRUE(dialog.VBGetOpenFileName(name, title));

    const FileRequest& request = prompts->fileRequests.at(0);
    EXPECT_FALSE(request.Save);
    EXPECT_EQ(request.Folder, "/pictures/");
    EXPECT_EQ(request.Title, "開始画像の選択");
    ASSERT_EQ(request.Filters.size(), 4u);
    EXPECT_EQ(request.Filters[0], "画像ﾌｧｲﾙ (*.bmp;*.jpg;*.gif;*.dib;*.wmf)");
    EXPECT_TRUE(request.FileMustExist);

    EXPECT_EQ(name, "/pictures/face.png");
    EXPECT_EQ(title, "face.png");
    EXPECT_EQ(dialog.FilterIndex, 2);
    EXPECT_EQ(dialog.Filter, "PNG\0*.png"s);
    EXPECT_EQ(dialog.Flags, 0x1000 | 0x4 | 0x8);
    EXPECT_EQ(dialog.InitDirectory, "/pictures/face.png");
    EXPECT_FALSE(dialog.ReadOnly());

    // Save: overwrite prompt and hidden read-only box.
    cFileDlg save;
    prompts->ChooseFilePath("/p/m.mph");
    ASSERT_TRUE(save.VBGetSaveFileName(name, title));
    EXPECT_TRUE(prompts->fileRequests.at(1).Save);
    EXPECT_TRUE(prompts->fileRequests.at(1).OverwritePrompt);
    EXPECT_EQ(save.Flags, 0x2 | 0x4);

    // The read-only box, once ticked, stays set.
    cFileDlg readOnly;
    readOnly.HideReadOnly = false;
    prompts->files.push_back({true, "/p/a.bmp", 1, true});
    ASSERT_TRUE(readOnly.VBGetOpenFileName(name, title));
    EXPECT_TRUE(readOnly.ReadOnly());
    EXPECT_TRUE(prompts->fileRequests.at(2).ShowReadOnly);
}

TEST_F(FileDialogRunTest, FilesFoldersAndSpecialFolders) {
    const std::string file = app.Path() + "/a.bmp";
    test::WriteFile(file, "BM");
    EXPECT_TRUE(cFileDlg::ExistFile(file));
    EXPECT_FALSE(cFileDlg::ExistFile(app.Path() + "/missing.bmp"));
    EXPECT_FALSE(cFileDlg::ExistFile(app.Path()));
    EXPECT_EQ(cFileDlg::VBGetFileTitle(file), "a.bmp");
    EXPECT_EQ(cFileDlg::VBGetFileTitle(app.Path() + "/missing.bmp"), "");

    cFileDlg dialog;
    const std::string documents =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
    EXPECT_EQ(dialog.InitDirectory, documents);
    dialog.SetInitDirectorySpecial(99);
    EXPECT_EQ(dialog.InitDirectory, "");
    dialog.SetInitDirectorySpecial(5);
    EXPECT_EQ(dialog.InitDirectory, documents);
}

}  // namespace
}  // namespace fennix
