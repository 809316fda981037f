#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cmath>
#include <filesystem>

#include "EngineTestData.h"
#include "engine/FramePreview.h"
#include "engine/MorphChain.h"
#include "engine/MorphRun.h"
#include "media/FrameSequence.h"
#include "media/ImageFile.h"
#include "model/ProjectFile.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

QImage Flat(int grey, int w = 16, int h = 12) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(grey, grey, grey));
    return image;
}

QImage Pattern(int w, int h, int shift) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb((x * 9 + shift) % 256, (y * 7) % 256, shift));
    return image;
}

class RunTimingTest : public testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory(frames());
        output.frameFolder = frames() + "/";
        output.tempFolder = folder.Path();
        output.companionFolder = QCoreApplication::applicationDirPath().toStdString();
    }
    std::string frames() const { return folder.File("frames"); }
    QImage Frame(int number) const { return *LoadImageFile(frames() + "/" + FrameFileName(number, 0)); }

    std::string Run(const QImage& start, const QImage& end, const MatrixRecord& startGrid,
                    const MatrixRecord& endGrid, int lastFrame, const RunOptions& options) {
        PicturePane surface;
        surface.SetBackColor(0x808080);
        surface.SetSize(start.width(), start.height());
        const MorphSource source{&start, &end, &startGrid, &endGrid, lastFrame, options};
        return RunMorph(source, surface, output, {});
    }

    test::TestFolder folder;
    FrameOutput output;
};

// Black to white over 5 frames, eased in and out, held 2 frames at the
// start and 3 at the end: 10 files, the held ones copies of the ends, the
// greys between them following 3t² − 2t³.
TEST_F(RunTimingTest, EasedAndHeldRunFollowsTheCurveBetweenHeldEnds) {
    const QImage black = Flat(0), white = Flat(255);
    const MatrixRecord grid = test::Grid(16, 12, 2, 2);
    RunOptions options;
    options.HoldStart = 2;
    options.HoldEnd = 3;
    options.Motion = Easing::InOut;
    ASSERT_EQ(Run(black, white, grid, grid, 4, options), "");
    ASSERT_EQ(ListFrameFiles(frames()).size(), 10u);
    const double t[10] = {0, 0, 0, 0.25, 0.5, 0.75, 1, 1, 1, 1};
    for (int m = 0; m < 10; ++m) {
        const QImage frame = Frame(m);
        const double expected = 255 * (3 * t[m] * t[m] - 2 * t[m] * t[m] * t[m]);
        EXPECT_NEAR(qRed(frame.pixel(5, 5)), expected, 0.5) << "frame " << m;
        EXPECT_EQ(frame.pixel(0, 0), frame.pixel(15, 11)) << "frame " << m;
    }
    EXPECT_EQ(Frame(0), Frame(2));
    EXPECT_EQ(Frame(6), Frame(9));
    EXPECT_EQ(qRed(Frame(3).pixel(5, 5)), 40);  // 255 · 0.15625, not the linear 64
}

// The curves, and a separate one for the dissolve: with the shapes
// standing still, the dissolve's curve alone sets the colours.
TEST_F(RunTimingTest, EachCurveGivesItsFractionAndTheDissolveCanHaveItsOwn) {
    struct Case {
        Easing motion;
        std::optional<Easing> dissolve;
        double grey;  // at k = 1 of 4
    };
    const Case cases[] = {{Easing::Linear, {}, 0.25},
                          {Easing::In, {}, 0.0625},
                          {Easing::Out, {}, 0.4375},
                          {Easing::InOut, {}, 0.15625},
                          {Easing::InOut, Easing::Linear, 0.25},
                          {Easing::Linear, Easing::Out, 0.4375}};
    const QImage black = Flat(0), white = Flat(255);
    const MatrixRecord grid = test::Grid(16, 12, 2, 2);
    for (const Case& c : cases) {
        RunOptions options;
        options.Motion = c.motion;
        options.Dissolve = c.dissolve;
        const FrameFractions f = FractionsOf(options, 1, 4);
        EXPECT_FLOAT_EQ(f.mesh, static_cast<float>(Eased(c.motion, 0.25)));
        const MorphSource source{&black, &white, &grid, &grid, 4, options};
        const QImage frame = RenderMorphFrame(source, 1, 0);
        EXPECT_NEAR(qRed(frame.pixel(7, 7)), 255 * c.grey, 0.5) << EasingName(c.motion);
        for (const double t : {0.0, 1.0}) EXPECT_EQ(Eased(c.motion, t), t);
    }
}

// The plain run is unchanged bit for bit: with the default options, or
// linear curves set explicitly, every frame is the one made from k / N as
// before (mesh and dissolve), uncovered pixels keeping the frame before.
TEST_F(RunTimingTest, LinearWithoutHoldsIsThePlainRunBitForBit) {
    const QImage start = Pattern(53, 41, 10), end = Pattern(53, 41, 220);
    const MatrixRecord startGrid = test::JitteredGrid(53, 41, 4, 3, 7);
    MatrixRecord endGrid = test::JitteredGrid(53, 41, 4, 3, 99);
    endGrid.Points(1, 1) = {9, 8};  // leaves pixels uncovered
    RunOptions explicitLinear;
    explicitLinear.Dissolve = Easing::Linear;
    for (const int N : {1, 6, 29}) {
        for (const RunOptions& options : {RunOptions{}, explicitLinear}) {
            fs::remove_all(frames());
            fs::create_directory(frames());
            ASSERT_EQ(Run(start, end, startGrid, endGrid, N, options), "");
            ASSERT_EQ(ListFrameFiles(frames()).size(), static_cast<size_t>(N + 1));
            const TriangleList startList = BuildTriangles(startGrid), endList = BuildTriangles(endGrid);
            QImage expected(start.size(), QImage::Format_RGB32);
            expected.fill(QColor(0x80, 0x80, 0x80));
            IndexMap map;
            for (int k = 0; k <= N; ++k) {
                const TriangleList mesh = InterpolateTriangles(startList, endList, k, N);
                PaintIndexMap(map, start.width(), start.height(), mesh);
                const QImage previous = expected.copy();
                WarpFrameBits(start.constBits(), startList, end.constBits(), endList, expected.bits(), map,
                              mesh, static_cast<float>(static_cast<double>(k) / N), 0, previous.constBits());
                ASSERT_EQ(Frame(k), expected) << "N " << N << " frame " << k;
            }
        }
    }
}

