#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "cli/RunCli.h"
#include "media/ImageFile.h"
#include "model/ProjectFile.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

using Result = test::CliResult;
using test::RunCli;

size_t CountFiles(const std::string& folder) {
    if (!fs::is_directory(folder)) return 0;
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class CliTest : public testing::Test {
  protected:
    test::TestFolder folder;
    std::string project() const { return folder.File("face.mph"); }
    Result MakeProject(const std::string& frames) {
        return RunCli({"new", test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp"), project(),
                       "--rows", "4", "--cols", "3", "--frames", frames});
    }
};

TEST_F(CliTest, NewThenRenderWritesEveryFrame) {
    ASSERT_EQ(MakeProject("4").status, 0);
    MorphProject loaded;
    ASSERT_EQ(LoadMorphFile(project(), loaded), "");
    EXPECT_EQ(loaded.LastFrame, 3);
    EXPECT_EQ(loaded.Matrix1.Rows, 4);
    EXPECT_EQ(loaded.Matrix1.Columns, 3);
    EXPECT_EQ(loaded.Matrix1.ImagePath, test::SamplePath("sun.bmp"));
    EXPECT_EQ(loaded.Matrix2.Points(2, 1), (Point{80, 0}));

    const Result render = RunCli({"render", project(), folder.File("out/frames")});
    ASSERT_EQ(render.status, 0) << render.err;
    EXPECT_EQ(render.err, "");  // no progress line when it is not a terminal
    for (const char* name : {"000.bmp", "001.bmp", "002.bmp", "003.bmp"})
        EXPECT_TRUE(fs::exists(folder.File("out/frames/") + name)) << name;
    EXPECT_EQ(CountFiles(folder.File("out/frames")), 4u);
    EXPECT_EQ(*LoadImageFile(folder.File("out/frames/000.bmp")),
              *LoadImageFile(test::SamplePath("sun.bmp")));

    const Result onTerminal = RunCli({"render", project(), folder.File("jpeg"), "--jpeg"}, true);
    ASSERT_EQ(onTerminal.status, 0);
    EXPECT_EQ(onTerminal.err, "\rframe 1/4\rframe 2/4\rframe 3/4\rframe 4/4\n");
    EXPECT_TRUE(fs::exists(folder.File("jpeg/003.jpg")));
    EXPECT_EQ(CountFiles(folder.File("jpeg")), 4u);
}

// --smooth makes the smooth frames, as a project saved with 滑らか does;
// --standard makes such a project's frames exact again.
TEST_F(CliTest, RenderTakesTheQualityFromTheProjectOrTheCommandLine) {
    ASSERT_EQ(MakeProject("5").status, 0);
    MorphProject loaded;
    ASSERT_EQ(LoadMorphFile(project(), loaded), "");
    loaded.Matrix2.Points(2, 2).X += 13;
    loaded.Matrix2.Points(3, 3).Y -= 7;
    ProjectAdditions smooth;
    smooth.Run.Smooth = true;
    const std::string smoothProject = folder.File("smooth.mph");
    for (const auto& [path, additions] :
         {std::pair{project(), ProjectAdditions{}}, std::pair{smoothProject, smooth}})
        ASSERT_EQ(SaveMorphFile(path, loaded.Matrix1, loaded.Matrix2, folder.Path(),
                                loaded.LastFrame, loaded.BackgroundColor, nullptr, additions),
                  "");
    struct Case {
        std::vector<std::string> args;
        const char* out;
    } cases[] = {{{"render", project(), folder.File("exact")}, "exact"},
                 {{"render", project(), folder.File("smooth"), "--smooth"}, "smooth"},
                 {{"render", smoothProject, folder.File("saved")}, "saved"},
                 {{"render", smoothProject, folder.File("standard"), "--standard"}, "standard"}};
    for (const Case& c : cases) {
        const Result render = RunCli(c.args);
        ASSERT_EQ(render.status, 0) << c.out << ": " << render.err;
        EXPECT_EQ(CountFiles(folder.File(c.out)), 5u);
    }
    auto frame = [&](const char* out) { return *LoadImageFile(folder.File(out) + "/002.bmp"); };
    EXPECT_NE(frame("smooth"), frame("exact"));
    EXPECT_EQ(frame("saved"), frame("smooth"));
    EXPECT_EQ(frame("standard"), frame("exact"));
    // The ends are the pictures themselves either way.
    EXPECT_EQ(*LoadImageFile(folder.File("smooth/000.bmp")),
              *LoadImageFile(test::SamplePath("sun.bmp")));
}

TEST_F(CliTest, HelpAndUsage) {
    for (const char* command : {"new", "render"}) {
        const Result help = RunCli({command, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("usage: fennix-morph"), std::string::npos);
    }
    EXPECT_EQ(RunCli({"--help"}).status, 0);
    // Usage errors exit with 2.
    EXPECT_EQ(RunCli({}).status, 2);
    EXPECT_EQ(RunCli({"explode"}).status, 2);
}

TEST_F(CliTest, BadInputFailsWithOneLineAndWritesNothing) {
    // A failure exits with 1, a usage error (a bad option value) with 2.
    auto expectFailure = [](const Result& r, int status = 1) {
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    };
    // A missing project, a missing image, a frame count of 1.
    expectFailure(RunCli({"render", folder.File("missing.mph"), folder.File("a")}));
    expectFailure(
        RunCli({"new", folder.File("missing.bmp"), test::SamplePath("moon.bmp"), project()}));
    EXPECT_FALSE(fs::exists(project()));
    expectFailure(RunCli({"new", test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp"),
                          project(), "--rows", "abc"}),
                  2);
    // Pictures of different sizes only with --fit stretch.
    const std::string small = folder.File("small.bmp");
    ASSERT_TRUE(LoadImageFile(test::SamplePath("moon.bmp"))->scaled(160, 120).save(
        QString::fromStdString(small)));
    const Result differ = RunCli({"new", test::SamplePath("sun.bmp"), small, project()});
    expectFailure(differ);
    EXPECT_NE(differ.err.find("320x240 and the end picture 160x120; use --fit stretch"),
              std::string::npos)
        << differ.err;
    EXPECT_FALSE(fs::exists(project()));
    expectFailure(RunCli({"new", test::SamplePath("sun.bmp"), small, project(), "--fit", "crop"}),
                  2);
    ASSERT_EQ(RunCli({"new", test::SamplePath("sun.bmp"), small, project(), "--fit", "stretch"})
                  .status,
              0);
    fs::remove(project());
    // One frame makes no morph: refused when the project is made.
    expectFailure(MakeProject("1"), 2);
    EXPECT_FALSE(fs::exists(project()));

    // An image that went missing after the project was written.
    const std::string copy = folder.File("sun.bmp");
    fs::copy_file(test::SamplePath("sun.bmp"), copy);
    ASSERT_EQ(RunCli({"new", copy, test::SamplePath("moon.bmp"), project()}).status, 0);
    fs::remove(copy);
    expectFailure(RunCli({"render", project(), folder.File("c")}));
    EXPECT_FALSE(fs::exists(folder.File("c")));

    // An output folder that cannot be made (a file stands in its way).
    ASSERT_EQ(RunCli({"new", test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp"), project(),
                      "--frames", "2", "--force"})
                  .status,
              0);
    test::WriteFile(folder.File("file"), "x");
    expectFailure(RunCli({"render", project(), folder.File("file/out")}));
}

TEST_F(CliTest, AFifoOrFolderAsAnImageFailsAtOnceAndSaysWhy) {
    // Without a writer, a FIFO opened the usual way would block for ever.
    const std::string fifo = folder.File("start.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Result r = RunCli({"new", fifo, test::SamplePath("moon.bmp"), project()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "fennix-morph: cannot read the image " + fifo + ": not a regular file\n");
    fs::create_directory(folder.File("end.jpg"));
    r = RunCli({"new", test::SamplePath("sun.bmp"), folder.File("end.jpg"), project()});
    EXPECT_EQ(r.err, "fennix-morph: cannot read the image " + folder.File("end.jpg") +
                         ": not a regular file\n");
    r = RunCli({"new", folder.File("gone.bmp"), test::SamplePath("moon.bmp"), project()});
    EXPECT_EQ(r.err, "fennix-morph: cannot read the image " + folder.File("gone.bmp") +
                         ": cannot be opened\n");
    EXPECT_FALSE(fs::exists(project()));
}

TEST_F(CliTest, PicturesWithLatin1NamesMakeAProject) {
    const std::string start = folder.File("soleil_\xE9t\xE9.bmp");
    const std::string end = folder.File("lune_\xE0.BMP");
    fs::copy_file(test::SamplePath("sun.bmp"), start);
    fs::copy_file(test::SamplePath("moon.bmp"), end);
    const Result made = RunCli({"new", start, end, project(), "--frames", "2"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(made.err.empty());

    // The project reopens and renders into a Latin-1 folder, and the frames
    // of that folder pack into a video.
    const std::string frames = folder.File("images_\xE9t\xE9");
    const Result rendered = RunCli({"render", project(), frames});
    ASSERT_EQ(rendered.status, 0) << rendered.err;
    EXPECT_EQ(*LoadImageFile(frames + "/000.bmp"), *LoadImageFile(test::SamplePath("sun.bmp")));
    EXPECT_EQ(*LoadImageFile(frames + "/001.bmp"), *LoadImageFile(test::SamplePath("moon.bmp")));
    const Result packed = RunCli({"avi", frames, frames + "/\xE9t\xE9.avi"});
    ASSERT_EQ(packed.status, 0) << packed.err;
    EXPECT_GT(fs::file_size(frames + "/\xE9t\xE9.avi"), 0u);
}

}  // namespace
}  // namespace fennix
