#include <gtest/gtest.h>

#include <filesystem>

#include "cli/RunCli.h"
#include "media/FrameSequence.h"
#include "media/ImageFile.h"
#include "model/ProjectFile.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

using test::RunCli;

class ChainCommandTest : public testing::Test {
  protected:
    void SetUp() override {
        for (const auto& [name, from, to] : {std::tuple{"a.mph", "sun.bmp", "moon.bmp"},
                                             std::tuple{"b.mph", "moon.bmp", "sun.bmp"}})
            ASSERT_EQ(RunCli({"new", test::SamplePath(from), test::SamplePath(to), folder.File(name),
                              "--frames", "3"})
                          .status,
                      0);
    }
    QImage Frame(const std::string& out, int number) const {
        return *LoadImageFile(folder.File(out) + "/" + FrameFileName(number, 0));
    }

    test::TestFolder folder;
};

// Two projects joined on the moon picture, eased and held from the command
// line: the joint written once, the holds of both kept, the numbers going
// on across the joint.
TEST_F(ChainCommandTest, AnEasedHeldChainIsOneNumberedFolder) {
    const auto result = RunCli({"render", folder.File("a.mph"), folder.File("b.mph"), folder.File("out"),
                                "--ease", "in-out", "--colour-ease", "in", "--hold-start", "2",
                                "--hold-end", "1"});
    ASSERT_EQ(result.status, 0) << result.err;
    // a: 2 held + 3 + 1 held; b: 2 held + 3 − the joint + 1 held.
    ASSERT_EQ(ListFrameFiles(folder.File("out")).size(), 11u);
    const QImage sun = *LoadImageFile(test::SamplePath("sun.bmp"));
    const QImage moon = *LoadImageFile(test::SamplePath("moon.bmp"));
    for (const int m : {0, 1, 2, 10, 9}) EXPECT_EQ(Frame("out", m), sun) << m;
    for (const int m : {4, 5, 6, 7}) EXPECT_EQ(Frame("out", m), moon) << m;
    EXPECT_NE(Frame("out", 3), sun);
    EXPECT_NE(Frame("out", 8), moon);
}

// The project's own options apply unless the command line replaces them;
// bad values are usage errors of one line, before anything is written.
TEST_F(ChainCommandTest, ProjectOptionsApplyAndTheCommandLineWins) {
    MorphProject project;
    ASSERT_EQ(LoadMorphFile(folder.File("a.mph"), project), "");
    project.Additions.Run.HoldEnd = 4;
    project.Additions.Run.Motion = Easing::Out;
    ASSERT_EQ(SaveMorphFile(folder.File("a.mph"), project.Matrix1, project.Matrix2, project.Folder,
                            project.LastFrame, project.BackgroundColor, nullptr, project.Additions),
              "");
    ASSERT_EQ(RunCli({"render", folder.File("a.mph"), folder.File("own")}).status, 0);
    EXPECT_EQ(ListFrameFiles(folder.File("own")).size(), 7u);
    ASSERT_EQ(RunCli({"render", folder.File("a.mph"), folder.File("replaced"), "--hold-end", "0"}).status, 0);
    EXPECT_EQ(ListFrameFiles(folder.File("replaced")).size(), 3u);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--ease", "bounce"}, {"--colour-ease"}, {"--hold-start", "-1"},
          {"--hold-end", "100001"}, {"--hold-start", "1.5"}}) {
        std::vector<std::string> args = {"render", folder.File("a.mph"), folder.File("bad")};
        args.insert(args.end(), bad.begin(), bad.end());
        const auto result = RunCli(args);
        EXPECT_EQ(result.status, 2) << bad.front();  // a usage error
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_FALSE(std::filesystem::exists(folder.File("bad")));
    }
}

}  // namespace
}  // namespace fennix