// Two projects into one folder: where the second starts on the picture the
// first ended on (the same file, or a copy with the same pixels) that frame
// is written once and the numbers go on; otherwise both are written.
TEST_F(RunTimingTest, ChainWritesASharedJointOnceAndNumbersOn) {
    const QImage black = Flat(0), white = Flat(255), grey = Flat(100);
    const std::vector<std::pair<std::string, QImage>> pictures = {
        {"black.bmp", black}, {"white.bmp", white}, {"white-copy.bmp", white}, {"grey.bmp", grey}};
    for (const auto& [name, image] : pictures) ASSERT_TRUE(SaveBitmapFile(image, folder.File(name)));
    auto project = [&](const char* from, const char* to, int lastFrame, RunOptions run = {}) {
        ChainProject link;
        link.path = folder.File(std::string(from) + "-" + to + ".mph");
        link.project.LastFrame = lastFrame;
        link.project.BackgroundColor = 0x808080;
        link.project.Matrix1 = test::Grid(16, 12, 2, 2);
        link.project.Matrix2 = link.project.Matrix1;
        link.project.Matrix1.ImagePath = folder.File(from);
        link.project.Matrix2.ImagePath = folder.File(to);
        link.project.Additions.Run = run;
        return link;
    };
    RunOptions held;
    held.HoldEnd = 1;
    struct Case {
        std::vector<ChainProject> projects;
        std::vector<int> greys;  // of every file written, in number order
    };
    const std::vector<Case> cases = {
        {{project("black.bmp", "white.bmp", 2), project("white.bmp", "grey.bmp", 2)},
         {0, 128, 255, 178, 100}},
        {{project("black.bmp", "white.bmp", 2), project("white-copy.bmp", "grey.bmp", 2)},
         {0, 128, 255, 178, 100}},
        {{project("black.bmp", "white.bmp", 2, held), project("white.bmp", "grey.bmp", 2)},
         {0, 128, 255, 255, 178, 100}},
        {{project("black.bmp", "white.bmp", 2), project("grey.bmp", "black.bmp", 1)},
         {0, 128, 255, 100, 0}},
        {{project("black.bmp", "white.bmp", 1), project("white.bmp", "black.bmp", 1),
          project("black.bmp", "grey.bmp", 1)},
         {0, 255, 0, 100}},
    };
    for (size_t n = 0; n < cases.size(); ++n) {
        fs::remove_all(frames());
        fs::create_directory(frames());
        int started = 0;
        const ChainOutcome outcome = RunMorphChain(cases[n].projects, {}, output, {},
                                                   [&](int, int) { ++started; });
        ASSERT_EQ(outcome.failure, "") << "case " << n;
        EXPECT_EQ(started, static_cast<int>(cases[n].projects.size()));
        const std::vector<int>& greys = cases[n].greys;
        EXPECT_EQ(outcome.written, static_cast<int64_t>(greys.size()));
        ASSERT_EQ(ListFrameFiles(frames()).size(), greys.size()) << "case " << n;
        for (size_t m = 0; m < greys.size(); ++m)
            EXPECT_NEAR(qRed(Frame(static_cast<int>(m)).pixel(3, 3)), greys[m], 1) << "case " << n << " frame " << m;
    }

    // Options given for the whole chain replace each project's own; a
    // picture that cannot be read stops the chain at its project.
    fs::remove_all(frames());
    fs::create_directory(frames());
    RunOverrides overrides;
    overrides.HoldStart = 1;
    std::vector<ChainProject> broken = {project("black.bmp", "white.bmp", 1, held),
                                        project("white.bmp", "missing.bmp", 1)};
    const ChainOutcome outcome = RunMorphChain(broken, overrides, output);
    EXPECT_EQ(outcome.project, 1);
    EXPECT_EQ(outcome.image, folder.File("missing.bmp"));
    EXPECT_EQ(outcome.written, 4);  // 1 + 2 + 1 held

    // Pictures read already are used as they are, not read again (here
    // their files are gone); the joint still compares by pixels.
    fs::remove_all(frames());
    fs::create_directory(frames());
    std::vector<ChainProject> given = {project("gone-a.bmp", "gone-b.bmp", 2),
                                       project("white-copy.bmp", "grey.bmp", 2)};
    given[0].start = black;
    given[0].end = white;
    const ChainOutcome handed = RunMorphChain(given, {}, output);
    ASSERT_EQ(handed.failure, "");
    ASSERT_EQ(ListFrameFiles(frames()).size(), 5u);
    const int greys[] = {0, 128, 255, 178, 100};
    for (int m = 0; m < 5; ++m) EXPECT_NEAR(qRed(Frame(m).pixel(3, 3)), greys[m], 1) << m;
}

}  // namespace
}  // namespace fennix
