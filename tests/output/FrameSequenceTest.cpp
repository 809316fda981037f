#include <gtest/gtest.h>

#include <QRect>
#include <filesystem>

#include "FrameFiles.h"
#include "output/FrameSequence.h"
#include "output/ViewerLayout.h"
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

}  // namespace
}  // namespace fennix
