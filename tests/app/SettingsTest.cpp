#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/Settings.h"
#include "core/AppFolder.h"
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

}  // namespace
}  // namespace fennix
