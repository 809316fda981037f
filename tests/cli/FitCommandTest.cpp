#include <gtest/gtest.h>

#include "cli/RunCli.h"
#include "model/ProjectFile.h"
#include "model/UnfoldedMove.h"
#include "support/TestFolder.h"
#include "support/WarpedPair.h"

namespace fennix {
namespace {

using test::RunCli;

class FitCommandTest : public testing::Test {
  protected:
    test::TestFolder folder;
    std::string project() const { return folder.File("p.mph"); }
    // A project of a photo and a warped copy of it, regular grids.
    void MakeProject() {
        const QImage start = test::Photo("fruits.jpg", 320);
        ASSERT_FALSE(start.isNull());
        ASSERT_TRUE(start.save(QString::fromStdString(folder.File("start.bmp")), "BMP"));
        ASSERT_TRUE(test::WarpedPicture(start, test::WarpRecipe{})
                        .save(QString::fromStdString(folder.File("end.bmp")), "BMP"));
        ASSERT_EQ(RunCli({"new", folder.File("start.bmp"), folder.File("end.bmp"), project(),
                          "--rows", "6", "--cols", "5"})
                      .status,
                  0);
    }
};

TEST_F(FitCommandTest, WritesTheFittedGridAndLeavesTheInputAlone) {
    MakeProject();
    MorphProject before;
    ASSERT_EQ(LoadMorphFile(project(), before), "");
    const auto fit = RunCli({"fit", project(), "--output", folder.File("fitted.mph")});
    ASSERT_EQ(fit.status, 0) << fit.err;
    EXPECT_NE(fit.out.find("points from the flow"), std::string::npos) << fit.out;
    MorphProject after, unchanged;
    ASSERT_EQ(LoadMorphFile(folder.File("fitted.mph"), after), "");
    ASSERT_EQ(LoadMorphFile(project(), unchanged), "");
    EXPECT_EQ(unchanged, before);
    // The start grid gains only the pairs added for detail, which the
    // project marks.
    MatrixRecord startGrid = after.Matrix1;
    startGrid.FreePoints = before.Matrix1.FreePoints;
    EXPECT_EQ(startGrid, before.Matrix1);
    ASSERT_EQ(after.Matrix1.FreePoints.size(), after.Additions.DetailPairs.size());
    for (size_t k = 0; k < after.Additions.DetailPairs.size(); ++k)
        EXPECT_EQ(after.Matrix1.FreePoints[k], after.Additions.DetailPairs[k].Start);
    EXPECT_NE(after.Matrix2.Points, before.Matrix2.Points);
    EXPECT_TRUE(GridUnfolded(after.Matrix2));
    EXPECT_EQ(after.LastFrame, before.LastFrame);

    // Without --output the project itself is rewritten; reference pairs
    // are taken.
    ASSERT_EQ(
        RunCli({"fit", project(), "--ref", "100,100,100,100", "--ref", "200,150,200,150"}).status,
        0);
    ASSERT_EQ(LoadMorphFile(project(), after), "");
    EXPECT_NE(after.Matrix2.Points, before.Matrix2.Points);
}

TEST_F(FitCommandTest, ClearMessagesForWhatCannotBeFitted) {
    MakeProject();
    const struct {
        std::vector<std::string> args;
        int status;  // 2 for a usage error, 1 for a failure
        const char* message;
    } cases[] = {
        {{"fit"}, 2, "fit needs PROJECT.mph"},
        {{"fit", folder.File("none.mph")}, 1, "cannot open the project"},
        {{"fit", project(), "--output"}, 2, "--output needs a value"},
        {{"fit", project(), "--ref", "1,2,3"}, 2, "--ref needs four numbers"},
        {{"fit", project(), "--ref", "1,2,3,4"}, 2, "--ref is given two or three times"},
        {{"fit", project(), "--ref", "5,5,1,1", "--ref", "5,5,9,9"}, 1, "define no alignment"},
        {{"fit", project(), "--rows", "3"}, 2, "unknown option --rows"},
        {{"fit", project(), "--output", folder.Path()}, 1, "cannot write the project"},
    };
    for (const auto& c : cases) {
        const auto result = RunCli(c.args);
        EXPECT_EQ(result.status, c.status) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_NE(RunCli({"fit", "--help"}).out.find("usage: fennix-morph fit"), std::string::npos);
}

}  // namespace
}  // namespace fennix
