#include <gtest/gtest.h>

#include <QCoreApplication>
#include <filesystem>

#include "engine/MorphRun.h"
#include "media/ImageFile.h"
#include "model/MatrixRecord.h"
#include "support/TestFolder.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

MatrixRecord Grid(const QImage& image) {
    return test::Grid(image.width(), image.height(), 4, 3);
}

QImage Gradient(int w, int h, int shift) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 7 + shift) % 256, (y * 5) % 256, shift));
    return image;
}

// Each case runs both ways: each frame written beside the next one's warp,
// and one frame at a time.
class MorphRunTest : public testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        fs::create_directory(frames());
        surface.SetBackColor(0x808080);
        surface.SetSize(start.width(), start.height());
        source = {&start, &end, &startGrid, &endGrid, 1};
        output.frameFolder = frames() + "/";
        output.tempFolder = folder.Path();
        output.companionFolder = QCoreApplication::applicationDirPath().toStdString();
        if (GetParam()) output.oneFrameFrom = 0;
    }
    std::string frames() const { return folder.File("frames"); }

    test::TestFolder folder;
    QImage start = Gradient(61, 37, 0);
    QImage end = Gradient(61, 37, 200);
    MatrixRecord startGrid = Grid(start);
    MatrixRecord endGrid = Grid(end);
    PicturePane surface;
    MorphSource source;
    FrameOutput output;
};

TEST(FrameFiles, NamesHaveAtLeastThreeDigits) {
    EXPECT_EQ(FrameFileName(0, 0), "000.bmp");
    EXPECT_EQ(FrameFileName(19, 0), "019.bmp");
    EXPECT_EQ(FrameFileName(999, 1), "999.jpg");
    EXPECT_EQ(FrameFileName(1000, 0), "1000.bmp");
    EXPECT_EQ(FrameFileName(5, 2), "005.jpg");  // any kind but 0 is JPEG
    EXPECT_EQ(FrameFolderName(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))), "20240305-07-08-09");
    EXPECT_EQ(FrameFolderName(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58))),
              "20261231-23-59-58");
}

TEST_P(MorphRunTest, TwoFramesAreTheStartAndTheEndImage) {
    std::vector<int> before, after;
    MorphProgress progress{[&](int k, int last) { before.push_back(k * 10 + last); },
                           [&](int k) { after.push_back(k); }, {}};
    ASSERT_EQ(RunMorph(source, surface, output, progress), "");
    EXPECT_EQ(before, (std::vector<int>{1, 11}));
    EXPECT_EQ(after, (std::vector<int>{0, 1}));
    EXPECT_EQ(*LoadImageFile(frames() + "/000.bmp"), start);
    EXPECT_EQ(*LoadImageFile(frames() + "/001.bmp"), end);
}

// Frame k is written while k + 1 is made: afterFrame(k) comes once its file
// is complete, with the surface showing that very frame, in order, each
// after its own beforeFrame; pixels left uncovered keep the frame
// before.
TEST_P(MorphRunTest, EachFrameIsReportedOnceItsFileIsWritten) {
    source.lastFrame = 5;
    endGrid.Points(1, 1) = Point{20, 15};  // the corner moves in: pixels left uncovered
    std::vector<int> before, after;
    MorphProgress progress;
    progress.beforeFrame = [&](int k, int) { before.push_back(k); };
    progress.afterFrame = [&](int k) {
        ASSERT_LE(k + 1, static_cast<int>(before.size()));
        const auto file = LoadImageFile(frames() + "/" + FrameFileName(k, 0));
        ASSERT_TRUE(file);
        EXPECT_EQ(*file, surface.Layer().convertToFormat(QImage::Format_RGB32)) << "frame " << k;
        after.push_back(k);
    };
    ASSERT_EQ(RunMorph(source, surface, output, progress), "");
    EXPECT_EQ(after, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(before, after);
    EXPECT_EQ(*LoadImageFile(frames() + "/005.bmp"), surface.Layer());
    // The corner, covered only in the first frame, keeps its colour from
    // there on.
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(LoadImageFile(frames() + "/" + FrameFileName(k, 0))->pixel(1, 1), start.pixel(1, 1));
}

TEST_P(MorphRunTest, ZeroLastFrameFailsBeforeWritingAnything) {
    source.lastFrame = 0;
    EXPECT_NE(RunMorph(source, surface, output), "");
    EXPECT_TRUE(fs::is_empty(frames()));
}

TEST_P(MorphRunTest, EndImageOfAnotherSizeIsScaledForTheRun) {
    const QImage big = end.scaled(122, 74);
    source.end = &big;
    ASSERT_EQ(RunMorph(source, surface, output), "");
    const QImage last = *LoadImageFile(frames() + "/001.bmp");
    EXPECT_EQ(last.size(), start.size());
    EXPECT_EQ(big.width(), 122);  // the caller's image is untouched
}

TEST_P(MorphRunTest, JpegFramesGoThroughTheCompanionAndLeaveNoScratch) {
    output.saveKind = 1;
    source.lastFrame = 2;
    ASSERT_EQ(RunMorph(source, surface, output), "");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(frames()))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"000.jpg", "001.jpg", "002.jpg"}));
    EXPECT_FALSE(fs::exists(folder.File("Dumy.bmp")));
    EXPECT_EQ(LoadImageFile(frames() + "/002.jpg")->size(), start.size());
}

