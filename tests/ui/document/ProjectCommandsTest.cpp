#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "ui/frame/Fennix_Mdif.h"
#include "model/Settings.h"
#include "model/TempImages.h"
#include "core/AppFolder.h"
#include "core/Paths.h"
#include "media/ImageFile.h"
#include "ui/common/PaneWidget.h"
#include "ui/document/Fennix_Main.h"
#include "model/ImageRelocation.h"
#include "model/ProjectFile.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

// A frame with its working folders, and new documents made as 新規 makes
// them: two prepared images in the temporary folder and the picked files.
class ProjectCommandsTest : public testing::Test {
  protected:
    void SetUp() override {
        test::UseDefaultGridSettings();
        frame.MDIForm_Load();
        test::UseDefaultGridSettings();
    }
    void TearDown() override { frame.MDIForm_Unload(); }

    Fennix_Main* NewDocument(const std::string& startSource, const std::string& endSource) {
        const TempImagePair pair = NextTempImagePair(Settings.TempFolder);
        const std::string &start = pair.start, &end = pair.end;
        fs::copy_file(test::SamplePath("sun.bmp"), start);
        fs::copy_file(test::SamplePath("moon.bmp"), end);
        Settings.IsNewMorph = true;
        Fennix_Main* document = frame.CreateDocument();
        document->Document.SourcePath[0] = startSource;
        document->Document.SourcePath[1] = endSource;
        EXPECT_TRUE(document->NewMorph(start, end));
        return document;
    }
    std::string Picked(const std::string& name) {
        test::WriteFile(pictures.File(name), "picked");
        return pictures.File(name);
    }
    void SaveAs(Fennix_Main* document, const std::string& path) {
        prompts->ChooseFilePath(path);
        document->mnuSaveName_Click();
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::TestFolder pictures;
    test::TestFolder projects;
    Fennix_Mdif frame;
};

TEST_F(ProjectCommandsTest, FirstSaveMovesTheImagesAndNamesTheFile) {
    Fennix_Main* document = NewDocument(Picked("face.jpg"), Picked("face.jpg"));
    document->Document.Dirty = true;
    Settings.ProjectFolder() = projects.Path() + "/";
    SaveAs(document, projects.File("morph"));

    const FileRequest& request = prompts->fileRequests.at(0);
    EXPECT_EQ(request.Title, "ファィルの保存");
    EXPECT_TRUE(request.OverwritePrompt);
    EXPECT_EQ(request.Folder, projects.Path() + "/");
    EXPECT_EQ(request.Filters.at(0), "モーフィングファイル (*.mph)");

    const std::string project = projects.File("morph.mph");
    EXPECT_EQ(document->Document.FileName, project);
    EXPECT_FALSE(document->Document.Dirty);
    EXPECT_EQ(document->Document.Matrix(1).ImagePath, Settings.ImageFolder + "/face_001.bmp");
    EXPECT_EQ(document->Document.Matrix(2).ImagePath, Settings.ImageFolder + "/face_002.bmp");
    EXPECT_FALSE(FileExists(Settings.TempFolder + "/temp_" + ProgramWorkspace().Tag() + "_0.bmp"));
    EXPECT_EQ(Settings.RecentFiles[1], project);
    EXPECT_TRUE(frame.mnuRecent[1]->isVisible());
    EXPECT_EQ(Settings.ProjectFolder(), projects.Path() + "/");
    EXPECT_EQ(document->windowTitle(), "Fennix");  // the caption stays

    MorphProject read;
    ASSERT_EQ(LoadMorphFile(project, read), "");
    EXPECT_EQ(read.Matrix1, document->Document.Matrix(1));

    // ".mph" is added unless the name ends in exactly ".mph".
    SaveAs(document, projects.File("again.mph"));
    EXPECT_EQ(document->Document.FileName, projects.File("again.mph"));
    SaveAs(document, projects.File("loud.MPH"));
    EXPECT_EQ(document->Document.FileName, projects.File("loud.MPH.mph"));
    // Relocated once only: the images stay where the first save put them.
    EXPECT_EQ(document->Document.Matrix(1).ImagePath, Settings.ImageFolder + "/face_001.bmp");
}

TEST_F(ProjectCommandsTest, BaseNamesAndCounters) {
    test::WriteFile(Settings.ImageFolder + "/a_001.bmp", "taken");
    Fennix_Main* document = NewDocument(Picked("a.b.c.bmp"), pictures.File("gone.jpg"));
    SaveAs(document, projects.File("m"));
    EXPECT_EQ(document->Document.Matrix(1).ImagePath, Settings.ImageFolder + "/a_002.bmp");
    EXPECT_EQ(document->Document.Matrix(2).ImagePath, Settings.ImageFolder + "/_001.bmp");

    // All 999 names of a base taken: counting goes on.
    for (int n = 1; n <= 999; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/b_%03d.bmp", n);
        test::WriteFile(Settings.ImageFolder + name, "taken");
    }
    EXPECT_EQ(RelocatedImageName(Settings.ImageFolder, Picked("b.png")),
              Settings.ImageFolder + "/b_1000.bmp");
}

TEST_F(ProjectCommandsTest, CancelledFirstSaveStillMovesTheImages) {
    Fennix_Main* first = NewDocument(Picked("one.bmp"), Picked("two.bmp"));
    Fennix_Main* second = NewDocument(Picked("three.bmp"), Picked("four.bmp"));
    first->Document.Dirty = true;
    first->mnuSaveName_Click();  // no scripted path: the dialog is cancelled
    EXPECT_EQ(first->Document.FileName, "");
    EXPECT_TRUE(first->Document.Dirty);
    EXPECT_EQ(first->Document.Matrix(1).ImagePath, Settings.ImageFolder + "/one_001.bmp");
    EXPECT_TRUE(FileExists(first->Document.Matrix(1).ImagePath));
    // The other unsaved document keeps its own prepared images.
    EXPECT_TRUE(FileExists(second->Document.Matrix(1).ImagePath));
    EXPECT_EQ(second->Document.Matrix(1).ImagePath,
              Settings.TempFolder + "/temp_" + ProgramWorkspace().Tag() + "_2.bmp");

    // Saving again relocates nothing more and names the file.
    SaveAs(first, projects.File("m"));
    EXPECT_EQ(first->Document.Matrix(1).ImagePath, Settings.ImageFolder + "/one_001.bmp");
    EXPECT_FALSE(FileExists(Settings.ImageFolder + "/one_002.bmp"));

    // Save writes in place; once the file has gone it asks for a name.
    first->Document.Dirty = true;
    const size_t asked = prompts->fileRequests.size();
    first->mnuSaveMorph_Click();
    EXPECT_EQ(prompts->fileRequests.size(), asked);
    EXPECT_FALSE(first->Document.Dirty);
    fs::remove(projects.File("m.mph"));
    first->mnuSaveMorph_Click();
    EXPECT_EQ(prompts->fileRequests.size(), asked + 1);
}

// The dialog asks before replacing the name as typed; the file written when
// ".mph" is added to it is asked about in the same way, and No goes back to
// the dialog.
TEST_F(ProjectCommandsTest, AddingTheExtensionNeverReplacesAFileUnasked) {
    Fennix_Main* document = NewDocument(Picked("s.bmp"), Picked("e.bmp"));
    test::WriteFile(projects.File("morph.mph"), "an older project");
    document->Document.Dirty = true;

    prompts->ChooseFilePath(projects.File("morph"));
    prompts->Answer(MessageAnswer::No);
    prompts->ChooseFilePath(projects.File("other"));
    const size_t shownBefore = prompts->shown.size();
    document->mnuSaveName_Click();
    ASSERT_EQ(prompts->shown.size(), shownBefore + 1);
    const auto& question = prompts->shown.back();
    EXPECT_EQ(question.text, "morph.mph は既に存在します。\n上書きしますか？");
    EXPECT_EQ(question.title, "ファィルの保存");
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(prompts->fileRequests.size(), 2u);
    EXPECT_EQ(test::ReadFile(projects.File("morph.mph")), "an older project");
    EXPECT_EQ(document->Document.FileName, projects.File("other.mph"));
    EXPECT_FALSE(document->Document.Dirty);

    // Yes replaces it; a name typed with ".mph" was asked about by the
    // dialog itself and is not asked again.
    prompts->ChooseFilePath(projects.File("morph"));
    prompts->Answer(MessageAnswer::Yes);
    document->mnuSaveName_Click();
    EXPECT_EQ(document->Document.FileName, projects.File("morph.mph"));
    EXPECT_NE(test::ReadFile(projects.File("morph.mph")), "an older project");
    const size_t shownAfter = prompts->shown.size();
    prompts->ChooseFilePath(projects.File("morph.mph"));
    document->mnuSaveName_Click();
    EXPECT_EQ(prompts->shown.size(), shownAfter);
    EXPECT_EQ(Settings.RecentFiles[1], projects.File("morph.mph"));
}

TEST_F(ProjectCommandsTest, FailedSaveKeepsTheOldFileAndTheChanges) {
    Fennix_Main* document = NewDocument(Picked("s.bmp"), Picked("e.bmp"));
    Settings.ProjectFolder() = projects.Path() + "/";
    SaveAs(document, projects.File("m"));
    const std::string before = test::ReadFile(projects.File("m.mph"));
    fs::create_directory(projects.File("dir.mph"));
    test::TestFolder elsewhere;
    fs::create_directory(elsewhere.File("dir.mph"));
    document->Document.Dirty = true;
    SaveAs(document, elsewhere.File("dir.mph"));
    ASSERT_FALSE(prompts->shown.empty());
    EXPECT_EQ(prompts->shown.back().text, "保存できませんでした。" + elsewhere.File("dir.mph"));
    EXPECT_EQ(prompts->shown.back().icon, MessageIcon::Critical);
    // The document stays as it was: changed, under its old name, and the
    // recent-file list and the dialog's folder do not take the failed name.
    EXPECT_TRUE(document->Document.Dirty);
    EXPECT_EQ(document->Document.FileName, projects.File("m.mph"));
    EXPECT_EQ(Settings.RecentFiles[1], projects.File("m.mph"));
    EXPECT_EQ(Settings.RecentFiles[2], "");
    EXPECT_EQ(Settings.ProjectFolder(), projects.Path() + "/");
    EXPECT_EQ(test::ReadFile(projects.File("m.mph")), before);
    // 上書き保存 still writes to the old name.
    document->mnuSaveMorph_Click();
    EXPECT_FALSE(document->Document.Dirty);
}

TEST_F(ProjectCommandsTest, FailedFirstSaveLeavesANewDocumentNew) {
    Fennix_Main* document = NewDocument(Picked("s.bmp"), Picked("e.bmp"));
    document->Document.Dirty = true;
    SaveAs(document, projects.File("missing/m"));
    EXPECT_EQ(prompts->shown.back().icon, MessageIcon::Critical);
    EXPECT_EQ(document->Document.FileName, "");
    EXPECT_TRUE(document->Document.Dirty);
    EXPECT_EQ(Settings.RecentFiles[1], "");
    EXPECT_FALSE(frame.mnuRecent[1]->isVisible());
    EXPECT_FALSE(fs::exists(projects.File("missing")));
}

TEST_F(ProjectCommandsTest, AMissingImageFolderIsMadeAtTheFirstSave) {
    Fennix_Main* document = NewDocument(Picked("face.bmp"), Picked("face.bmp"));
    fs::remove_all(Settings.ImageFolder);
    SaveAs(document, projects.File("m"));
    EXPECT_FALSE(document->Document.Dirty);
    MorphProject read;
    ASSERT_EQ(LoadMorphFile(projects.File("m.mph"), read), "");
    EXPECT_EQ(read.Matrix1.ImagePath, Settings.ImageFolder + "/face_001.bmp");
    EXPECT_EQ(read.Matrix2.ImagePath, Settings.ImageFolder + "/face_002.bmp");
    EXPECT_EQ(test::ReadFile(read.Matrix1.ImagePath), test::ReadFile(test::SamplePath("sun.bmp")));
    EXPECT_EQ(test::ReadFile(read.Matrix2.ImagePath), test::ReadFile(test::SamplePath("moon.bmp")));
}

// A project pointing into the temporary folder would lose its images when
// the program ends: when they cannot be moved out, nothing is written.
TEST_F(ProjectCommandsTest, ImagesThatCannotBeMovedStopTheFirstSave) {
    Fennix_Main* document = NewDocument(Picked("face.bmp"), Picked("face.bmp"));
    const std::string start = document->Document.Matrix(1).ImagePath;
    const std::string end = document->Document.Matrix(2).ImagePath;
    document->Document.Dirty = true;
    fs::remove_all(Settings.ImageFolder);
    test::WriteFile(Settings.ImageFolder, "in the way");

    for (auto save : {&Fennix_Main::mnuSaveName_Click, &Fennix_Main::mnuSaveMorph_Click}) {
        prompts->shown.clear();
        (document->*save)();
        EXPECT_TRUE(prompts->fileRequests.empty());  // no name was asked for
        ASSERT_EQ(prompts->shown.size(), 1u);
        EXPECT_EQ(prompts->shown[0].text, Settings.ImageFolder +
                                              "に画像を保存できませんでした。\n"
                                              "プロジェクトは保存されていません。");
        EXPECT_EQ(prompts->shown[0].title, "Fennix");
        EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Critical);
        EXPECT_EQ(document->Document.Matrix(1).ImagePath, start);
        EXPECT_EQ(document->Document.FileName, "");
        EXPECT_TRUE(document->Document.Dirty);
    }
    EXPECT_TRUE(fs::is_empty(projects.Path()));
    EXPECT_EQ(Settings.RecentFiles[1], "");
    EXPECT_EQ(test::ReadFile(start), test::ReadFile(test::SamplePath("sun.bmp")));
    EXPECT_EQ(test::ReadFile(end), test::ReadFile(test::SamplePath("moon.bmp")));
    EXPECT_EQ(test::ReadFile(Settings.ImageFolder), "in the way");

