#include <gtest/gtest.h>

#include <QAction>

#include "ui/frame/Fennix_Mdif.h"
#include "model/RecentFiles.h"
#include "model/Settings.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

TEST(RecentFilesTest, ShortenedPathsShowNameThenFolder) {
    EXPECT_EQ(ShortenPath("C:\\work\\face.mph", 64), "FACE.MPH  C:\\work");
    EXPECT_EQ(ShortenPath("/home/ann/顔.mph", 64), "顔.MPH  /home/ann");
    EXPECT_EQ(ShortenPath("face.mph", 64), "FACE.MPH");
    // 61 characters stay whole (the text is one longer than the path), 62
    // are cut to 61 characters of the text and "...".
    const std::string folder61 = "/" + std::string(53, 'd') + "/";
    const std::string path61 = folder61 + "ab.mph";
    ASSERT_EQ(path61.size(), 61u);
    EXPECT_EQ(ShortenPath(path61, 64), "AB.MPH  " + folder61.substr(0, folder61.size() - 1));
    const std::string path62 = folder61 + "abc.mph";
    const std::string shortened = ShortenPath(path62, 64);
    EXPECT_EQ(shortened.size(), 64u);
    EXPECT_EQ(shortened.substr(61), "...");
    // Characters, not bytes: a Japanese path of 61 characters stays whole.
    std::string japanese = "/";
    for (int i = 0; i < 53; ++i) japanese += "あ";
    japanese += "/ab.mph";  // 61 characters
    EXPECT_EQ(ShortenPath(japanese, 64).find("..."), std::string::npos);

    // A character outside the basic plane (𠮷, two UTF-16 units) counts as
    // one, and the cut keeps whole characters.
    std::string rare;
    for (int i = 0; i < 53; ++i) rare += "𠮷";
    const std::string rare61 = "/" + rare + "/ab.mph";
    EXPECT_EQ(ShortenPath(rare61, 64), "AB.MPH  /" + rare);
    const std::string rare62 = "/" + rare + "𠮷/ab.mph";
    std::string kept;
    for (int i = 0; i < 52; ++i) kept += "𠮷";
    EXPECT_EQ(ShortenPath(rare62, 64), "AB.MPH  /" + kept + "...");
}

TEST(RecentFilesTest, AddingShiftsTheListDown) {
    test::AppFolderScope app;
    for (int n = 1; n <= kRecentFileCount; ++n) Settings.RecentFiles[n] = "f" + std::to_string(n);
    AddRecentFile("/p/m.mph");
    AddRecentFile("/p/m.mph");  // the same path twice takes two entries
    EXPECT_EQ(Settings.RecentFiles[1], "/p/m.mph");
    EXPECT_EQ(Settings.RecentFiles[2], "/p/m.mph");
    EXPECT_EQ(Settings.RecentFiles[3], "f1");
    EXPECT_EQ(Settings.RecentFiles[20], "f18");

    Settings.RecentDisplay = 3;
    const RecentMenu menu = RecentMenuFor(Settings);
    EXPECT_EQ(menu.captions[1], "1 M.MPH  /p");
    EXPECT_FALSE(menu.captions[10].empty());
    EXPECT_TRUE(menu.captions[11].empty());
    EXPECT_TRUE(menu.separator);
    Settings.RecentDisplay = 1;
    EXPECT_FALSE(RecentMenuFor(Settings).separator);
    Settings.RecentDisplay = 9;
    EXPECT_FALSE(RecentMenuFor(Settings).valid);
}

// At start-up the frame drops entries whose files have gone and shows the
// others under their own numbers.
TEST(RecentFilesTest, FrameShowsTheEntriesThatStillExist) {
    test::AppFolderScope app;
    Fennix_Mdif empty;
    empty.MDIForm_Load();
    EXPECT_EQ(Settings.RecentDisplay, 2);
    for (int n = 1; n <= kRecentFileCount; ++n) EXPECT_FALSE(empty.mnuRecent[n]->isVisible());
    EXPECT_FALSE(empty.mnudmy2->isVisible());

    const std::string one = app.Path() + "/one.mph", three = app.Path() + "/three.mph";
    test::WriteFile(one, "x");
    test::WriteFile(three, "x");
    const std::string file = SettingsFilePath();
    WriteIniValue(kSettingsSection, "最近使ったファイル1", one, file);
    WriteIniValue(kSettingsSection, "最近使ったファイル2", app.Path() + "/gone.mph", file);
    WriteIniValue(kSettingsSection, "最近使ったファイル3", three, file);
    Fennix_Mdif frame;
    frame.MDIForm_Load();
    EXPECT_TRUE(frame.mnuRecent[1]->isVisible());
    EXPECT_FALSE(frame.mnuRecent[2]->isVisible());
    EXPECT_TRUE(frame.mnuRecent[3]->isVisible());
    EXPECT_EQ(frame.mnuRecent[3]->text().toStdString(), "3 THREE.MPH  " + app.Path());
    EXPECT_TRUE(frame.mnudmy2->isVisible());
    EXPECT_EQ(Settings.RecentFiles[2], "");
}

}  // namespace
}  // namespace fennix