// A frame that cannot be written ends the run there: the frames before it
// stay, none after it is made, and no scratch bitmap is left behind.
TEST_P(MorphRunTest, CancelEndsTheRunBeforeTheNextFrame) {
    source.lastFrame = 4;
    std::vector<int> written;
    MorphProgress progress{{}, [&](int k) { written.push_back(k); },
                           [&] { return written.size() == 2; }};
    EXPECT_STREQ(RunMorph(source, surface, output, progress).c_str(), kMorphCancelled);
    EXPECT_EQ(written, (std::vector<int>{0, 1}));
    EXPECT_EQ(ListFrameFiles(frames()), (std::vector<std::string>{"000.bmp", "001.bmp"}));
}

TEST_P(MorphRunTest, AFrameThatCannotBeWrittenStopsTheRunAndKeepsTheEarlierOnes) {
    source.lastFrame = 3;
    fs::create_directory(frames() + "/001.bmp");  // a folder where frame 1 should go
    std::vector<int> written;
    MorphProgress progress{{}, [&](int k) { written.push_back(k); }, {}};
    EXPECT_NE(RunMorph(source, surface, output, progress), "");
    EXPECT_EQ(written, std::vector<int>{0});
    EXPECT_EQ(*LoadImageFile(frames() + "/000.bmp"), start);
    EXPECT_FALSE(fs::exists(frames() + "/002.bmp"));

    output.saveKind = 1;
    fs::create_directory(frames() + "/002.jpg");
    written.clear();
    EXPECT_NE(RunMorph(source, surface, output, progress), "");
    EXPECT_EQ(written, (std::vector<int>{0, 1}));
    EXPECT_TRUE(fs::is_regular_file(frames() + "/001.jpg"));
    EXPECT_FALSE(fs::exists(frames() + "/003.jpg"));
    EXPECT_FALSE(fs::exists(folder.File("Dumy.bmp")));
}

// A damaged project can hold points far off the picture; where the warp's
// 32-bit squared distances would overflow, the run fails before any frame
// instead of writing frames of garbage. Points a little off the picture
// still morph.
TEST_P(MorphRunTest, GridsReachingFarOffThePictureFailTheRun) {
    endGrid.Points(2, 2) = Point{50000, 10};
    EXPECT_NE(RunMorph(source, surface, output), "");
    EXPECT_TRUE(fs::is_empty(frames()));

    endGrid.Points(2, 2) = Point{-2147483647 - 1, 2147483647};
    EXPECT_NE(RunMorph(source, surface, output), "");
    EXPECT_TRUE(fs::is_empty(frames()));

    // Spans 40060 and 30000 across grid and picture: 40060² + 30000² > 2³¹ − 1.
    endGrid.Points(2, 2) = Point{-40000, 30000};
    EXPECT_NE(RunMorph(source, surface, output), "");
    EXPECT_TRUE(fs::is_empty(frames()));

    // Spans 30060 and 20000: the squares still fit, and the run goes through.
    endGrid.Points(2, 2) = Point{-30000, 20000};
    EXPECT_EQ(RunMorph(source, surface, output), "");
    EXPECT_EQ(*LoadImageFile(frames() + "/000.bmp"), start);
    EXPECT_TRUE(fs::exists(frames() + "/001.bmp"));
}

TEST_P(MorphRunTest, MissingCompanionOrUnwritableFolderFails) {
    output.saveKind = 1;
    output.companionFolder = folder.File("nowhere");
    EXPECT_NE(RunMorph(source, surface, output), "");
    EXPECT_TRUE(fs::is_empty(frames()));

    output.saveKind = 0;
    output.frameFolder = folder.File("missing") + "/";
    EXPECT_NE(RunMorph(source, surface, output), "");
    EXPECT_FALSE(fs::exists(folder.File("missing")));
}

INSTANTIATE_TEST_SUITE_P(BothWays, MorphRunTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "OneFrame" : "Overlapped");
                         });

}  // namespace
}  // namespace fennix