    // Once the folder can be made, the same document saves.
    fs::remove(Settings.ImageFolder);
    SaveAs(document, projects.File("m"));
    EXPECT_EQ(document->Document.Matrix(1).ImagePath, Settings.ImageFolder + "/face_001.bmp");
    EXPECT_FALSE(fs::exists(start));
    EXPECT_FALSE(document->Document.Dirty);
}

// Zooming goes through a scratch bitmap of this copy's own; another
// copy's (or an older version's shared "tmp.bmp") is never touched, and
// nothing is left behind.
TEST_F(ProjectCommandsTest, ZoomLeavesOtherCopiesScratchFilesAlone) {
    Fennix_Main* document = NewDocument(Picked("s.bmp"), Picked("e.bmp"));
    test::WriteFile(Settings.TempFolder + "/tmp.bmp", "older version");
    test::WriteFile(Settings.TempFolder + "/tmp_0.bmp", "another copy");
    std::set<std::string> before;
    for (const auto& entry : fs::directory_iterator(Settings.TempFolder))
        before.insert(entry.path().filename().string());
    document->mnuZoom_Click(2);
    EXPECT_EQ(document->Panes.P(1).Width(), 2 * 320);
    std::set<std::string> after;
    for (const auto& entry : fs::directory_iterator(Settings.TempFolder))
        after.insert(entry.path().filename().string());
    EXPECT_EQ(after, before);
    EXPECT_EQ(test::ReadFile(Settings.TempFolder + "/tmp.bmp"), "older version");
    EXPECT_EQ(test::ReadFile(Settings.TempFolder + "/tmp_0.bmp"), "another copy");
}

