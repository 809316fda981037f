#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "cli/RunCli.h"
#include "engine/FramePreview.h"
#include "media/FrameSequence.h"
#include "model/FreeMesh.h"
#include "model/ProjectFile.h"
#include "support/TestFolder.h"
#include "support/WarpedPair.h"

namespace fennix {
namespace {

using test::RunCli;
using test::WriteFile;

class FreePointsCommandTest : public testing::Test {
  protected:
    FreePointsCommandTest() {
        for (int side = 0; side < 2; ++side) {
            QImage image(160, 120, QImage::Format_RGB32);
            image.fill(QColor(90, 140, 170));
            QPainter painter(&image);
            painter.setBrush(QColor(200, 40, 40));
            painter.drawEllipse(QPointF(side == 0 ? 40 : 120, 60), 12, 12);
            painter.end();
            EXPECT_TRUE(image.save(QString::fromStdString(Picture(side)), "BMP"));
        }
    }
    std::string Picture(int side) const { return folder.File(side == 0 ? "start.bmp" : "end.bmp"); }
    // A project of `cells` × `cells` cells with the pairs of `points`.
    test::CliResult New(const std::string& points, const char* cells = "2") {
        WriteFile(folder.File("points.txt"), points);
        return RunCli({"new", Picture(0), Picture(1), folder.File("p.mph"), "--rows", cells, "--cols",
                       cells, "--frames", "5", "--points", folder.File("points.txt")});
    }
    test::TestFolder folder;
};

// The pairs of the file go into the project; a render writes the frames the
// preview makes of it, pixel for pixel.
TEST_F(FreePointsCommandTest, PairsGoIntoTheProjectAndItsFrames) {
    // One cell: the disc's path crosses no grid point.
    const auto made = New("# the disc\n\n40 60 120 60\r\n  10 10   14 12  \n", "1");
    ASSERT_EQ(made.status, 0) << made.err;
    MorphProject project;
    ASSERT_EQ(LoadMorphFile(folder.File("p.mph"), project), "");
    EXPECT_EQ(project.Matrix1.FreePoints, (std::vector<Point>{{40, 60}, {10, 10}}));
    EXPECT_EQ(project.Matrix2.FreePoints, (std::vector<Point>{{120, 60}, {14, 12}}));

    const auto render = RunCli({"render", folder.File("p.mph"), folder.File("out")});
    ASSERT_EQ(render.status, 0) << render.err;
    const QImage start(QString::fromStdString(Picture(0))), end(QString::fromStdString(Picture(1)));
    const MorphSource source{&start, &end, &project.Matrix1, &project.Matrix2, project.LastFrame, {}};
    for (int k : {1, 2, 3}) {
        const QImage written(QString::fromStdString(folder.File("out/" + FrameFileName(k, 0))));
        const QImage made = RenderMorphFrame(source, k, project.BackgroundColor);
        ASSERT_FALSE(written.isNull());
        EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), made) << k;
    }
    // The disc stands whole halfway in the middle frame.
    const QImage middle(QString::fromStdString(folder.File("out/" + FrameFileName(2, 0))));
    EXPECT_EQ(middle.pixel(80, 60), qRgb(200, 40, 40));
}

TEST_F(FreePointsCommandTest, ABadLineIsNamed) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"1 2 3 4\n5 6 7\n", "points.txt, line 2: expected four numbers x1 y1 x2 y2"},
        {"1 2 3 4 5\n", "line 1: expected four numbers"},
        {"# x y\n1 2 a 4\n", "line 2: expected four numbers"},
        {"\n\n170 2 3 4\n", "line 3: the point lies outside the picture (0 ... 160, 0 ... 120)"},
        {"10 10 10 -1\n", "line 1: the point lies outside the picture"},
        {"80 60 80 60\n", "line 1: the start point lies on a grid point or on another pair's start point"},
        {"30 30 31 31\n30 30 40 40\n", "line 2: the start point lies on a grid point"},
        {"30 20 150 110\n", "line 1: the end point crosses the lines of the mesh around its start point"},
    };
    for (const auto& c : cases) {
        const auto made = New(c.text);
        EXPECT_EQ(made.status, 1) << c.text;
        EXPECT_NE(made.err.find(c.message), std::string::npos) << made.err;
    }
    const auto missing = RunCli({"new", Picture(0), Picture(1), folder.File("q.mph"), "--points",
                                 folder.File("none.txt")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot read the points file"), std::string::npos);
}

// The fit moves the free end points with the flow as it moves the grid.
TEST_F(FreePointsCommandTest, FitMovesTheFreeEndPoints) {
    const QImage photo = test::Photo("fruits.jpg", 320);
    ASSERT_FALSE(photo.isNull());
    ASSERT_TRUE(photo.save(QString::fromStdString(Picture(0)), "BMP"));
    test::WarpRecipe shifted;
    shifted.ShiftX = 9;
    ASSERT_TRUE(test::WarpedPicture(photo, shifted).save(QString::fromStdString(Picture(1)), "BMP"));
    WriteFile(folder.File("points.txt"), "100 80 100 80\n200 150 200 150\n");
    ASSERT_EQ(RunCli({"new", Picture(0), Picture(1), folder.File("p.mph"), "--points",
                      folder.File("points.txt")})
                  .status,
              0);
    const auto fit = RunCli({"fit", folder.File("p.mph")});
    ASSERT_EQ(fit.status, 0) << fit.err;
    MorphProject project;
    ASSERT_EQ(LoadMorphFile(folder.File("p.mph"), project), "");
    ASSERT_EQ(project.Matrix2.FreePoints.size(), 2u);
    EXPECT_EQ(project.Matrix1.FreePoints, (std::vector<Point>{{100, 80}, {200, 150}}));
    EXPECT_NE(project.Matrix2.FreePoints, project.Matrix1.FreePoints);
    EXPECT_TRUE(MeshUnfolded(project.Matrix1, project.Matrix2));
}

}  // namespace
}  // namespace fennix
