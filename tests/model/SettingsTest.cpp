#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "model/Settings.h"
#include "core/AppFolder.h"
#include "core/Paths.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

const char* kKeysInOrder[] = {
    "フォルダ（org）", "フォルダ（mph）", "フォルダ（avi）", "総フレーム数", "マトリクス行数",
    "マトリクス列数", "ポインタの大きさ", "保存ファイルの種類", "マトリクスの色", "ポインタの色",
    "再生インターバル", "AVIリピート", "最近使ったファイル表示"};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class SettingsTest : public testing::Test {
protected:
    test::AppFolderScope app;
    std::string ini() const { return app.Path() + "/Fennix.ini"; }
};

TEST_F(SettingsTest, FirstStartTakesEveryDefault) {
    LoadSettings();
    EXPECT_EQ(Settings.FrameCount, 20);
    EXPECT_EQ(Settings.Rows, 5);
    EXPECT_EQ(Settings.Columns, 5);
    EXPECT_EQ(Settings.PointerSize, 5);
    EXPECT_EQ(Settings.SaveKind, 0);
    EXPECT_EQ(Settings.MatrixColor, 16777215);
    EXPECT_EQ(Settings.PointerColor, 255);
    EXPECT_EQ(Settings.PlayInterval, 100);
    EXPECT_EQ(Settings.AviRepeat, 3);
    EXPECT_EQ(Settings.RecentDisplay, 2);
    EXPECT_EQ(Settings.SourceFolder(), app.Path());
    EXPECT_EQ(Settings.ProjectFolder(), app.Path());
    EXPECT_EQ(Settings.AviFolder(), app.Path());
    for (int n = 1; n <= 20; ++n) EXPECT_EQ(Settings.RecentFiles[n], "");
}

TEST_F(SettingsTest, SaveWritesThe33KeysInTableOrder) {
    LoadSettings();
    SaveSettings();
    const auto lines = Lines(test::ReadFile(ini()));
    ASSERT_EQ(lines.size(), 34u);
    EXPECT_EQ(lines[0], "[Section]");
    for (int k = 0; k < 13; ++k) EXPECT_EQ(lines[k + 1].rfind(kKeysInOrder[k], 0), 0u) << k;
    for (int n = 1; n <= 20; ++n) EXPECT_EQ(lines[13 + n], "最近使ったファイル" + std::to_string(n) + "=");
    EXPECT_EQ(lines[1], "フォルダ（org）=" + app.Path());
    EXPECT_EQ(lines[4], "総フレーム数= 20");
    EXPECT_EQ(lines[9], "マトリクスの色= 16777215");
    EXPECT_EQ(lines[13], "最近使ったファイル表示= 2");
}

// The program's own settings (the preview's choice, the videos' folder,
// 画像の選択's whole view)
// go to a file of their own, so Fennix.ini keeps its 33 keys; a videos'
// folder that is gone reads back as none.
TEST_F(SettingsTest, AdditionsGoToTheirOwnFile) {
    LoadSettings();
    EXPECT_FALSE(Settings.PreviewShown);
    EXPECT_EQ(Settings.VideoFolder, "");
    const std::string videos = app.Path() + "/videos";
    std::filesystem::create_directory(videos);
    Settings.PreviewShown = true;
    Settings.VideoFolder = videos;
    Settings.WholePictureShown = true;
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(Lines(test::ReadFile(ini())).size(), 34u);
    EXPECT_EQ(Lines(test::ReadFile(AdditionsFilePath())),
              (std::vector<std::string>{"[Section]", "プレビュー表示= 1",
                                        "フォルダ（動画）=" + videos, "全体表示= 1"}));

    Settings = SettingsRecord();
    LoadSettings();
    EXPECT_TRUE(Settings.PreviewShown);
    EXPECT_TRUE(Settings.WholePictureShown);
    EXPECT_EQ(Settings.VideoFolder, videos);
    std::filesystem::remove(videos);
    LoadSettings();
    EXPECT_EQ(Settings.VideoFolder, "");
}