TEST_F(ProjectCommandsTest, OpenShowsTheProjectAndFailuresLeaveNoWindow) {
    Fennix_Main* saved = NewDocument(Picked("s.bmp"), Picked("e.bmp"));
    saved->Pb->SetBackColor(0x123456);
    saved->Document.Matrix(1).Points(2, 2) = {70, 50};
    SaveAs(saved, projects.File("m"));
    saved->Unload();

    // Project and images moved together into another folder.
    test::TestFolder moved;
    fs::copy_file(projects.File("m.mph"), moved.File("m.mph"));
    for (const char* image : {"s_001.bmp", "e_001.bmp"}) {
        fs::copy_file(Settings.ImageFolder + "/" + image, moved.File(image));
        fs::remove(Settings.ImageFolder + "/" + image);
    }
    prompts->ChooseFilePath(moved.File("m.mph"));
    frame.mnuOpenMorph_Click();
    EXPECT_EQ(prompts->fileRequests.back().Title, "ファイルを開く");
    ASSERT_EQ(frame.Documents().size(), 1);
    Fennix_Main* opened = frame.Documents()[0];
    EXPECT_EQ(opened->windowTitle().toStdString(), moved.File("m.mph"));
    EXPECT_EQ(opened->Document.FileName, moved.File("m.mph"));
    EXPECT_EQ(opened->Document.Matrix(1).ImagePath, moved.File("s_001.bmp"));
    EXPECT_EQ(opened->Document.Matrix(1).Points(2, 2), (Point{70, 50}));
    EXPECT_EQ(opened->Pb->BackColor(), 0x123456);
    EXPECT_FALSE(opened->Document.Dirty);
    EXPECT_TRUE(opened->mnuSaveMorph->isEnabled());
    EXPECT_FALSE(Settings.IsNewMorph);
    EXPECT_EQ(Settings.ProjectFolder(), moved.Path() + "/");
    opened->Unload();

    // A broken project file: a message and no window.
    test::WriteFile(moved.File("broken.mph"), "\"x\"\r\n12\r\n");
    prompts->ChooseFilePath(moved.File("broken.mph"));
    frame.mnuOpenMorph_Click();
    EXPECT_EQ(prompts->shown.back().icon, MessageIcon::Critical);
    EXPECT_TRUE(frame.Documents().isEmpty());
    // An image that is not a picture: its path and "が無効です。".
    test::WriteFile(moved.File("s_001.bmp"), "not a picture");
    prompts->ChooseFilePath(moved.File("m.mph"));
    frame.mnuOpenMorph_Click();
    EXPECT_EQ(prompts->shown.back().text, moved.File("s_001.bmp") + "が無効です。");
    EXPECT_TRUE(frame.Documents().isEmpty());
}

