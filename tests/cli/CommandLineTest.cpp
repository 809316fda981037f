// How fennix-morph reads its command line (help, version, option forms,
// "--", --quiet, exit statuses) and the one rule every writing command
// follows for its output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <regex>

#include "cli/RunCli.h"
#include "model/ProjectFile.h"
#include "support/AviTestFiles.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunCli;
using Args = std::vector<std::string>;

class CommandLineTest : public testing::Test {
  protected:
    CommandLineTest() {
        fs::copy_file(test::SamplePath("sun.bmp"), folder.File("s.bmp"));
        fs::copy_file(test::SamplePath("moon.bmp"), folder.File("e.bmp"));
        fs::create_directory(folder.File("frames"));
        test::WriteFrames(folder.File("frames"), 0, 1, 16, 12);
    }
    std::string File(const std::string& name) const { return folder.File(name); }
    // A project p.mph of the two pictures, two frames.
    void MakeProject() {
        const auto made =
            RunCli({"new", File("s.bmp"), File("e.bmp"), File("p.mph"), "--frames=2"});
        ASSERT_EQ(made.status, 0) << made.err;
    }

    test::TestFolder folder;
};

// Each command line, its exit status and a part of what it prints.
TEST_F(CommandLineTest, ParsesLikeOtherPrograms) {
    MakeProject();
    struct Case {
        Args args;
        int status;
        std::string out;  // a part of the standard output ("" for none at all)
        std::string err;  // a part of the error output ("" for none at all)
    };
    const std::string p = File("p.mph"), frames = File("frames");
    const Case cases[] = {
        // Help of the program and of each command, to the standard output.
        {{"-h"}, 0, "usage: fennix-morph new START END PROJECT.mph", ""},
        {{"--help"}, 0, "Exit status: 0 on success, 1 when the command fails, 2 for a usage", ""},
        {{"--help"}, 0, "       fennix-morph video FRAMEDIR OUTPUT", ""},
        {{"new", "-h"}, 0, "  --points FILE", ""},
        {{"render", "--help"},
         0,
         "usage: fennix-morph render PROJECT.mph [PROJECT.mph ...] OUTDIR",
         ""},
        {{"render", "--help"}, 0, "  --smooth", ""},
        {{"render", "--help"}, 0, "  --standard", ""},
        {{"render", "-h"}, 0, "not fit into the free space", ""},
        {{"new", "--help"}, 0, "no fold of the mesh", ""},
        {{"fit", "--help"}, 0, "[--ref SX,SY,EX,EY ...]", ""},
        {{"avi", "--help"}, 0, "  --quiet", ""},
        {{"video", "-h"}, 0, "  --force", ""},
        {{"--help", "fit"}, 0, "usage: fennix-morph fit PROJECT.mph", ""},
        // Usage errors: status 2, one line naming the problem.
        {{}, 2, "", "usage: fennix-morph new"},
        {{"explode"}, 2, "", "fennix-morph: unknown command explode (see --help)\n"},
        {{"--loud", "new"}, 2, "", "fennix-morph: unknown option --loud (see --help)\n"},
        {{"new", "a", "b"}, 2, "", "fennix-morph: new needs START END PROJECT.mph (see --help)\n"},
        {{"new", "a", "b", "c", "d"}, 2, "", "new takes START END PROJECT.mph only, not also d"},
        {{"render", p}, 2, "", "render needs PROJECT.mph OUTDIR (see --help)"},
        {{"fit", p, "q.mph"}, 2, "", "fit takes PROJECT.mph only, not also q.mph"},
        {{"new", "a", "b", "c", "-x"}, 2, "", "fennix-morph: unknown option -x (see --help)\n"},
        {{"new", "a", "b", "c", "--rows"},
         2,
         "",
         "fennix-morph: --rows needs a value (see --help)\n"},
        {{"new", "a", "b", "c", "--rows=abc"}, 2, "", "--rows needs a whole number of at least 1"},
        {{"new", "a", "b", "c", "--frames", "1"},
         2,
         "",
         "--frames needs a whole number of at least 2"},
        {{"new", "a", "b", "c", "--fit=crop"}, 2, "", "--fit takes only the value stretch"},
        {{"render", p, "out", "--jpeg=yes"},
         2,
         "",
         "fennix-morph: --jpeg takes no value (see --help)\n"},
        {{"render", p, "out", "--hold-end", "-1"}, 2, "", "--hold-end needs a whole number from 0"},
        {{"render", p, "out", "--ease=bounce"}, 2, "", "--ease takes linear, in, out or in-out"},
        {{"render", p, "out", "--smooth", "--standard"},
         2,
         "",
         "--smooth and --standard exclude each other"},
        {{"render", p, "out", "--smooth=yes"}, 2, "", "--smooth takes no value"},
        {{"fit", p, "--ref", "1,2,3"}, 2, "", "--ref needs four numbers SX,SY,EX,EY, not 1,2,3"},
        {{"avi", frames, "m.avi", "--size=0x10"}, 2, "", "--size needs WxH"},
        {{"video", frames, "m.mp4", "--quality", "best"}, 2, "", "--quality takes high, normal"},
        {{"video", frames, "m.avi"}, 2, "", "must end in .mp4, .webm or .gif"},
        {{"video", frames, "m.gif", "--pingpong=1"}, 2, "", "--pingpong takes no value"},
        {{"render", "--version"}, 2, "", "unknown option --version"},
        {{"--quiet=yes", "fit", p}, 2, "", "fennix-morph: --quiet takes no value (see --help)\n"},
        // A value that looks like an option is the option's value.
        {{"fit", "--output", "--help"},
         2,
         "",
         "fennix-morph: fit needs PROJECT.mph (see --help)\n"},
        // After "--" everything is an argument.
        {{"new", "a", "b", "--", "c", "--rows"},
         2,
         "",
         "new takes START END PROJECT.mph only, not also --rows"},
        // Failures of the command itself: status 1.
        {{"render", File("none.mph"), File("out")}, 1, "", "fennix-morph: cannot open the project"},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& arg : c.args) line += arg + " ";
        SCOPED_TRACE(line);
        const test::CliResult run = RunCli(c.args);
        EXPECT_EQ(run.status, c.status);
        if (c.out.empty()) {
            EXPECT_EQ(run.out, "");
        } else {
            EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        }
        if (c.err.empty()) {
            EXPECT_EQ(run.err, "");
        } else {
            EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        }
        if (c.status != 0 && !c.args.empty()) {
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        }
    }
    EXPECT_FALSE(fs::exists(File("out")));
}

