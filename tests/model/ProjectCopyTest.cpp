#include <gtest/gtest.h>

#include <filesystem>

#include "model/ProjectCopy.h"
#include "model/ProjectFile.h"
#include "support/TestFolder.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

MatrixRecord Grid(const std::string& image) {
    MatrixRecord m = test::Grid(40, 30, 2, 2);
    m.ImagePath = image;
    return m;
}

// The copy names the pictures beside it, never replaces a different file of
// the same name, and opens from wherever the folder is taken.
TEST(ProjectCopyTest, PicturesGoBesideTheProjectAndTravelWithIt) {
    test::TestFolder a, b, out, elsewhere;
    test::WriteFile(a.File("face.bmp"), "start");
    test::WriteFile(b.File("face.bmp"), "end");
    test::WriteFile(out.File("face.bmp"), "start");  // the same bytes: used as it is
    test::WriteFile(a.File("cat.bmp"), "cat");
    test::WriteFile(out.File("cat.bmp"), "another cat");  // other bytes: kept

    struct Case {
        std::string start, end;
        std::string copiedStart, copiedEnd;  // names in `out`
    } cases[] = {
        {a.File("face.bmp"), b.File("face.bmp"), "face.bmp", "face (2).bmp"},
        {a.File("cat.bmp"), a.File("cat.bmp"), "cat (2).bmp", "cat (2).bmp"},
    };
    for (const Case& c : cases) {
        const std::string project = out.File("p.mph");
        ASSERT_EQ(SaveProjectWithPictures(project, Grid(c.start), Grid(c.end), out.Path() + "/", 9,
                                          0x123456),
                  "");
        MorphProject read;
        ASSERT_EQ(LoadMorphFile(project, read), "");
        EXPECT_EQ(read.Matrix1.ImagePath, out.File(c.copiedStart));
        EXPECT_EQ(read.Matrix2.ImagePath, out.File(c.copiedEnd));
        EXPECT_EQ(test::ReadFile(read.Matrix1.ImagePath), test::ReadFile(c.start));
        EXPECT_EQ(test::ReadFile(read.Matrix2.ImagePath), test::ReadFile(c.end));
    }
    EXPECT_EQ(test::ReadFile(out.File("cat.bmp")), "another cat");
    EXPECT_FALSE(fs::exists(out.File("face (3).bmp")));

    // The folder moved as a whole: the pictures are found beside the project.
    fs::rename(out.Path(), elsewhere.File("moved"));
    MorphProject moved;
    ASSERT_EQ(LoadMorphFile(elsewhere.File("moved/p.mph"), moved), "");
    EXPECT_EQ(moved.Matrix1.ImagePath, elsewhere.File("moved/cat (2).bmp"));

    // A picture that has gone: said, and no project written.
    EXPECT_EQ(SaveProjectWithPictures(b.File("q.mph"), Grid(a.File("none.bmp")),
                                      Grid(a.File("cat.bmp")), "", 1, 0),
              a.File("none.bmp") + "をコピーできませんでした。");
    EXPECT_FALSE(fs::exists(b.File("q.mph")));
}

}  // namespace
}  // namespace fennix
