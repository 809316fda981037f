#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QImage>
#include <QRect>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "support/FrameFiles.h"
#include "media/AviFrames.h"
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

// The names a run gives its frames, and nothing that merely looks numbered.
TEST(FrameSequenceTest, WrittenFrameNamesAreExactlyTheRunsOwn) {
    struct Case {
        const char* name;
        bool written;
    };
    const Case cases[] = {
        {"000.bmp", true},   {"042.jpg", true},   {"999.bmp", true},    {"1000.bmp", true},
        {"12345.jpg", true}, {"0042.jpg", false}, {"000.BMP", false},   {"001.Jpg", false},
        {"01.bmp", false},   {"00a.bmp", false},  {"000.png", false},   {"000.bmp.tmp", false},
        {".000.bmp", false}, {"3000000000.bmp", false},  // beyond any frame index
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsWrittenFrameName(c.name), c.written) << c.name;
        if (c.written) {
            EXPECT_TRUE(IsFrameFileName(c.name)) << c.name;
        }
    }
}

// Frames go by number everywhere a folder is read: 1000 after 999.
TEST(FrameSequenceTest, AThousandAndOneFramesGoByNumber) {
    test::TestFolder folder;
    QImage tiny(4, 4, QImage::Format_RGB32);
    for (int k = 0; k <= 1000; ++k) {
        tiny.fill(QColor(k % 256, k / 256, 7));
        ASSERT_TRUE(tiny.save(QString::fromStdString(FramePath(folder.Path(), k, 0)), "BMP"));
    }
    test::WriteFile(folder.File("notes.bmp"), "x");
    std::vector<std::string> expected;
    for (int k = 0; k <= 1000; ++k) expected.push_back(FrameFileName(k, 0));
    EXPECT_EQ(ListFrameFiles(folder.Path()), expected);
    expected.push_back("notes.bmp");
    EXPECT_EQ(ListFrameFolder(folder.Path()), expected);
    EXPECT_EQ(LastFrameIndex(folder.Path(), 0), 1000);

    // The order itself: numbers by value whatever their width, every other
    // name after them.
    std::vector<std::string> names = {"b.jpg", "1000.bmp", "0999.jpg", "101.bmp", "100.bmp",
                                      "1.bmp", "a10.bmp",  "001.bmp",  "001.jpg", "-5.bmp"};
    std::sort(names.begin(), names.end(), FrameOrderLess);
    EXPECT_EQ(names, (std::vector<std::string>{"001.bmp", "001.jpg", "1.bmp", "100.bmp", "101.bmp",
                                               "0999.jpg", "1000.bmp", "-5.bmp", "a10.bmp",
                                               "b.jpg"}));
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
