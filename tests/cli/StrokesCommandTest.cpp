#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "cli/RunCli.h"
#include "media/FrameSequence.h"
#include "model/FreeMesh.h"
#include "model/FreePairCheck.h"
#include "model/ProjectFile.h"
#include "support/TestFolder.h"
#include "support/WarpedPair.h"

namespace fennix {
namespace {

using test::RunCli;
using test::WriteFile;

// A circle of radius 70 around (120, 120), or the blob of three soft lobes
// squeezed a little and moved right that it becomes.
std::vector<QPointF> Outline(bool blob) {
    std::vector<QPointF> curve;
    for (int k = 0; k < 360; ++k) {
        const double a = k * M_PI / 180, r = blob ? 62 + 12 * std::cos(3 * a) : 70;
        curve.emplace_back(120 + r * std::cos(a) + (blob ? 8 : 0), 120 + r * std::sin(a) * (blob ? 0.85 : 1));
    }
    return curve;
}

class StrokesCommandTest : public testing::Test {
  protected:
    StrokesCommandTest() {
        for (int side = 0; side < 2; ++side) {
            QImage image(240, 240, QImage::Format_RGB32);
            image.fill(Qt::black);
            QPainter painter(&image);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::white);
            QPolygonF polygon;
            for (const QPointF& p : Outline(side == 1)) polygon << p;
            painter.drawPolygon(polygon);
            painter.end();
            EXPECT_TRUE(image.save(QString::fromStdString(Picture(side)), "BMP"));
        }
        std::ostringstream text;
        text << "# the outline\nstroke closed\n";
        for (const QPointF& p : Outline(false)) text << p.x() << ' ' << p.y() << '\n';
        text << "to\n";
        for (const QPointF& p : Outline(true)) text << p.x() << ' ' << p.y() << '\n';
        outline = text.str();
    }
    std::string Picture(int side) const { return folder.File(side == 0 ? "start.bmp" : "end.bmp"); }
    test::CliResult New(const std::string& strokes, const char* cells = "2") {
        WriteFile(folder.File("strokes.txt"), strokes);
        return RunCli({"new", Picture(0), Picture(1), folder.File("p.mph"), "--rows", cells, "--cols", cells,
                       "--frames", "11", "--strokes", folder.File("strokes.txt"), "--force"});
    }
    test::TestFolder folder;
    std::string outline;
};

// The stroke of the file goes into the project, and the middle frame of its
// render shows the two outlines on each other: where the warped disc and
// the warped blob overlap the frame is white, where only one lies it is
// grey.
TEST_F(StrokesCommandTest, AStrokeBringsTheOutlinesTogetherInTheMiddleFrame) {
    const auto made = New(outline);
    ASSERT_EQ(made.status, 0) << made.err;
    MorphProject project;
    ASSERT_EQ(LoadMorphFile(folder.File("p.mph"), project), "");
    ASSERT_EQ(project.Matrix1.Strokes.size(), 1u);
    EXPECT_TRUE(project.Matrix1.Strokes[0].Closed);
    EXPECT_EQ(project.Matrix1.Strokes[0].Curve.size(), 360u);
    EXPECT_GE(project.Matrix1.Strokes[0].Points.size(), 30u);
    EXPECT_TRUE(CheckFreePairs(project.Matrix1, project.Matrix2).Passed());
    const auto render = RunCli({"render", folder.File("p.mph"), folder.File("frames"), "--standard"});
    ASSERT_EQ(render.status, 0) << render.err;
    const QImage middle(QString::fromStdString(folder.File("frames/005.bmp")));
    ASSERT_FALSE(middle.isNull());
    int both = 0, either = 0;
    for (int y = 0; y < middle.height(); ++y)
        for (int x = 0; x < middle.width(); ++x) {
            const int v = qRed(middle.pixel(x, y));
            both += v >= 192;
            either += v >= 64;
        }
    const double overlap = static_cast<double>(both) / either;
    std::cout << "middle-frame overlap through new --strokes: " << overlap << "\n";
    EXPECT_GE(overlap, 0.97);
}

// A bad line, a stroke leaving its picture, one too short and two that
// cross are refused naming the line; no project is written.
TEST_F(StrokesCommandTest, BadStrokesAreNamedByTheirLine) {
    struct Case {
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"stroke\n10 10\nto\n20 x\n", "strokes.txt, line 4: expected two numbers x y or a line to"},
        {"\nstroke\n10 10\n20 20\n", "strokes.txt, line 4: the stroke has no line to"},
        {"stroke bent\n", "strokes.txt, line 1: expected a line stroke or stroke closed"},
        {"stroke\n10 10\n300 10\nto\n10 10\n20 10\n", "strokes.txt, line 1: the start curve leaves the start picture"},
        {"stroke\n10 10\nto\n20 10\n", "strokes.txt, line 1: the stroke is too short"},
        {"stroke\n30 100\n210 100\nto\n30 100\n210 100\nstroke\n110 30\n110 210\nto\n110 30\n110 210\n",
         "strokes.txt, line 7: the stroke cannot be made lines of the mesh"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(folder.File("p.mph"));
        const auto made = New(c.text);
        EXPECT_EQ(made.status, 1) << c.text;
        EXPECT_NE(made.err.find(c.message), std::string::npos) << made.err;
        EXPECT_FALSE(std::filesystem::exists(folder.File("p.mph")));
    }
}

// The fit leaves the strokes where they were drawn, on both pictures, and
// the mesh with them unfolded.
TEST_F(StrokesCommandTest, FitLeavesTheStrokes) {
    const QImage photo = test::Photo("fruits.jpg", 320);
    ASSERT_FALSE(photo.isNull());
    ASSERT_TRUE(photo.save(QString::fromStdString(Picture(0)), "BMP"));
    test::WarpRecipe shifted;
    shifted.ShiftX = 9;
    ASSERT_TRUE(test::WarpedPicture(photo, shifted).save(QString::fromStdString(Picture(1)), "BMP"));
    const auto made = New("stroke\n60 60\n150 90\n200 70\nto\n65 62\n160 95\n205 72\n", "6");
    ASSERT_EQ(made.status, 0) << made.err;
    MorphProject before;
    ASSERT_EQ(LoadMorphFile(folder.File("p.mph"), before), "");
    const auto fit = RunCli({"fit", folder.File("p.mph")});
    ASSERT_EQ(fit.status, 0) << fit.err;
    MorphProject after;
    ASSERT_EQ(LoadMorphFile(folder.File("p.mph"), after), "");
    EXPECT_EQ(after.Matrix1.Strokes, before.Matrix1.Strokes);
    EXPECT_EQ(after.Matrix2.Strokes, before.Matrix2.Strokes);
    EXPECT_NE(after.Matrix2.Points, before.Matrix2.Points);
    EXPECT_TRUE(CheckFreePairs(after.Matrix1, after.Matrix2).Passed());
}

}  // namespace
}  // namespace fennix
