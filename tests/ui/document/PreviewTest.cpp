#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QTest>
#include <cmath>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "model/Settings.h"
#include "ui/controls/Slider.h"
#include "ui/controls/ucScrollbar.h"
#include "engine/FramePreview.h"
#include "engine/MorphRun.h"
#include "engine/PreviewJob.h"
#include "media/ImageFile.h"
#include "ui/document/Fennix_Main.h"
#include "SampleDocument.h"
#include "support/RunWait.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

class PreviewTest : public testing::Test {
  protected:
    void SetUp() override {
        test::UseDocumentSettings(app.Path());
        ASSERT_TRUE(test::OpenSampleDocument(window));
        // A moved inner point: the frames are warped, not only blended.
        window.Document.Matrix(2).Points(3, 3).X += 17;
        window.Document.Matrix(2).Points(3, 3).Y -= 9;
    }
    void TearDown() override { Settings.PreviewShown = false; }

    bool Settled() { return QTest::qWaitFor([this] { return !window.PreviewBusy(); }, 20000); }

    // What a run writes for frame k of the document as it stands.
    QImage RunFrame(int k) {
        const MorphSource source{&window.Panes.Poriginal(1).Picture(),
                                 &window.Panes.Poriginal(2).Picture(), &window.Document.Matrix(1),
                                 &window.Document.Matrix(2), window.Document.LastFrame};
        return RenderMorphFrame(source, k, window.Panes.MorphT.BackColor());
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    Fennix_Main window;
};

TEST_F(PreviewTest, HiddenByDefaultTheWindowIsAsItWas) {
    EXPECT_FALSE(window.PreviewShown());
    EXPECT_FALSE(window.mnuPreview->isChecked());
    EXPECT_EQ(window.mnuPreview->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_FALSE(window.Preview.Visible());
    EXPECT_FALSE(window.PreviewSlider->isVisible());
    EXPECT_FALSE(window.HScroll1->isEnabled());  // 650 pixels fit in 1200

    window.mnuPreview->trigger();
    EXPECT_TRUE(window.Preview.Visible());
    EXPECT_TRUE(Settings.PreviewShown);  // remembered for the next windows
    EXPECT_EQ(window.Preview.Left(), 320 + 10 + 320 + 10);
    EXPECT_EQ(window.PreviewSlider->Value(), 4);  // the middle of frames 0 … 8
    window.mnuPreview->trigger();
    EXPECT_FALSE(window.Preview.Visible());
    EXPECT_FALSE(Settings.PreviewShown);
}

TEST_F(PreviewTest, ShowsExactlyTheFramesARunWrites) {
    window.mnuMorphIt_Click();
    ASSERT_TRUE(test::WaitForRun(window));
    const std::string folder = Settings.FrameFolder();
    window.mnuPreview_Click();
    ASSERT_TRUE(Settled());
    EXPECT_EQ(window.lblPreviewFrame->text(), "4 / 8");
    for (int k : {0, 4, 8}) {
        window.SetPreviewFrame(k);
        ASSERT_TRUE(Settled());
        const auto file = LoadImageFile(folder + FrameFileName(k, 0));
        ASSERT_TRUE(file);
        const QImage written = file->convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(window.PreviewFrame(), written) << k;
        EXPECT_EQ(window.Preview.Layer(), written) << k;  // at 100 %
    }
}

TEST_F(PreviewTest, ReleasingADraggedPointRemakesTheFrame) {
    window.mnuPreview_Click();
    ASSERT_TRUE(Settled());
    const QImage before = window.PreviewFrame();
    ASSERT_EQ(before, RunFrame(4));

    const Point p = window.Document.Matrix(1).Points(2, 2);
    window.P_MouseDown(1, Qt::LeftButton, p.X, p.Y);
    window.P_MouseMove(1, Qt::LeftButton, p.X + 12, p.Y + 8);
    window.P_MouseUp(1, Qt::LeftButton, p.X + 12, p.Y + 8);
    ASSERT_EQ(window.Document.Matrix(1).Points(2, 2), (Point{p.X + 12, p.Y + 8}));
    ASSERT_TRUE(Settled());
    EXPECT_NE(window.PreviewFrame(), before);
    EXPECT_EQ(window.PreviewFrame(), RunFrame(4));

    // Undo brings back the frame of before.
    window.Undo();
    ASSERT_TRUE(Settled());
    EXPECT_EQ(window.PreviewFrame(), before);
}

// A window may go while its preview frame is being made: the job's thread
// ends before the request it reads goes, and nothing it made arrives.
TEST(PreviewJobTest, GoesWithItsWindowWhileAFrameIsMade) {
    PreviewJob::Request request;
    request.morph.start = QImage(2000, 1500, QImage::Format_RGB32);
    request.morph.start.fill(Qt::red);
    request.morph.end = request.morph.start;
    for (MatrixRecord* m : {&request.morph.startMatrix, &request.morph.endMatrix}) {
        m->Width = 2000;
        m->Height = 1500;
        m->Rows = 4;
        m->Columns = 4;
        InitMatrix(*m);
    }
    request.morph.lastFrame = 10;
    request.k = 5;
    int delivered = 0;
    {
        QObject window;
        PreviewJob job(&window, [&](const QImage&, const PreviewJob::Request&) { ++delivered; });
        job.Ask(request);
        job.Ask(request);  // one waiting behind it
        EXPECT_TRUE(job.Busy());
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 0);
}

// A large picture shown small: the frame comes at the pane's size first,
// then exactly; a newer request between the two goes first and the exact
// frame of the old one is never made.
TEST(PreviewJobTest, ALargePictureShowsAtThePanesSizeFirstThenExactly) {
    const int w = 2400, h = 1800;
    for (auto [width, height, quick, pane, scale] :
         {std::tuple{w, h, false, 600, 0.25}, {w, h, false, 0, 1.0}, {w, h, false, w, 1.0},
          {1920, 1080, false, 600, 1.0}, {w, h, true, 600, std::sqrt(300000.0 / (w * h))}})
        EXPECT_DOUBLE_EQ(PreviewScale(width, height, quick, pane), scale) << width << " " << pane << " " << quick;

    PreviewJob::Request request;
    request.morph.start = QImage(w, h, QImage::Format_RGB32);
    request.morph.start.fill(Qt::darkCyan);
    request.morph.end = QImage(w, h, QImage::Format_RGB32);
    request.morph.end.fill(Qt::yellow);
    for (MatrixRecord* m : {&request.morph.startMatrix, &request.morph.endMatrix}) {
        m->Width = w;
        m->Height = h;
        m->Rows = m->Columns = 3;
        InitMatrix(*m);
    }
    request.morph.endMatrix.Points(2, 2).X += 90;
    request.morph.lastFrame = 8;
    request.k = 4;
    request.scale = PreviewScale(w, h, false, 600);
    request.refine = true;
    std::vector<QSize> sizes;
    QImage last;
    QObject window;
    PreviewJob job(&window, [&](const QImage& frame, const PreviewJob::Request&) {
        sizes.push_back(frame.size());
        last = frame;
    });
    job.Ask(request);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !job.Busy(); }, 20000));
    EXPECT_EQ(sizes, (std::vector<QSize>{{600, 450}, {w, h}}));
    EXPECT_EQ(last, RenderMorphFrame(request.morph.Source(), 4, 0));

    sizes.clear();
    job.Ask(request);
    PreviewJob::Request newer = request;
    newer.k = 2;
    newer.refine = false;
    job.Ask(newer);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !job.Busy(); }, 20000));
    EXPECT_EQ(sizes, (std::vector<QSize>{{600, 450}, {600, 450}}));
}

