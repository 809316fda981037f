#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <filesystem>

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

// Three pairs that move a patch of the start picture bodily; the first
// alone would fold the mesh.
constexpr const char* kPatch = "22 40 47 61\n36 47 61 68\n36 44 61 65\n";

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
    // A project of `cells` × `cells` cells with the pairs of `points`,
    // replacing the one an earlier call wrote.
    test::CliResult New(const std::string& points, const char* cells = "2") {
        WriteFile(folder.File("points.txt"), points);
        return RunCli({"new", Picture(0), Picture(1), folder.File("p.mph"), "--rows", cells,
                       "--cols", cells, "--frames", "5", "--points", folder.File("points.txt"),
                       "--force"});
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
    const MorphSource source{&start, &end, &project.Matrix1, &project.Matrix2, project.LastFrame,
                             {}};
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
        {"80 60 80 60\n",
         "line 1: the start point lies on a grid point or on another pair's start point"},
        {"30 30 31 31\n30 30 40 40\n", "line 2: the start point lies on a grid point"},
        {"30 20 150 110\n",
         "line 1: the end point crosses the lines of the mesh around its start point"},
    };
    for (const auto& c : cases) {
        const auto made = New(c.text);
        EXPECT_EQ(made.status, 1) << c.text;
        EXPECT_NE(made.err.find(c.message), std::string::npos) << made.err;
    }
    const auto missing = RunCli(
        {"new", Picture(0), Picture(1), folder.File("q.mph"), "--points", folder.File("none.txt")});
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
    ASSERT_TRUE(
        test::WarpedPicture(photo, shifted).save(QString::fromStdString(Picture(1)), "BMP"));
    WriteFile(folder.File("points.txt"), "100 80 100 80\n200 150 200 150\n");
    ASSERT_EQ(RunCli({"new", Picture(0), Picture(1), folder.File("p.mph"), "--points",
                      folder.File("points.txt")})
                  .status,
              0);
    const auto fit = RunCli({"fit", folder.File("p.mph")});
    ASSERT_EQ(fit.status, 0) << fit.err;
    MorphProject project;
    ASSERT_EQ(LoadMorphFile(folder.File("p.mph"), project), "");
    // The user's pairs stay first; behind them only the pairs the fit
    // added where the grid, its border pinned, cannot follow the shift.
    ASSERT_EQ(project.Matrix2.FreePoints.size(), 2 + project.Additions.DetailPairs.size());
    ASSERT_EQ(project.Matrix1.FreePoints.size(), project.Matrix2.FreePoints.size());
    EXPECT_EQ(project.Matrix1.FreePoints[0], (Point{100, 80}));
    EXPECT_EQ(project.Matrix1.FreePoints[1], (Point{200, 150}));
    EXPECT_NE(project.Matrix2.FreePoints[0], project.Matrix1.FreePoints[0]);
    EXPECT_NE(project.Matrix2.FreePoints[1], project.Matrix1.FreePoints[1]);
    EXPECT_TRUE(MeshUnfolded(project.Matrix1, project.Matrix2));
}

// `new` never writes its project over the points file it reads (under
// that name, through a link or as a hard link), nor over a picture: exit 1,
// the file as it was, nothing written.
TEST_F(FreePointsCommandTest, NewNeverWritesOverThePointsFile) {
    namespace fs = std::filesystem;
    const std::string points = "30 20 31 21\n";
    WriteFile(folder.File("points.txt"), points);
    fs::create_symlink("points.txt", folder.File("link.mph"));
    fs::create_hard_link(folder.File("points.txt"), folder.File("hard.mph"));
    fs::create_symlink("start.bmp", folder.File("picture.mph"));
    const std::string picture = test::ReadFile(Picture(0));
    struct Case {
        const char* project;
        std::string what;
    };
    const Case cases[] = {{"points.txt", "the points file " + folder.File("points.txt")},
                          {"link.mph", "the points file"},
                          {"hard.mph", "the points file"},
                          {"picture.mph", "the start picture " + Picture(0)}};
    for (const Case& c : cases) {
        const auto made = RunCli({"new", Picture(0), Picture(1), folder.File(c.project), "--points",
                                  folder.File("points.txt")});
        EXPECT_EQ(made.status, 1) << c.project;
        EXPECT_NE(made.err.find("cannot write the project " + folder.File(c.project) + ": it is " +
                                c.what),
                  std::string::npos)
            << made.err;
        EXPECT_EQ(test::ReadFile(folder.File("points.txt")), points) << c.project;
        EXPECT_EQ(test::ReadFile(Picture(0)), picture) << c.project;
    }
    EXPECT_TRUE(fs::is_symlink(folder.File("link.mph")));
    EXPECT_TRUE(fs::is_symlink(folder.File("picture.mph")));
    EXPECT_EQ(fs::hard_link_count(folder.File("points.txt")), 2u);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.Path()))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"end.bmp", "hard.mph", "link.mph", "picture.mph",
                                               "points.txt", "start.bmp"}));
}

