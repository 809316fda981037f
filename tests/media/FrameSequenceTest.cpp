#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QRect>
#include <filesystem>
#include <vector>

#include "support/FrameFiles.h"
#include "media/FramePlayer.h"
#include "media/FrameSequence.h"
#include "media/ImageFile.h"
#include "model/ViewerLayout.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

TEST(FrameSequenceTest, FramePathsAndTheFolderKind) {
    EXPECT_EQ(FramePath("/f", 7, 0), "/f/007.bmp");
    EXPECT_EQ(FramePath("C:\\m\\", 1000, 1), "C:\\m\\1000.jpg");
    EXPECT_EQ(FramePath("/f/", 3, 2), "/f/003.jpg");  // any nonzero kind is JPEG
    EXPECT_EQ(FramePath("/f", -1, 0), "");            // below 000: no frame
    EXPECT_EQ(FramePath("", 0, 0), "");

    test::TestFolder both, jpeg, none;
    test::WriteFrames(both.Path(), 0, 0, 0);
    test::WriteFrames(both.Path(), 0, 0, 1);
    test::WriteFrames(jpeg.Path(), 0, 1, 1);
    std::filesystem::create_directory(none.File("000.bmp"));  // a folder is no frame
    EXPECT_EQ(FolderFrameKind(both.Path()), kBitmapFrames);
    EXPECT_EQ(FolderFrameKind(jpeg.Path() + "/"), kJpegFrames);
    EXPECT_EQ(FolderFrameKind(none.Path()), -1);
}

TEST(FrameSequenceTest, ALatin1FolderPlaysAndAFifoEndsTheRunAtOnce) {
    test::TestFolder top;
    const std::string plain = top.File("plain");
    const std::string latin = top.File("s\xE9quence");
    std::filesystem::create_directory(plain);
    test::WriteFrames(plain, 0, 3, 0);
    std::filesystem::rename(plain, latin);
    // Frame 002 replaced by a FIFO: the run must end at 001, not wait.
    const std::string fifo = FramePath(latin, 2, kBitmapFrames);
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    ASSERT_EQ(FolderFrameKind(latin), kBitmapFrames);
    int64_t now = 0;
    std::vector<int> shown;
    FramePlayer player([&] { return now; },
                       [&](int index) {
                           const auto image = LoadImageFile(FramePath(latin, index, 0));
                           if (!image) return false;
                           EXPECT_EQ(test::FrameIndexOfColor(image->pixel(0, 0)), index);
                           shown.push_back(index);
                           return true;
                       });
    player.Play(10);
    for (; now < 200; ++now) player.Tick();
    EXPECT_EQ(shown, (std::vector<int>{0, 1}));
    EXPECT_FALSE(player.Playing());
}

TEST(ViewerLayoutTest, MinimumPanelWidthAndTruncatedPlacement) {
    const ViewerLayout small = ComputeViewerLayout(100, 50, 1024, 768, 2);
    EXPECT_EQ(QRect(small.left, small.top, small.windowWidth, small.windowHeight),
              QRect(367, 324, 289, 120));
    EXPECT_EQ(QSize(small.panelWidth, small.panelHeight), QSize(289, 90));
    EXPECT_EQ(ComputeViewerLayout(263, 10, 800, 600, 2).panelWidth, 289);
    EXPECT_EQ(ComputeViewerLayout(264, 10, 800, 600, 2).panelWidth, 290);
    // A window of 426 × 370 on a 201 × 101 screen: -112.5 and -89.67 truncate
    // toward zero.
    const ViewerLayout big = ComputeViewerLayout(400, 300, 201, 101, 3);
    EXPECT_EQ(QRect(big.left, big.top, big.windowWidth, big.windowHeight),
              QRect(-112, -89, 426, 370));
}

// A run's frame folder is made once: a second run in the same second, or
// a folder that cannot be written, gets none.
TEST(FrameFolder, MadeOnceAndNamedAfterTheTime) {
    test::TestFolder root;
    const QDateTime when(QDate(2024, 3, 5), QTime(7, 8, 9));
    EXPECT_EQ(MakeFrameFolder(root.Path(), when), root.File("20240305-07-08-09"));
    EXPECT_TRUE(std::filesystem::is_directory(root.File("20240305-07-08-09")));
    EXPECT_EQ(MakeFrameFolder(root.Path(), when), "");
    EXPECT_EQ(MakeFrameFolder(root.File("missing"), when), "");
}

}  // namespace
}  // namespace fennix
