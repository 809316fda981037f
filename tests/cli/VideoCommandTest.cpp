#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/RunCli.h"
#include "media/VideoExport.h"
#include "support/AviTestFiles.h"
#include "support/CommaLocale.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

test::CliResult RunVideo(std::vector<std::string> args, bool terminal = false) {
    args.insert(args.begin(), "video");
    return test::RunCli(args, terminal);
}

class VideoCommandTest : public testing::Test {
  protected:
    test::TestFolder frames, out;
};

TEST_F(VideoCommandTest, TheExtensionChoosesTheFormatAndTheOptionsApply) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 4, 64, 48);
    test::CliResult run = RunVideo({frames.Path(), out.File("morph.mp4")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty());
    auto video = test::ProbeVideo(out.File("morph.mp4"));
    EXPECT_EQ(video.at("codec_name"), "h264");
    EXPECT_EQ(video.at("nb_read_frames"), "5");
    EXPECT_EQ(video.at("r_frame_rate"), "20/1");
    EXPECT_EQ(video.at("width"), "64");  // the first frame's size

    run = RunVideo({frames.Path(), out.File("morph.GIF"), "--fps", "25", "--size", "33x21",
                    "--quality", "small", "--pingpong"},
                   true);
    ASSERT_EQ(run.status, 0) << run.err;
    // Five frames read for the palette, eight written.
    EXPECT_EQ(run.err.substr(0, 11), "\rstep 1/13\r");
    EXPECT_EQ(run.err.substr(run.err.size() - 12), "\rstep 13/13\n");
    video = test::ProbeVideo(out.File("morph.GIF"));
    EXPECT_EQ(video.at("codec_name"), "gif");
    EXPECT_EQ(video.at("nb_read_frames"), "8");
    EXPECT_EQ(video.at("r_frame_rate"), "25/1");
    EXPECT_EQ(video.at("width"), "33");
    EXPECT_EQ(video.at("height"), "21");

    run = RunVideo({frames.Path(), out.File("morph.webm"), "--quality", "high"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::ProbeVideo(out.File("morph.webm")).at("codec_name"), "vp9");
}

// Large frames make videos that play everywhere unless a size is given:
// MP4 and WebM within 1920 × 1080 (H.264 level 4.2 at most), a GIF 640 wide.
// The rule itself is DefaultVideoSize's (its table is in the media tests);
// here each format is written once from frames wider than all of them but
// only a few rows high, so that the encodes are tiny.
TEST_F(VideoCommandTest, LargeFramesGiveSizesThatPlayEverywhere) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 1, 2400, 18);
    struct Case {
        const char* name;
        const char* width;
        const char* height;
    } cases[] = {{"big.mp4", "1920", "14"}, {"big.webm", "1920", "14"}, {"big.gif", "640", "4"}};
    for (const Case& c : cases) {
        const test::CliResult run = RunVideo({frames.Path(), out.File(c.name)});
        ASSERT_EQ(run.status, 0) << run.err;
        const auto video = test::ProbeVideo(out.File(c.name));
        EXPECT_EQ(video.at("width"), c.width) << c.name;
        EXPECT_EQ(video.at("height"), c.height) << c.name;
        const QSize rule = DefaultVideoSize(*VideoFormatOfPath(c.name), QSize(2400, 18));
        EXPECT_EQ(video.at("width"), std::to_string(rule.width())) << c.name;
        EXPECT_EQ(video.at("height"), std::to_string(rule.height())) << c.name;
        if (video.at("codec_name") == "h264") {
            EXPECT_LE(std::stoi(video.at("level")), 42);
        }
    }
}

TEST_F(VideoCommandTest, RefusesBadInputWithOneLineAndNoFile) {
    const std::string movie = out.File("movie.mp4");
    // A failure exits with 1, a usage error with 2.
    const auto fails = [&](std::vector<std::string> args, const std::string& message,
                           int status = 1) {
        const test::CliResult run = RunVideo(std::move(args));
        EXPECT_EQ(run.status, status) << message;
        EXPECT_EQ(run.err.rfind("fennix-morph: " + message, 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_FALSE(fs::exists(movie));
    };
    fails({frames.Path()}, "video needs FRAMEDIR OUTPUT (see --help)", 2);
    test::WriteFrames(frames.Path(), 1, 2, 16, 16);
    fails({frames.Path(), movie}, "the folder " + frames.Path() + " holds no frame 000");
    fails({frames.File("none"), movie}, "cannot read the folder " + frames.File("none"));
    test::WriteFrames(frames.Path(), 0, 0, 16, 16);
    fails({frames.Path(), out.File("movie.avi")},
          "the output " + out.File("movie.avi") + " must end in .mp4, .webm or .gif", 2);
    fails({frames.Path(), movie, "--fps", "61"}, "--fps needs a whole number from 1 to 60", 2);
    fails({frames.Path(), movie, "--fps", "0"}, "--fps needs a whole number from 1 to 60", 2);
    {
        // Where the locale writes "2,5", "2.5" is still two and a half.
        const test::CommaLocale comma;
        const test::CommaLocaleScope scope(comma);
        ASSERT_TRUE(scope.Active()) << "localedef could not make a test locale";
        fails({frames.Path(), movie, "--fps", "2.5"}, "--fps needs a whole number from 1 to 60", 2);
    }
    fails({frames.Path(), movie, "--quality", "best"}, "--quality takes high, normal or small", 2);
    fails({frames.Path(), movie, "--size", "10"},
          "--size needs WxH with whole numbers of at least 1", 2);
    fails({frames.Path(), movie, "--loop"}, "unknown option --loop", 2);
    test::WriteFile(out.File("file"), "x");
    fails({frames.Path(), out.File("file/movie.mp4")},
          "cannot write the video " + out.File("file/movie.mp4"));
    test::WriteFile(frames.File("001.bmp"), "broken");
    fails({frames.Path(), movie}, "cannot read the frame " + frames.File("001.bmp"));

    const test::CliResult help = RunVideo({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: fennix-morph video FRAMEDIR OUTPUT", 0), 0u);
    EXPECT_NE(test::RunCli({"--help"}).out.find("fennix-morph video FRAMEDIR"), std::string::npos);
}

}  // namespace
}  // namespace fennix