TEST_F(SettingsTest, BadAndFractionalValuesFollowTheirConversion) {
    test::WriteFile(ini(),
                    "[Section]\n総フレーム数=abc\nマトリクス行数=\nマトリクス列数=7.5\n"
                    "ポインタの大きさ=6.5\n再生インターバル=150.9\nAVIリピート=-0.5\n"
                    "ポインタの色=-3\n");
    LoadSettings();
    EXPECT_EQ(Settings.FrameCount, 20);
    EXPECT_EQ(Settings.Rows, 5);
    EXPECT_EQ(Settings.Columns, 8);
    EXPECT_EQ(Settings.PointerSize, 6);
    EXPECT_EQ(Settings.PlayInterval, 150);
    EXPECT_EQ(Settings.AviRepeat, -1);
    EXPECT_EQ(Settings.PointerColor, -3);
    SaveSettings();
    EXPECT_NE(test::ReadFile(ini()).find("ポインタの色=-3\n"), std::string::npos);

    test::WriteFile(ini(), "[Section]\n総フレーム数=20.5\n");
    LoadSettings();
    EXPECT_EQ(Settings.FrameCount, 20);
}

TEST_F(SettingsTest, DeletedFolderBecomesTheApplicationFolderAndIsSavedSo) {
    const std::string kept = app.Folder().File("kept");
    std::filesystem::create_directory(kept);
    test::WriteFile(ini(), "[Section]\nフォルダ（org）=" + kept +
                               "\nフォルダ（mph）=" + app.Folder().File("gone") + "\n");
    LoadSettings();
    EXPECT_EQ(Settings.SourceFolder(), kept);
    EXPECT_EQ(Settings.ProjectFolder(), app.Path());
    SaveSettings();
    const std::string text = test::ReadFile(ini());
    EXPECT_NE(text.find("フォルダ（mph）=" + app.Path() + "\n"), std::string::npos);
    EXPECT_NE(text.find("フォルダ（org）=" + kept + "\n"), std::string::npos);
}

TEST_F(SettingsTest, MissingRecentFileIsWrittenBackEmptyUnderItsOwnKey) {
    const std::string one = app.Folder().File("one.mph");
    const std::string four = app.Folder().File("four.mph");
    test::WriteFile(one, "x");
    test::WriteFile(four, "x");
    test::WriteFile(ini(), "[Section]\n最近使ったファイル1=" + one + "\n最近使ったファイル3=" +
                               app.Folder().File("gone.mph") + "\n最近使ったファイル4=" + four +
                               "\n");
    LoadSettings();
    EXPECT_EQ(Settings.RecentFiles[1], one);
    EXPECT_EQ(Settings.RecentFiles[3], "");
    EXPECT_EQ(Settings.RecentFiles[4], four);
    SaveSettings();
    const std::string text = test::ReadFile(ini());
    EXPECT_NE(text.find("最近使ったファイル3=\n"), std::string::npos);
    EXPECT_NE(text.find("最近使ったファイル4=" + four + "\n"), std::string::npos);
}

TEST_F(SettingsTest, OtherSectionsAndKeysSurviveASave) {
    test::WriteFile(ini(), "[Window]\nleft=10\n[Section]\nmine=keep\n総フレーム数= 30\n");
    LoadSettings();
    EXPECT_EQ(Settings.FrameCount, 30);
    SaveSettings();
    const std::string text = test::ReadFile(ini());
    EXPECT_EQ(text.rfind("[Window]\nleft=10\n[Section]\nmine=keep\n総フレーム数= 30\n", 0), 0u);
}

TEST_F(SettingsTest, LongPathsReadBackWhole) {
    const std::string deep = app.Folder().File(std::string(120, 'a') + "/" + std::string(120, 'b') +
                                               "/" + std::string(60, 'c'));
    std::filesystem::create_directories(deep);
    ASSERT_GT(deep.size(), 300u);
    test::WriteFile(ini(), "[Section]\nフォルダ（avi）=" + deep + "\n");
    LoadSettings();
    EXPECT_EQ(Settings.AviFolder(), deep);
}

TEST_F(SettingsTest, Cp932SettingsFileReadsCorrectly) {
    // [Section] 総フレーム数= 12 / マトリクス行数= 9 as the Windows program writes them.
    test::WriteFile(ini(),
                    "[Section]\r\n\x91\x8D\x83\x74\x83\x8C\x81\x5B\x83\x80\x90\x94= 12\r\n"
                    "\x83\x7D\x83\x67\x83\x8A\x83\x4E\x83\x58\x8D\x73\x90\x94= 9\r\n");
    LoadSettings();
    EXPECT_EQ(Settings.FrameCount, 12);
    EXPECT_EQ(Settings.Rows, 9);
}