// A project holding pairs the window and `new --points` refuse (written by
// hand here) is damage: render refuses it instead of writing torn frames.
TEST_F(FreePointsCommandTest, RenderRefusesPairsTheCheckRefuses) {
    ASSERT_EQ(New("30 20 31 21\n").status, 0);
    const std::string project = test::ReadFile(folder.File("p.mph"));
    const std::string pair = "30 20 31 21\r\n";
    ASSERT_NE(project.find(pair), std::string::npos);
    struct Case {
        const char* pairs;
        int count;
        const char* why;
    };
    const Case cases[] = {
        {"0 0 1 1\r\n", 1, "始点が格子点の上にあります"},
        {"80 60 80 60\r\n", 1, "始点が格子点の上にあります"},
        {"30 20 31 21\r\n30 20 40 40\r\n", 2, "始点が"},
        {"30 20 150 110\r\n", 1, "終点がメッシュを折り返させます"},
    };
    for (const Case& c : cases) {
        std::string damaged = project;
        damaged.replace(damaged.find(pair), pair.size(), c.pairs);
        damaged.replace(damaged.find("count=1"), 7, "count=" + std::to_string(c.count));
        WriteFile(folder.File("bad.mph"), damaged);
        const auto render = RunCli({"render", folder.File("bad.mph"), folder.File("frames")});
        EXPECT_EQ(render.status, 1) << c.pairs;
        EXPECT_NE(render.err.find("追加情報が壊れています"), std::string::npos) << render.err;
        EXPECT_NE(render.err.find(c.why), std::string::npos) << render.err;
        EXPECT_FALSE(std::filesystem::exists(folder.File("frames/000.bmp")));
    }
}

// The whole set is checked once: pairs that move a patch bodily pass,
// though the first of them alone would fold the mesh; and many pairs are
// read in one build of the mesh.
TEST_F(FreePointsCommandTest, TheWholeSetIsCheckedOnce) {
    const auto made = New(kPatch);
    ASSERT_EQ(made.status, 0) << made.err;
    MorphProject project;
    ASSERT_EQ(LoadMorphFile(folder.File("p.mph"), project), "");
    EXPECT_EQ(project.Matrix1.FreePoints.size(), 3u);
    // Its first line alone folds, and is named.
    const std::string patch = kPatch;
    const auto first = New(patch.substr(0, patch.find('\n') + 1));
    EXPECT_EQ(first.status, 1);
    EXPECT_NE(first.err.find("line 1: the end point crosses the lines of the mesh"),
              std::string::npos)
        << first.err;

    std::string many;
    for (int n = 0; n < 3000; ++n)
        many += std::to_string(1 + n % 150) + " " + std::to_string(1 + n / 150 * 5) + " " +
                std::to_string(1 + n % 150) + " " + std::to_string(1 + n / 150 * 5) + "\n";
    const auto large = New(many, "3");
    ASSERT_EQ(large.status, 0) << large.err;
    ASSERT_EQ(LoadMorphFile(folder.File("p.mph"), project), "");
    EXPECT_EQ(project.Matrix1.FreePoints.size(), 3000u);
}

}  // namespace
}  // namespace fennix
