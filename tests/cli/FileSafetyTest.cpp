// What the batch commands leave on disk when writing fails or the names
// given are not plain files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <filesystem>

#include "cli/RunCli.h"
#include "support/AviTestFiles.h"
#include "media/ImageFile.h"
#include "support/SmallDisk.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;
using test::ListNames;
using test::ReadFile;
using test::RunCli;

class FileSafetyTest : public testing::Test {
  protected:
    test::TestFolder folder;
    std::string project() const { return folder.File("face.mph"); }
    void MakeProject(int frames) {
        ASSERT_EQ(RunCli({"new", test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp"),
                          project(), "--frames", std::to_string(frames)})
                      .status,
                  0);
    }
    static void ExpectOneLineFailure(const test::CliResult& run, const std::string& part) {
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(part), std::string::npos) << run.err << " lacks " << part;
    }
};

TEST_F(FileSafetyTest, ARenderOntoAFullDiskFailsAndKeepsOnlyCompleteFrames) {
    MakeProject(6);
    const std::string reference = folder.File("reference");
    ASSERT_EQ(RunCli({"render", project(), reference}).status, 0);
    ASSERT_EQ(RunCli({"render", project(), reference + "-jpeg", "--jpeg"}).status, 0);

    for (const bool jpeg : {false, true}) {
        // Room for two and a half frames.
        const auto frameBytes =
            static_cast<int64_t>(fs::file_size(reference + (jpeg ? "-jpeg/001.jpg" : "/001.bmp")));
        test::SmallDisk disk(frameBytes * 5 / 2);
        if (!disk.Mounted()) GTEST_SKIP() << "mounting a small file system needs root";
        std::vector<std::string> args = {"render", project(), disk.Path()};
        if (jpeg) args.push_back("--jpeg");
        if (!jpeg) {
            // Frames that cannot all fit are refused before the first.
            ExpectOneLineFailure(RunCli(args), "but only");
            EXPECT_EQ(ListNames(disk.Path()), "");
        }
        args.push_back("--force");
        const test::CliResult run = RunCli(args);
        ExpectOneLineFailure(run, disk.Path());
        if (!jpeg) {
            EXPECT_NE(run.err.find("No space left"), std::string::npos) << run.err;
        }

        // Only whole frames are left, each equal to a frame of a run that
        // had room, and nothing else.
        const std::string names = ListNames(disk.Path());
        EXPECT_EQ(names, jpeg ? "000.jpg 001.jpg" : "000.bmp 001.bmp") << names;
        for (const char* name : {"000", "001"}) {
            const std::string file = std::string(name) + (jpeg ? ".jpg" : ".bmp");
            EXPECT_EQ(ReadFile(disk.File(file)),
                      ReadFile(reference + (jpeg ? "-jpeg/" : "/") + file))
                << file;
        }
    }
}

TEST_F(FileSafetyTest, ARenderReplacesOldFramesOnlyWhenAsked) {
    MakeProject(3);
    const std::string out = folder.File("out");
    ASSERT_EQ(RunCli({"render", project(), out}).status, 0);
    test::WriteFile(out + "/notes.txt", "mine");
    test::WriteFile(out + "/9999.jpg", "an old frame of a longer run");
    ASSERT_EQ(::mkfifo((out + "/005.bmp").c_str(), 0644), 0);
    const std::string before = ReadFile(out + "/001.bmp");

    ExpectOneLineFailure(RunCli({"render", project(), out}), "already holds frames");
    EXPECT_EQ(ListNames(out), "000.bmp 001.bmp 002.bmp 005.bmp 9999.jpg notes.txt");
    EXPECT_EQ(ReadFile(out + "/001.bmp"), before);

    ASSERT_EQ(RunCli({"render", project(), out, "--force"}).status, 0);
    // The frames of the old run are replaced; what is not a frame file stays.
    EXPECT_EQ(ListNames(out), "000.bmp 001.bmp 002.bmp 005.bmp notes.txt");
    EXPECT_TRUE(fs::is_fifo(out + "/005.bmp"));
    EXPECT_EQ(ReadFile(out + "/001.bmp"), before);
}