// A request that comes while the exact frame of the one before is made
// stops it: that frame is never shown, the newer one's frames are. Hidden
// while a frame is made, the preview gets no exact frame either.
TEST(PreviewJobTest, ANewerRequestStopsTheExactFrameBeingMade) {
    const int w = 2400, h = 1800;
    PreviewJob::Request request;
    request.morph.start = QImage(w, h, QImage::Format_RGB32);
    request.morph.start.fill(Qt::darkCyan);
    request.morph.end = QImage(w, h, QImage::Format_RGB32);
    request.morph.end.fill(Qt::yellow);
    for (MatrixRecord* m : {&request.morph.startMatrix, &request.morph.endMatrix}) {
        m->Width = w;
        m->Height = h;
        m->Rows = m->Columns = 3;
        InitMatrix(*m);
    }
    request.morph.endMatrix.Points(1, 1) = {300, 200};  // uncovered pixels: a long exact frame
    request.morph.lastFrame = 8;
    request.k = 6;
    request.scale = 0.25;
    request.refine = true;
    PreviewJob::Request newer = request;
    newer.k = 2;
    std::vector<std::pair<QSize, int>> shown;
    QImage last;
    bool askNewer = true;
    QObject window;
    std::optional<PreviewJob> job;
    job.emplace(&window, [&](const QImage& frame, const PreviewJob::Request& answered) {
        if (std::exchange(askNewer, false)) job->Ask(newer);  // right after the first reduced frame
        shown.emplace_back(frame.size(), answered.k);
        last = frame;
    });
    job->Ask(request);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !job->Busy(); }, 20000));
    EXPECT_EQ(shown, (std::vector<std::pair<QSize, int>>{{{600, 450}, 6}, {{600, 450}, 2}, {{w, h}, 2}}));
    EXPECT_EQ(last, RenderMorphFrame(newer.morph.Source(), 2, 0));

    shown.clear();
    newer.k = 3;
    job->Ask(newer);
    job->Forget();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !job->Busy(); }, 20000));
    EXPECT_EQ(shown, (std::vector<std::pair<QSize, int>>{{{600, 450}, 3}}));
}

