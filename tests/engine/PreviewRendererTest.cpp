#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "engine/FramePreview.h"
#include "media/ImageFile.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

MatrixRecord Grid(int width, int height) {
    MatrixRecord m;
    m.Width = width;
    m.Height = height;
    m.Rows = m.Columns = 3;
    InitMatrix(m);
    return m;
}

// Frames made one after another by one renderer, which keeps pictures and
// the last frame's picture between them, are the frames made alone; a frame
// still held when the next one is made stays as it was.
TEST(PreviewRenderer, FramesInARowAreTheFramesMadeAlone) {
    const auto sun = LoadImageFile(test::SamplePath("sun.bmp"));
    const auto moon = LoadImageFile(test::SamplePath("moon.bmp"));
    ASSERT_TRUE(sun && moon);
    const QImage start = sun->convertToFormat(QImage::Format_RGB32);
    const QImage end = moon->convertToFormat(QImage::Format_RGB32);
    const int w = start.width(), h = start.height();
    // Other pictures: an 8-bit one of the same size, and an end picture of
    // another size (scaled to the start picture's).
    const QImage grey = start.convertToFormat(QImage::Format_Grayscale8);
    const QImage smallEnd = end.scaled(w / 2, h / 2);

    MatrixRecord startGrid = Grid(w, h), endGrid = Grid(w, h);
    endGrid.Points(2, 2).X += 25;
    endGrid.Points(2, 2).Y -= 15;
    // Corners moving in: frames after 0 leave pixels uncovered.
    MatrixRecord inGrid = endGrid;
    inGrid.Points(1, 1) = {w / 8, h / 8};
    inGrid.Points(3, 3) = {w - w / 8, h - h / 8};

    struct Step {
        int k;
        int32_t backColor;
        bool smooth;
        const QImage* start;
        const QImage* end;
        const MatrixRecord* startGrid;
        const MatrixRecord* endGrid;
        double scale;
        bool hold;  // the frame is kept while the next ones are made
    };
    const std::vector<Step> steps{
        {4, 0x000000, false, &start, &end, &startGrid, &endGrid, 1, false},
        {2, 0x000000, false, &start, &end, &startGrid, &endGrid, 1, true},
        {6, 0x000000, false, &start, &end, &startGrid, &endGrid, 1, false},
        {4, 0x123456, false, &start, &end, &startGrid, &inGrid, 1, false},  // over a frame of other pixels
        {0, 0x654321, false, &start, &end, &startGrid, &inGrid, 1, false},
        {0, 0x654321, false, &start, &end, &inGrid, &endGrid, 1, false},  // frame 0 uncovered
        {8, 0x654321, false, &start, &end, &startGrid, &inGrid, 1, true},
        {4, 0x000000, false, &start, &end, &startGrid, &endGrid, 0.5, false},
        {4, 0x000000, true, &start, &end, &startGrid, &endGrid, 1, false},
        {3, 0x000000, true, &start, &end, &startGrid, &inGrid, 1, false},
        {3, 0x000000, true, &grey, &smallEnd, &startGrid, &endGrid, 1, false},
        {5, 0x000000, false, &grey, &smallEnd, &startGrid, &endGrid, 1, false},
        {5, 0x000000, false, &grey, &smallEnd, &startGrid, &endGrid, 0.25, false},
        {5, 0x000000, false, &start, &end, &startGrid, &endGrid, 1, false},
        {9, 0x000000, false, &start, &end, &startGrid, &endGrid, 1, false},  // past the last frame
    };
    PreviewRenderer renderer;
    std::vector<std::pair<QImage, QImage>> held;  // a frame and a deep copy of it
    for (size_t n = 0; n < steps.size(); ++n) {
        const Step& s = steps[n];
        MorphSource source{s.start, s.end, s.startGrid, s.endGrid, 8};
        source.options.Smooth = s.smooth;
        const QImage frame = renderer.Render(source, s.k, s.backColor, s.scale);
        const QImage alone = RenderMorphFrameReduced(source, s.k, s.backColor, s.scale);
        EXPECT_EQ(frame, alone) << "step " << n;
        if (s.scale == 1) {
            EXPECT_EQ(frame, RenderMorphFrame(source, s.k, s.backColor)) << "step " << n;
        }
        if (s.hold) held.emplace_back(frame, frame.copy());
        for (const auto& [kept, copy] : held) EXPECT_EQ(kept, copy) << "step " << n;
    }
}

// Stopped while it makes the frames an exact frame with uncovered pixels
// lies on: no frame, and the next frame is whole all the same.
TEST(PreviewRenderer, AStoppedFrameLeavesNothingBehind) {
    QImage start(120, 90, QImage::Format_RGB32), end(120, 90, QImage::Format_RGB32);
    start.fill(Qt::darkCyan);
    end.fill(Qt::yellow);
    MatrixRecord startGrid = Grid(120, 90), endGrid = Grid(120, 90);
    endGrid.Points(1, 1) = {20, 15};
    const MorphSource source{&start, &end, &startGrid, &endGrid, 8};
    PreviewRenderer renderer;
    int asked = 0;
    EXPECT_TRUE(renderer.Render(source, 6, 0x112233, 1, [&] { return ++asked > 2; }).isNull());
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(renderer.Render(source, 6, 0x112233), RenderMorphFrame(source, 6, 0x112233));
    // Whole frames (frame 0 here) never ask.
    EXPECT_EQ(renderer.Render(source, 0, 0x112233, 1, [] { return true; }),
              RenderMorphFrame(source, 0, 0x112233));
}

}  // namespace
}  // namespace fennix
