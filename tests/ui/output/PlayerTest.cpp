#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "support/AviTestFiles.h"
#include "model/Settings.h"
#include "media/AviFrames.h"
#include "media/AviWriter.h"
#include "ui/output/Fennix_aviView.h"
#include "media/PicturePane.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

class PlayerTest : public testing::Test {
  protected:
    // An AVI of `count` frames of width × height at 30 frames per second.
    std::string MakeAvi(const std::string& path, int width, int height, int count) {
        test::TestFolder frames;
        test::WriteFrames(frames.Path(), 0, count - 1, width, height);
        std::vector<std::string> list;
        for (const auto& name : ListFolderFiles(frames.Path(), kFramePatterns))
            list.push_back(frames.Path() + "/" + name);
        EXPECT_EQ(
            CreateAviFile(list, path, width, height, 30,
                          [] { return std::optional<CompressorOptions>(CompressorOptions{}); }),
            AviOutcome::Written);
        return path;
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::TestFolder folder;
};

TEST_F(PlayerTest, WindowTakesTheVideoSizeAndPlaysTheSetNumberOfTimes) {
    AviPlayPath = MakeAvi(folder.File("clip.avi"), 320, 240, 4);
    Settings.AviRepeat = 3;
    Fennix_aviView player(nullptr);
    player.Form_Load();
    EXPECT_EQ(player.windowTitle().toStdString(), "AVIのビューア");
    EXPECT_TRUE(player.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(player.picVideo->size(), QSize(320, 240));
    EXPECT_EQ(player.size(), QSize(320, 240));
    EXPECT_EQ(player.Player.NaturalSize(), QSize(320, 240));

    player.exec();  // plays and closes by itself
    EXPECT_EQ(player.PlaysStarted, 3);
    EXPECT_EQ(player.Player.FramesShown(), 12);
    EXPECT_FALSE(player.Player.IsOpen());
    EXPECT_EQ(player.result(), QDialog::Accepted);
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(PlayerTest, AVideoLargerThanTheScreenIsShownScaledToFit) {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const int wide = (available.width() * 2 + 15) / 16 * 16, tall = available.height() / 16 * 16;
    AviPlayPath = MakeAvi(folder.File("wide.avi"), wide, tall, 1);
    Settings.AviRepeat = 1;
    Fennix_aviView player(nullptr);
    player.Form_Load();
    EXPECT_EQ(player.Player.NaturalSize(), QSize(wide, tall));
    EXPECT_EQ(player.picVideo->size(), FitSize(wide, tall, available.width(), available.height()));
    EXPECT_TRUE(available.contains(QRect(player.pos(), player.size())));
    player.exec();
    EXPECT_EQ(player.Player.FramesShown(), 1);
}

TEST_F(PlayerTest, PathWithSpacesPlays) {
    fs::create_directory(folder.File("my movies"));
    AviPlayPath = MakeAvi(folder.File("my movies/a clip.avi"), 64, 48, 3);
    Settings.AviRepeat = 1;
    Fennix_aviView player(nullptr);
    player.Form_Load();
    EXPECT_EQ(player.size(), QSize(64, 48));
    player.exec();
    EXPECT_EQ(player.Player.FramesShown(), 3);
}

TEST_F(PlayerTest, MissingFileShowsBlackAtDesignSizeAndCloses) {
    AviPlayPath = folder.File("gone.avi");
    Settings.AviRepeat = 2;
    Fennix_aviView player(nullptr);
    player.Form_Load();
    EXPECT_EQ(player.size(), QSize(232, 244));
    EXPECT_EQ(player.grab().toImage().pixel(100, 100), qRgb(0, 0, 0));
    player.exec();
    EXPECT_EQ(player.PlaysStarted, 2);
    EXPECT_EQ(player.Player.FramesShown(), 0);
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(PlayerTest, ZeroRepeatsPlayNothingAndCloseTheFileOpenedAtOpening) {
    AviPlayPath = MakeAvi(folder.File("clip.avi"), 48, 32, 3);
    Settings.AviRepeat = 0;
    Fennix_aviView player(nullptr);
    player.Form_Load();
    EXPECT_EQ(player.size(), QSize(48, 32));  // opened and sized all the same
    EXPECT_TRUE(player.Player.IsOpen());
    player.exec();  // closes at the first tick
    EXPECT_EQ(player.result(), QDialog::Accepted);
    EXPECT_EQ(player.PlaysStarted, 0);
    EXPECT_EQ(player.Player.FramesShown(), 0);
    EXPECT_FALSE(player.Player.IsOpen());
}

TEST_F(PlayerTest, EscapeAndSpaceCloseWhilePlaying) {
    AviPlayPath = MakeAvi(folder.File("long.avi"), 32, 32, 30);  // one second
    Settings.AviRepeat = 10;
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Space}) {
        Fennix_aviView player(nullptr);
        player.Form_Load();
        // The key comes while the first play runs its nested event loop.
        QTimer::singleShot(100, &player, [&] { QTest::keyClick(&player, key); });
        player.exec();
        EXPECT_EQ(player.result(), QDialog::Rejected);
        EXPECT_LT(player.PlaysStarted, 10);
        EXPECT_LT(player.Player.FramesShown(), 300);
        EXPECT_FALSE(player.Player.IsOpen());
    }
}

}  // namespace
}  // namespace fennix