// A project written by the Windows program: cp932 text, Windows paths, the
// images beside it; opened from the recent-file list.
TEST_F(ProjectCommandsTest, WindowsProjectOpensFromTheRecentList) {
    test::TestFolder folder;
    fs::copy_file(test::SamplePath("sun.bmp"), folder.File("顔_001.bmp"));
    fs::copy_file(test::SamplePath("moon.bmp"), folder.File("顔_002.bmp"));
    MatrixRecord m = test::Grid(320, 240, 5, 5);
    m.PointerSize = 5;
    MatrixRecord m1 = m, m2 = m;
    m1.ImagePath = "C:\\モーフ\\顔_001.bmp";
    m2.ImagePath = "C:\\モーフ\\顔_002.bmp";
    const std::string path = folder.File("win.mph");
    ASSERT_EQ(SaveMorphFile(path, m1, m2, "C:\\モーフ\\", 19, 0x808080), "");
    std::string bytes = test::ReadFile(path);
    const std::string utf8 = "モーフ\\顔";
    const std::string cp932 = "\x83\x82\x81\x5b\x83\x74\\\x8a\xe7";
    for (size_t at; (at = bytes.find(utf8)) != std::string::npos;)
        bytes.replace(at, utf8.size(), cp932);
    test::WriteFile(path, bytes);

    Settings.RecentFiles[1] = path;
    Settings.RecentDisplay = 2;
    frame.RebuildRecentMenu();
    frame.mnuRecent[1]->trigger();
    ASSERT_EQ(frame.Documents().size(), 1);
    Fennix_Main* opened = frame.Documents()[0];
    EXPECT_EQ(opened->Document.Matrix(2).ImagePath, folder.File("顔_002.bmp"));
    EXPECT_EQ(opened->Panes.P(1).Width(), 320);
    EXPECT_EQ(Settings.RecentFiles[1], path);  // opening leaves the list as it was
    EXPECT_EQ(Settings.FrameFolder(), ApplicationFolder() + "/");
}

}  // namespace
}  // namespace fennix