TEST_F(CommandLineTest, VersionNamesTheProgram) {
    const test::CliResult run = RunCli({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(std::regex_match(run.out, std::regex("fennix-morph [0-9]+\\.[0-9]+(\\.[0-9]+)*\n")))
        << run.out;
    EXPECT_EQ(run.err, "");
}

// "--opt=value" and "--opt value" give the same; a repeated option keeps
// its last value.
TEST_F(CommandLineTest, BothOptionFormsAreRead) {
    for (const Args& options : {Args{"--rows=6", "--cols", "4"}, Args{"--rows", "6", "--cols=4"},
                                Args{"--rows=2", "--cols=4", "--rows=6"}}) {
        Args args = {"new", File("s.bmp"), File("e.bmp"), File("p.mph"), "--force"};
        args.insert(args.end(), options.begin(), options.end());
        const auto run = RunCli(args);
        ASSERT_EQ(run.status, 0) << run.err;
        MorphProject project;
        ASSERT_EQ(LoadMorphFile(File("p.mph"), project), "");
        EXPECT_EQ(project.Matrix1.Rows, 6);
        EXPECT_EQ(project.Matrix1.Columns, 4);
    }
}

// A name that starts with "-" is an argument after "--" (and an unknown
// option before it), and keeps its bytes.
TEST_F(CommandLineTest, DoubleDashEndsTheOptions) {
    const std::string start = "-s\xE9.bmp";
    fs::copy_file(File("s.bmp"), File(start));
    const std::string here = fs::current_path();
    fs::current_path(folder.Path());
    const auto refused = RunCli({"new", start, "e.bmp", "-p.mph"});
    const auto made = RunCli({"new", "--frames", "3", "--", start, "e.bmp", "-p.mph"});
    fs::current_path(here);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("unknown option -s"), std::string::npos) << refused.err;
    ASSERT_EQ(made.status, 0) << made.err;
    MorphProject project;
    ASSERT_EQ(LoadMorphFile(File("-p.mph"), project), "");
    EXPECT_EQ(project.Matrix1.ImagePath, File(start));
    EXPECT_EQ(project.LastFrame, 2);
}

// --quiet, before or after the command, leaves out the progress line and
// the summary; a failure is still reported.
TEST_F(CommandLineTest, QuietLeavesOutProgressAndSummary) {
    MakeProject();
    const std::string p = File("p.mph");
    for (const Args& args :
         {Args{"--quiet", "render", p, File("a")}, Args{"render", p, File("b"), "--quiet"},
          Args{"avi", File("frames"), File("m.avi"), "--quiet"}, Args{"--quiet", "fit", p}}) {
        const test::CliResult run = RunCli(args, true);
        EXPECT_EQ(run.status, 0) << args[1] << run.err;
        EXPECT_EQ(run.out, "") << args[1];
        // The fit may warn that the pictures have nothing in common.
        if (args[1] != "fit") {
            EXPECT_EQ(run.err, "") << args[1];
        }
    }
    // Without it the same commands show their progress and summary.
    const test::CliResult loud = RunCli({"render", p, File("c")}, true);
    EXPECT_EQ(loud.err, "\rframe 1/2\rframe 2/2\n");
    const test::CliResult fitted = RunCli({"fit", p}, true);
    EXPECT_EQ(fitted.out.rfind("fitted " + p + ": ", 0), 0u) << fitted.out;
    EXPECT_EQ(fitted.err.rfind("\rfit ", 0), 0u) << fitted.err;
    const test::CliResult failed = RunCli({"--quiet", "render", File("none.mph"), File("d")}, true);
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("fennix-morph: cannot open the project"), std::string::npos);
}

