#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/RunCli.h"
#include "support/AviTestFiles.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

using Outcome = test::CliResult;

Outcome RunAvi(std::vector<std::string> args, bool terminal = false) {
    args.insert(args.begin(), "avi");
    return test::RunCli(args, terminal);
}

class AviCommandTest : public testing::Test {
  protected:
    std::string Movie() const { return out.File("movie.avi"); }
    test::TestFolder frames, out;
};

TEST_F(AviCommandTest, PacksTheFramesWithTheDialogsRules) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 19, 64, 48);
    Outcome run = RunAvi({frames.Path(), Movie()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty());
    auto video = test::ProbeVideo(Movie());
    EXPECT_EQ(video.at("codec_name"), "rawvideo");
    EXPECT_EQ(video.at("nb_read_frames"), "20");
    EXPECT_EQ(video.at("r_frame_rate"), "20/1");
    EXPECT_EQ(video.at("width"), "64");  // the first frame's size

    run = RunAvi(
        {frames.Path(), Movie(), "--fps", "60", "--size", "32x24", "--codec", "mjpeg", "--force"});
    ASSERT_EQ(run.status, 0) << run.err;
    video = test::ProbeVideo(Movie());
    EXPECT_EQ(video.at("codec_name"), "mjpeg");
    EXPECT_EQ(video.at("r_frame_rate"), "30/1");
    EXPECT_EQ(video.at("width"), "32");
    EXPECT_EQ(video.at("height"), "24");

    run = RunAvi({frames.Path(), Movie(), "--fps", "0", "--force"}, true);
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.err.substr(0, 11), "\rframe 1/20");
    EXPECT_EQ(run.err.substr(run.err.size() - 13), "\rframe 20/20\n");
    EXPECT_EQ(test::ProbeVideo(Movie()).at("r_frame_rate"), "1/1");
}

TEST_F(AviCommandTest, PacksALatin1FolderOfLatin1Names) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 2, 40, 30);
    fs::rename(frames.File("001.bmp"), frames.File("001_\xE9t\xE9.bmp"));
    const std::string latin = out.File("d\xE9j\xE0");
    fs::rename(frames.Path(), latin);
    const Outcome run = RunAvi({latin, Movie()});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto video = test::ProbeVideo(Movie());
    EXPECT_EQ(video.at("nb_read_frames"), "3");
    EXPECT_EQ(video.at("width"), "40");
}

TEST_F(AviCommandTest, RefusesBadInputWithOneLineAndNoFile) {
    // A failure exits with 1, a usage error with 2.
    const auto fails = [&](std::vector<std::string> args, const std::string& message,
                           int status = 1) {
        const Outcome run = RunAvi(std::move(args));
        EXPECT_EQ(run.status, status) << message;
        // The message, possibly followed by the reason.
        EXPECT_EQ(run.err.rfind("fennix-morph: " + message, 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_FALSE(fs::exists(Movie()));
    };
    fails({frames.Path()}, "avi needs FRAMEDIR OUTPUT.avi (see --help)", 2);
    fails({frames.Path(), Movie()}, "the folder " + frames.Path() + " holds no frame 000");
    fails({frames.File("none"), Movie()}, "cannot read the folder " + frames.File("none"));
    test::WriteFrames(frames.Path(), 0, 1, 32, 32);
    fails({frames.Path(), Movie(), "--codec", "divx"}, "the compressor divx is not available");
    fails({frames.Path(), Movie(), "--size", "0x10"},
          "--size needs WxH with whole numbers of at least 1", 2);
    fails({frames.Path(), Movie(), "--fps", "quick"}, "--fps needs a number", 2);
    fails({frames.Path(), Movie(), "--fps"}, "--fps needs a value", 2);
    fails({frames.Path(), Movie(), "--loop"}, "unknown option --loop", 2);
    fails({frames.Path(), out.File("missing/movie.avi")},
          "cannot write the video " + out.File("missing/movie.avi"));
    test::WriteFile(frames.File("001.bmp"), "broken");
    fails({frames.Path(), Movie()}, "cannot read the frame " + frames.File("001.bmp"));

    const Outcome help = RunAvi({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: fennix-morph avi FRAMEDIR OUTPUT.avi"), std::string::npos);
}

}  // namespace
}  // namespace fennix
