// The batch commands never write over what they read, put frames in number
// order, and clear away what killed runs left.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "cli/RunCli.h"
#include "support/AviTestFiles.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;
using test::ListNames;
using test::ReadFile;
using test::RunCli;

// The id of a process that has ended.
std::string EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return std::to_string(child);
}

class InputsTest : public testing::Test {
  protected:
    InputsTest() {
        fs::copy_file(test::SamplePath("sun.bmp"), folder.File("s.bmp"));
        fs::copy_file(test::SamplePath("moon.bmp"), folder.File("e.bmp"));
        sun = ReadFile(folder.File("s.bmp"));
        moon = ReadFile(folder.File("e.bmp"));
    }
    static void ExpectFailureNaming(const test::CliResult& run,
                                    const std::vector<std::string>& parts) {
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        for (const std::string& part : parts)
            EXPECT_NE(run.err.find(part), std::string::npos) << run.err << " lacks " << part;
    }
    // A project over `start` and `end` (names in the test folder).
    void MakeProject(const std::string& project, const std::string& start,
                     const std::string& end, int frames = 3) {
        const auto run = RunCli({"new", folder.File(start), folder.File(end), folder.File(project),
                                 "--frames", std::to_string(frames)});
        ASSERT_EQ(run.status, 0) << run.err;
    }
    void ExpectPicturesIntact() {
        EXPECT_EQ(ReadFile(folder.File("s.bmp")), sun);
        EXPECT_EQ(ReadFile(folder.File("e.bmp")), moon);
    }

    test::TestFolder folder;
    std::string sun, moon;
};

TEST_F(InputsTest, NewNeverWritesTheProjectOverAPicture) {
    fs::create_symlink("s.bmp", folder.File("link.bmp"));
    fs::create_hard_link(folder.File("e.bmp"), folder.File("hard.mph"));
    struct Case {
        std::string project, picture;
    };
    const Case cases[] = {
        {"s.bmp", "s.bmp"}, {"e.bmp", "e.bmp"}, {"link.bmp", "s.bmp"}, {"hard.mph", "e.bmp"}};
    for (const Case& c : cases) {
        ExpectFailureNaming(
            RunCli({"new", folder.File("s.bmp"), folder.File("e.bmp"), folder.File(c.project)}),
            {"cannot write the project " + folder.File(c.project), folder.File(c.picture)});
        ExpectPicturesIntact();
    }
    EXPECT_TRUE(fs::is_symlink(folder.File("link.bmp")));
    EXPECT_EQ(ListNames(folder.Path()), "e.bmp hard.mph link.bmp s.bmp");
}