TEST(FramePreview, UncoveredPixelsKeepWhatEarlierFramesLeft) {
    // A grid whose border points stand off the picture's border leaves
    // pixels uncovered: the frame must show what the run's surface holds.
    test::AppFolderScope app;
    test::TestFolder frames;
    const auto sun = LoadImageFile(test::SamplePath("sun.bmp"));
    const auto moon = LoadImageFile(test::SamplePath("moon.bmp"));
    MatrixRecord start, end;
    for (MatrixRecord* m : {&start, &end}) {
        m->Width = 320;
        m->Height = 240;
        m->Rows = 2;
        m->Columns = 2;
        InitMatrix(*m);
    }
    end.Points(1, 1) = {40, 30};     // the corner moves in over the frames
    end.Points(3, 3) = {280, 200};
    const MorphSource source{&*sun, &*moon, &start, &end, 4};
    // Made one frame at a time or with each frame written beside the next
    // one's warp, the same frames.
    for (const bool oneFrame : {false, true}) {
        PicturePane surface;
        surface.SetBackColor(0x123456);
        surface.SetSize(320, 240);
        FrameOutput output;
        output.frameFolder = frames.Path() + "/";
        if (oneFrame) output.oneFrameFrom = 0;
        ASSERT_EQ(RunMorph(source, surface, output), "");
        for (int k = 0; k <= 4; ++k) {
            const QImage written =
                LoadImageFile(frames.File(FrameFileName(k, 0)))->convertToFormat(QImage::Format_RGB32);
            EXPECT_EQ(RenderMorphFrame(source, k, 0x123456), written) << k << " one frame " << oneFrame;
        }
        EXPECT_EQ(surface.Layer(), RenderMorphFrame(source, 4, 0x123456));
    }
    EXPECT_TRUE(RenderMorphFrame(source, 5, 0).isNull());
    const QImage quick = RenderMorphFrameReduced(source, 2, 0, 0.5);
    EXPECT_EQ(quick.size(), QSize(160, 120));
}

}  // namespace
}  // namespace fennix