// A folder whose name ends in byte 0x5C (a backslash, or the second byte of
// cp932 表) is a folder like any other: the frames go inside it, a second
// run is refused without --force, and the frames are read back from it.
TEST_F(FileSafetyTest, FolderNamesEndingInABackslashByteHoldTheirOwnFrames) {
    MakeProject(3);
    for (const std::string name : {"g\\", "\x94\xad\x95\x5c"}) {
        const std::string parent = folder.File("p" + std::to_string(name.size()));
        fs::create_directory(parent);
        const std::string out = parent + "/" + name;
        ASSERT_EQ(RunCli({"render", project(), out}).status, 0) << name;
        EXPECT_EQ(ListNames(out), "000.bmp 001.bmp 002.bmp") << name;
        EXPECT_EQ(std::distance(fs::directory_iterator(parent), fs::directory_iterator{}), 1)
            << "frames were written beside " << name;
        ExpectOneLineFailure(RunCli({"render", project(), out}), "already holds frames");
        const test::CliResult video = RunCli({"video", out, parent + "/v.gif"});
        EXPECT_EQ(video.status, 0) << video.err;
    }
}

TEST_F(FileSafetyTest, MessagesNameTheFileAndTheReason) {
    const std::string copy = folder.File("sun copy.bmp");
    fs::copy_file(test::SamplePath("sun.bmp"), copy);
    ASSERT_EQ(RunCli({"new", copy, test::SamplePath("moon.bmp"), project()}).status, 0);
    fs::remove(copy);
    ExpectOneLineFailure(RunCli({"render", project(), folder.File("out")}), copy);

    test::WriteFile(project(), "\"folder\"\r\n" + std::string(10 << 20, '7') + "\r\n");
    ExpectOneLineFailure(RunCli({"render", project(), folder.File("out")}),
                         "cannot open the project " + project());
    EXPECT_FALSE(fs::exists(folder.File("out")));

    // A project that cannot be written says why.
    fs::create_directory(folder.File("taken.mph"));
    ExpectOneLineFailure(RunCli({"new", test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp"),
                                 folder.File("taken.mph")}),
                         "not a regular file");
}

TEST_F(FileSafetyTest, AnAviNeverDamagesWhatItIsGivenAsOutput) {
    test::TestFolder frames;
    test::WriteFrames(frames.Path(), 0, 2, 32, 24);
    const std::string first = ReadFile(frames.File("000.bmp"));

    // One of its own frames.
    ExpectOneLineFailure(RunCli({"avi", frames.Path(), frames.File("000.bmp")}),
                         "is one of the frames");
    EXPECT_EQ(ReadFile(frames.File("000.bmp")), first);

    // An empty folder, a FIFO, a device.
    const std::string dir = folder.File("dir"), fifo = folder.File("fifo.avi"),
                      device = folder.File("null.avi");
    fs::create_directory(dir);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    for (const std::string& output : {dir, fifo, haveDevice ? device : fifo})
        ExpectOneLineFailure(RunCli({"avi", frames.Path(), output}), "not a regular file");
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_TRUE(fs::is_fifo(fifo));
    if (haveDevice) {
        EXPECT_TRUE(fs::is_character_file(device));
    }

    // An existing video stays as it was when the one replacing it fails.
    const std::string movie = folder.File("movie.avi");
    test::WriteFile(movie, "the video of yesterday");
    test::WriteFile(frames.File("001.bmp"), "broken");
    ExpectOneLineFailure(RunCli({"avi", frames.Path(), movie, "--force"}), frames.File("001.bmp"));
    EXPECT_EQ(ReadFile(movie), "the video of yesterday");

    test::WriteFrames(frames.Path(), 0, 2, 320, 240);
    test::SmallDisk disk(300 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "mounting a small file system needs root";
    test::WriteFile(disk.File("movie.avi"), "the video of yesterday");
    ExpectOneLineFailure(RunCli({"avi", frames.Path(), disk.File("movie.avi"), "--force"}),
                         "No space left");
    EXPECT_EQ(ReadFile(disk.File("movie.avi")), "the video of yesterday");
    EXPECT_EQ(ListNames(disk.Path()), "movie.avi");
    EXPECT_EQ(ListNames(folder.Path()),
              "dir fifo.avi movie.avi" + std::string(haveDevice ? " null.avi" : ""))
        << "no scratch file beside the outputs";
}

}  // namespace
}  // namespace fennix