// One byte that is not UTF-8, in another program's section: every setting
// still reads, and a save changes no byte of the file but its own values.
TEST_F(SettingsTest, AStrayByteElsewhereChangesNoSetting) {
    const std::string recent = app.Folder().File("recent.mph");
    test::WriteFile(recent, "x");
    Settings.FrameCount = 12;
    Settings.RecentDisplay = 4;
    Settings.RecentFiles[1] = recent;
    for (std::string& folder : Settings.Folders) folder = app.Path();
    ASSERT_TRUE(SaveSettings());
    const std::string saved = "[Other]\r\nname=caf\xE9\r\n" + test::ReadFile(ini());
    test::WriteFile(ini(), saved);

    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings.FrameCount, 12);
    EXPECT_EQ(Settings.RecentDisplay, 4);
    EXPECT_EQ(Settings.RecentFiles[1], recent);
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(test::ReadFile(ini()), saved);
}

// Names are bytes: a folder or project named in Latin-1 is written as its
// bytes and found again by them.
TEST_F(SettingsTest, FileNamesThatAreNotUtf8SurviveASaveAndALoad) {
    const std::string folder = app.Folder().File("caf\xE9");
    const std::string project = app.Folder().File("r\xE9sum\xE9.mph");
    std::filesystem::create_directory(folder);
    test::WriteFile(project, "x");
    LoadSettings();
    Settings.SourceFolder() = folder;
    Settings.AviFolder() = folder;
    Settings.RecentFiles[2] = project;
    ASSERT_TRUE(SaveSettings());
    EXPECT_NE(test::ReadFile(ini()).find("\n最近使ったファイル2=" + project + "\n"),
              std::string::npos);

    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings.SourceFolder(), folder);
    EXPECT_EQ(Settings.AviFolder(), folder);
    EXPECT_EQ(Settings.RecentFiles[2], project);
    EXPECT_EQ(Settings.FrameCount, 20);
}

// A name in cp932 (as the Windows program writes it) that is no file by its
// bytes is the decoded name.
TEST_F(SettingsTest, Cp932FileNamesAreDecoded) {
    const std::string folder = app.Folder().File("画像");
    std::filesystem::create_directory(folder);
    test::WriteFile(ini(), "[Section]\r\n\x83\x74\x83\x48\x83\x8B\x83\x5F\x81\x69org\x81\x6A=" +
                               app.Path() + "/\x89\xE6\x91\x9C\r\n");
    LoadSettings();
    EXPECT_EQ(Settings.SourceFolder(), folder);
}

// A name with a line break (a Linux file name may hold one) would write a
// second line, a key of its own that wins on the next start.
TEST_F(SettingsTest, ValuesWithLineBreaksAreWrittenEmpty) {
    const std::string forged = app.Folder().File("forged");
    std::filesystem::create_directory(forged);
    const std::string folder = app.Folder().File("a\nフォルダ（mph）=" + forged);
    std::filesystem::create_directories(folder);
    const std::string forgedProject = app.Folder().File("forged.mph");
    test::WriteFile(forgedProject, "x");
    const std::string project = app.Folder().File("b\r\n最近使ったファイル2=" + forgedProject);
    std::filesystem::create_directories(std::filesystem::path(project).parent_path());
    test::WriteFile(project, "x");
    ASSERT_TRUE(FileExists(project));
    LoadSettings();
    Settings.SourceFolder() = folder;
    Settings.RecentFiles[1] = project;
    ASSERT_TRUE(SaveSettings());
    const auto lines = Lines(test::ReadFile(ini()));
    ASSERT_EQ(lines.size(), 34u);
    EXPECT_EQ(lines[1], "フォルダ（org）=");
    EXPECT_EQ(lines[2], "フォルダ（mph）=" + app.Path());
    EXPECT_EQ(lines[14], "最近使ったファイル1=");
    EXPECT_EQ(lines[15], "最近使ったファイル2=");

    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings.SourceFolder(), app.Path());
    EXPECT_EQ(Settings.ProjectFolder(), app.Path());
    EXPECT_EQ(Settings.RecentFiles[1], "");
    EXPECT_EQ(Settings.RecentFiles[2], "");
}

}  // namespace
}  // namespace fennix