// A render whose frames would replace the project or one of its pictures
// (named like a frame, or a hard link named so) is refused, with --force too.
TEST_F(InputsTest, RenderNeverWritesAFrameOverItsInputs) {
    fs::create_directory(folder.File("p"));
    fs::rename(folder.File("s.bmp"), folder.File("p/000.bmp"));
    fs::rename(folder.File("e.bmp"), folder.File("p/001.bmp"));
    MakeProject("p/m.mph", "p/000.bmp", "p/001.bmp");
    for (const bool force : {false, true}) {
        std::vector<std::string> args = {"render", folder.File("p/m.mph"), folder.File("p")};
        if (force) args.push_back("--force");
        ExpectFailureNaming(RunCli(args), {folder.File("p/000.bmp"), "start picture"});
        EXPECT_EQ(ReadFile(folder.File("p/000.bmp")), sun);
        EXPECT_EQ(ReadFile(folder.File("p/001.bmp")), moon);
        EXPECT_EQ(ListNames(folder.File("p")), "000.bmp 001.bmp m.mph");
    }

    // A hard link of the end picture under the name of frame 2.
    fs::create_directory(folder.File("q"));
    fs::create_hard_link(folder.File("p/001.bmp"), folder.File("q/002.bmp"));
    ExpectFailureNaming(RunCli({"render", folder.File("p/m.mph"), folder.File("q"), "--force"}),
                        {folder.File("q/002.bmp"), "end picture " + folder.File("p/001.bmp")});
    EXPECT_EQ(ReadFile(folder.File("q/002.bmp")), moon);

    // A picture named like a frame beyond the run stays when old frames go.
    fs::create_directory(folder.File("r"));
    fs::copy_file(folder.File("p/001.bmp"), folder.File("r/050.bmp"));
    fs::copy_file(folder.File("p/000.bmp"), folder.File("r/start.bmp"));
    MakeProject("r/m.mph", "r/start.bmp", "r/050.bmp");
    const auto run = RunCli({"render", folder.File("r/m.mph"), folder.File("r"), "--force"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ListNames(folder.File("r")), "000.bmp 001.bmp 002.bmp 050.bmp m.mph start.bmp");
    EXPECT_EQ(ReadFile(folder.File("r/050.bmp")), moon);
}

// --force removes the frames a run wrote and nothing else: not a photo
// merely named with digits, not a name in capitals the program never writes.
TEST_F(InputsTest, ForceRemovesOnlyFramesARunWrote) {
    MakeProject("m.mph", "s.bmp", "e.bmp");
    const std::string out = folder.File("out");
    fs::create_directory(out);
    for (const char* name : {"000.bmp", "001.bmp", "007.bmp", "012.jpg", "1000.bmp", "0042.jpg",
                             "000.BMP", "0000.bmp", "notes.txt"})
        test::WriteFile(out + "/" + name, name);
    ASSERT_EQ(RunCli({"render", folder.File("m.mph"), out, "--force"}).status, 0);
    EXPECT_EQ(ListNames(out), "000.BMP 000.bmp 0000.bmp 001.bmp 002.bmp 0042.jpg notes.txt");
    for (const char* name : {"0042.jpg", "000.BMP", "0000.bmp", "notes.txt"})
        EXPECT_EQ(ReadFile(out + "/" + name), name);
}

// A link named like a frame is never written through, with or without
// --force; the file it points to stays as it was.
TEST_F(InputsTest, FrameNamedLinksAreRefused) {
    MakeProject("m.mph", "s.bmp", "e.bmp");
    test::WriteFile(folder.File("photo.bmp"), "my photo");
    for (const char* link : {"000.bmp", "002.bmp", "009.jpg"}) {
        const std::string out = folder.File(std::string("out-") + link);
        fs::create_directory(out);
        fs::create_symlink("../photo.bmp", out + "/" + link);
        for (const bool force : {false, true}) {
            std::vector<std::string> args = {"render", folder.File("m.mph"), out};
            if (force) args.push_back("--force");
            ExpectFailureNaming(RunCli(args), {out, link, "link"});
            EXPECT_EQ(ListNames(out), link);
            EXPECT_TRUE(fs::is_symlink(out + "/" + link));
        }
    }
    EXPECT_EQ(ReadFile(folder.File("photo.bmp")), "my photo");
}

// An AVI or video written as a link or hard link of one of its frames is
// refused, the message naming the output and that frame.
TEST_F(InputsTest, AVideoNeverReplacesOneOfItsFrames) {
    test::TestFolder frames;
    test::WriteFrames(frames.Path(), 0, 2, 8, 8);
    const std::string frame = ReadFile(frames.File("001.bmp"));
    fs::create_hard_link(frames.File("001.bmp"), folder.File("hard.avi"));
    fs::create_hard_link(frames.File("001.bmp"), folder.File("hard.mp4"));
    fs::create_symlink(frames.File("001.bmp"), folder.File("link.gif"));
    for (const auto& [command, output] :
         std::vector<std::pair<std::string, std::string>>{{"avi", folder.File("hard.avi")},
                                                          {"video", folder.File("hard.mp4")},
                                                          {"video", folder.File("link.gif")}}) {
        ExpectFailureNaming(RunCli({command, frames.Path(), output}),
                            {"the output " + output, frames.File("001.bmp")});
        EXPECT_EQ(ReadFile(frames.File("001.bmp")), frame);
    }
}

// 1001 frames (000 … 1000) go into AVI and video files by number: frame
// 1000, the only white one, comes last and not between 100 and 101.
TEST_F(InputsTest, AThousandAndOneFramesPackByNumber) {
    SKIP_WITHOUT_FFPROBE();
    test::TestFolder frames;
    QImage tiny(4, 4, QImage::Format_RGB32);
    for (int k = 0; k <= 1000; ++k) {
        tiny.fill(k == 1000 ? Qt::white : Qt::black);
        char name[16];
        std::snprintf(name, sizeof name, "%03d.bmp", k);
        ASSERT_TRUE(tiny.save(QString::fromStdString(frames.File(name)), "BMP"));
    }
    const qsizetype frameBytes = 4 * 4 * 3;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"avi", frames.Path(), folder.File("m.avi")},
          std::vector<std::string>{"video", frames.Path(), folder.File("m.mp4"), "--fps", "60"},
          std::vector<std::string>{"video", frames.Path(), folder.File("m.gif"), "--fps", "50"}}) {
        const auto run = RunCli(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const QByteArray pixels = test::DecodeBgr24(args[2]);
        ASSERT_EQ(pixels.size(), 1001 * frameBytes) << args[2];
        auto brightness = [&](int k) {
            int sum = 0;
            for (qsizetype i = 0; i < frameBytes; ++i)
                sum += static_cast<unsigned char>(pixels[k * frameBytes + i]);
            return sum / frameBytes;
        };
        EXPECT_GT(brightness(1000), 200) << args[2];
        for (const int k : {0, 100, 101, 999}) EXPECT_LT(brightness(k), 50) << args[2] << " " << k;
    }
}

// At its start the command removes the scratch folders of runs that were
// killed (in the temporary folder) and the scratch files of killed writes
// beside what it writes; those of running processes stay.
TEST(LeftoversTest, KilledRunsAreClearedAway) {
    test::TestFolder temp, folder;
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", temp.Path().c_str(), 1);
    const std::string ended = EndedProcess();
    for (const std::string& name : std::vector<std::string>{
             "fennix-morph-" + ended + "-Ab3dEf", "fennix-morph-1-Ab3dEf", "fennix-morph-xYz123"})
        fs::create_directories(temp.File(name) + "/sub");
    const std::string out = folder.File("out");
    fs::create_directory(out);
    test::WriteFile(out + "/.000.jpg." + ended + "-0123abcd.tmp", "half a frame");
    test::WriteFile(out + "/.000.jpg.1-0123abcd.tmp", "a running write");
    test::WriteFile(folder.File(".m.mph." + ended + "-0123abcd.tmp"), "half a project");

    const auto made = RunCli({"new", test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp"),
                              folder.File("m.mph"), "--frames", "2"});
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(ListNames(temp.Path()), "fennix-morph-1-Ab3dEf fennix-morph-xYz123");
    EXPECT_EQ(ListNames(folder.Path()), "m.mph out");
    const auto run = RunCli({"render", folder.File("m.mph"), out, "--jpeg"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ListNames(out), ".000.jpg.1-0123abcd.tmp 000.jpg 001.jpg");
    // The render's own scratch folder is gone with it.
    EXPECT_EQ(ListNames(temp.Path()), "fennix-morph-1-Ab3dEf fennix-morph-xYz123");

    if (old)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

}  // namespace
}  // namespace fennix