// Every command that writes a file refuses one that exists unless --force
// is given (then it is replaced); render does the same for a folder that
// holds frames. The existing file is untouched when refused.
TEST_F(CommandLineTest, AnExistingOutputIsReplacedOnlyWithForce) {
    MakeProject();
    struct Case {
        Args args;
        std::string existing;  // a file the command would replace
        std::string refusal;
    };
    const std::string p = File("p.mph"), frames = File("frames");
    fs::create_directory(File("old"));
    const Case cases[] = {
        {{"new", File("s.bmp"), File("e.bmp"), File("q.mph")},
         File("q.mph"),
         "the project " + File("q.mph") + " already exists; use --force to replace it"},
        {{"fit", p, "--output", File("r.mph")},
         File("r.mph"),
         "the project " + File("r.mph") + " already exists; use --force to replace it"},
        {{"avi", frames, File("m.avi")},
         File("m.avi"),
         "the video " + File("m.avi") + " already exists; use --force to replace it"},
        {{"video", frames, File("m.gif")},
         File("m.gif"),
         "the video " + File("m.gif") + " already exists; use --force to replace it"},
        {{"render", p, File("old")},
         File("old/000.bmp"),
         "the folder " + File("old") + " already holds frames (000.bmp)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        test::WriteFile(c.existing, "yesterday's");
        const test::CliResult refused = RunCli(c.args);
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.err.rfind("fennix-morph: " + c.refusal, 0), 0u) << refused.err;
        EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
        EXPECT_EQ(ReadFile(c.existing), "yesterday's");

        Args forced = c.args;
        forced.push_back("--force");
        const test::CliResult replaced = RunCli(forced);
        EXPECT_EQ(replaced.status, 0) << replaced.err;
        EXPECT_GT(ReadFile(c.existing).size(), 20u);
    }
    // fit without --output updates its own project in place.
    const auto inPlace = RunCli({"fit", p});
    EXPECT_EQ(inPlace.status, 0) << inPlace.err;
}

// No command writes over one of its inputs, --force or not.
TEST_F(CommandLineTest, AnInputIsNeverOverwritten) {
    MakeProject();
    test::WriteFile(File("points.txt"), "10 10 12 12\n");
    fs::create_hard_link(File("frames/001.bmp"), File("h.gif"));
    const std::string p = File("p.mph"), frames = File("frames");
    struct Case {
        Args args;
        std::string input;
        std::string message;
    };
    const Case cases[] = {
        {{"new", File("s.bmp"), File("e.bmp"), File("e.bmp")},
         File("e.bmp"),
         "cannot write the project " + File("e.bmp") + ": it is the end picture"},
        {{"new", File("s.bmp"), File("e.bmp"), File("points.txt"), "--points", File("points.txt")},
         File("points.txt"),
         "it is the points file " + File("points.txt")},
        {{"fit", p, "--output", p}, p, "it is the project " + p},
        {{"fit", p, "--output", File("s.bmp")},
         File("s.bmp"),
         "cannot write the project " + File("s.bmp") + ": it is the start picture"},
        {{"avi", frames, File("frames/000.bmp")},
         File("frames/000.bmp"),
         "is one of the frames of"},
        {{"video", frames, File("h.gif")}, File("frames/001.bmp"), "is one of the frames of"},
    };
    for (const Case& c : cases) {
        for (const bool force : {false, true}) {
            SCOPED_TRACE(c.args[0] + " " + c.args.back() + (force ? " --force" : ""));
            const std::string before = ReadFile(c.input);
            Args args = c.args;
            if (force) args.push_back("--force");
            const test::CliResult run = RunCli(args);
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            EXPECT_EQ(ReadFile(c.input), before);
        }
    }
}

}  // namespace
}  // namespace fennix
