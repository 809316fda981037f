#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "ui/frame/Fennix_Mdif.h"
#include "model/ProgramFiles.h"
#include "model/Settings.h"
#include "model/TempImages.h"
#include "ui/document/Fennix_Main.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;

void WritePair(const TempImagePair& pair) {
    test::WriteFile(pair.start, "start");
    test::WriteFile(pair.end, "end");
}

// Two copies of the program in one temporary folder, each a workspace with
// an owner tag of its own, as two processes have.
TEST(WorkingFiles, TwoCopiesNeverTouchEachOthersImages) {
    test::TestFolder temp;
    TempWorkspace first, second;
    ASSERT_TRUE(first.Claim(temp.Path(), "100"));
    ASSERT_TRUE(second.Claim(temp.Path(), "200"));
    const TempImagePair mine = first.NextPair();
    const TempImagePair theirs = second.NextPair();
    EXPECT_EQ(mine.start, temp.File("temp_100_0.bmp"));
    EXPECT_EQ(theirs.start, temp.File("temp_200_0.bmp"));
    WritePair(mine);
    WritePair(theirs);

    // Neither takes the other for ended while both run.
    EXPECT_EQ(first.RemoveLeftovers(), 0);
    EXPECT_EQ(second.RemoveLeftovers(), 0);

    // The second quits: its images and lock file go, the first's stay whole.
    second.Release();
    EXPECT_EQ(NamesIn(temp.Path()),
              (std::set<std::string>{"temp_100.lock", "temp_100_0.bmp", "temp_100_1.bmp"}));
    EXPECT_EQ(test::ReadFile(mine.start), "start");
    EXPECT_EQ(test::ReadFile(mine.end), "end");

    // A third copy with the same process id (another namespace) gets a tag
    // of its own.
    TempWorkspace third;
    ASSERT_TRUE(third.Claim(temp.Path(), "100"));
    EXPECT_EQ(third.Tag(), "100-1");
    EXPECT_EQ(third.NextPair().start, temp.File("temp_100-1_0.bmp"));
    third.Release();
    EXPECT_EQ(test::ReadFile(mine.start), "start");
}

TEST(WorkingFiles, ImagesADocumentStillShowsStayAndGoOnceTheCopyHasEnded) {
    test::TestFolder temp;
    const TempImagePair shown = [&] {
        TempWorkspace ended;
        EXPECT_TRUE(ended.Claim(temp.Path(), "300"));
        const TempImagePair pair = ended.NextPair(), other = ended.NextPair();
        WritePair(pair);
        WritePair(other);
        ended.Release({pair.start, pair.end});
        EXPECT_FALSE(fs::exists(other.start));
        EXPECT_EQ(test::ReadFile(pair.start), "start");
        return pair;
    }();
    // The copy has ended: the next one to start removes what it kept.
    EXPECT_TRUE(fs::exists(temp.File("temp_300.lock")));
    TempWorkspace next;
    ASSERT_TRUE(next.Claim(temp.Path(), "400"));
    EXPECT_EQ(next.RemoveLeftovers(), 3);
    EXPECT_FALSE(fs::exists(shown.start));
    EXPECT_EQ(NamesIn(temp.Path()), std::set<std::string>{"temp_400.lock"});
}

TEST(WorkingFiles, AWorkspaceWithoutItsFolderStillHandsOutNamesAndRemovesThem) {
    test::TestFolder app;
    TempWorkspace workspace;
    EXPECT_FALSE(workspace.Claim(app.File("missing")));
    EXPECT_EQ(workspace.Tag(), std::to_string(getpid()));
    // The folder appears later (made by hand): the handed-out names are
    // the only files removed.
    const TempImagePair pair = workspace.NextPair();
    fs::create_directory(app.File("missing"));
    WritePair(pair);
    test::WriteFile(app.File("missing/temp_" + std::to_string(getpid()) + "_8.bmp"), "x");
    workspace.Release();
    EXPECT_EQ(NamesIn(app.File("missing")),
              std::set<std::string>{"temp_" + std::to_string(getpid()) + "_8.bmp"});
}

// The real thing: a second process with its own process id and lock.
TEST(WorkingFiles, ARunningProcessKeepsItsFilesAndAnEndedOnesAreCleanedUp) {
    test::TestFolder temp;
    test::WriteFile(temp.File("temp_0.bmp"), "older version");
    test::WriteFile(temp.File("notes.txt"), "other");

    int ready[2], quit[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(quit), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The second copy: claims by its process id, prepares a document,
        // then waits and ends without any clean-up of its own.
        TempWorkspace workspace;
        char ok = workspace.Claim(temp.Path()) && workspace.Tag() == std::to_string(getpid());
        const TempImagePair pair = workspace.NextPair();
        WritePair(pair);
        ok = ok && write(ready[1], &ok, 1) == 1;
        char byte;
        (void)!read(quit[0], &byte, 1);
        _exit(ok ? 0 : 1);
    }
    close(ready[1]);
    close(quit[0]);
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_TRUE(ok);
    const std::string tag = std::to_string(child);
    const std::set<std::string> childFiles = {"temp_" + tag + ".lock", "temp_" + tag + "_0.bmp",
                                              "temp_" + tag + "_1.bmp"};

    TempWorkspace mine;
    ASSERT_TRUE(mine.Claim(temp.Path()));
    EXPECT_EQ(mine.Tag(), std::to_string(getpid()));
    WritePair(mine.NextPair());
    EXPECT_EQ(mine.RemoveLeftovers(), 0);  // the child runs
    mine.Release();
    for (const std::string& name : childFiles) EXPECT_TRUE(fs::exists(temp.File(name))) << name;

    // The child dies without cleaning up; the kernel frees its lock.
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    close(ready[0]);
    close(quit[1]);

    TempWorkspace next;
    ASSERT_TRUE(next.Claim(temp.Path()));
    EXPECT_EQ(next.RemoveLeftovers(), 3);
    next.Release();
    EXPECT_EQ(NamesIn(temp.Path()), (std::set<std::string>{"temp_0.bmp", "notes.txt"}));
    EXPECT_EQ(test::ReadFile(temp.File("temp_0.bmp")), "older version");
}

// Start-up and shut-down of the frame when files are in the way.
class ProgramFilesTest : public testing::Test {
protected:
    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    std::string ini() const { return app.Path() + "/Fennix.ini"; }
    std::string temp() const { return app.Path() + "/テンポラリデータ"; }

    // Starts, prepares one document's images, quits; returns their paths.
    TempImagePair RunOnce() {
        Fennix_Mdif frame;
        frame.MDIForm_Load();
        const TempImagePair pair = NextTempImagePair(Settings.TempFolder);
        WritePair(pair);
        EXPECT_TRUE(fs::exists(pair.start));
        frame.MDIForm_Unload();
        return pair;
    }
};

TEST_F(ProgramFilesTest, ASettingsFolderCountsAsMissingAndShutDownStillCleansUp) {
    fs::create_directory(ini());
    test::WriteFile(ini() + "/inside", "kept");
    const TempImagePair pair = RunOnce();
    EXPECT_EQ(Settings.FrameCount, 20);
    EXPECT_EQ(Settings.RecentDisplay, 2);
    EXPECT_FALSE(fs::exists(pair.start));
    EXPECT_FALSE(fs::exists(pair.end));
    EXPECT_TRUE(fs::is_directory(ini()));
    EXPECT_EQ(NamesIn(ini()), std::set<std::string>{"inside"});
    EXPECT_EQ(test::ReadFile(ini() + "/inside"), "kept");
}

TEST_F(ProgramFilesTest, ASettingsFifoIsNeitherWaitedOnNorReplaced) {
    ASSERT_EQ(mkfifo(ini().c_str(), 0644), 0);
    const TempImagePair pair = RunOnce();
    EXPECT_EQ(Settings.FrameCount, 20);
    EXPECT_FALSE(fs::exists(pair.start));
    EXPECT_TRUE(fs::is_fifo(ini()));
}

TEST_F(ProgramFilesTest, ALoopOfLinksCountsAsMissing) {
    fs::create_symlink("Fennix.ini", ini());
    RunOnce();
    EXPECT_EQ(Settings.FrameCount, 20);
    EXPECT_TRUE(fs::is_symlink(ini()));
    EXPECT_EQ(fs::read_symlink(ini()), "Fennix.ini");
}

TEST_F(ProgramFilesTest, AnUnreadableSettingsFileIsNeverReplaced) {
    // /proc/self/mem is a regular file whose first page cannot be read (an
    // I/O error): it must read as missing, and no write may touch it.
    fs::create_symlink("/proc/self/mem", ini());
    RunOnce();
    EXPECT_EQ(Settings.FrameCount, 20);
    EXPECT_TRUE(fs::is_symlink(ini()));
    EXPECT_EQ(NamesIn(app.Path()), (std::set<std::string>{"Fennix.ini", "テンポラリデータ",
                                                           "スタート・エンド画像データ"}));
}

TEST_F(ProgramFilesTest, EachStepRunsWhenTheOneBeforeFails) {
    // The temporary folder cannot be made (a file has its name): the
    // settings still load and save.
    test::WriteFile(temp(), "in the way");
    test::WriteFile(ini(), "[Section]\n総フレーム数= 33\n");
    {
        Fennix_Mdif frame;
        frame.MDIForm_Load();
        EXPECT_EQ(Settings.FrameCount, 33);
        EXPECT_TRUE(fs::is_directory(app.Path() + "/スタート・エンド画像データ"));
        Settings.FrameCount = 34;
        frame.MDIForm_Unload();
    }
    EXPECT_EQ(test::ReadFile(ini()).rfind("[Section]\n総フレーム数= 34\n", 0), 0u);
    EXPECT_EQ(test::ReadFile(temp()), "in the way");
}

TEST_F(ProgramFilesTest, QuitKeepsTheImagesOfADocumentStillOpen) {
    Fennix_Mdif frame;
    frame.MDIForm_Load();
    const TempImagePair open = NextTempImagePair(Settings.TempFolder);
    fs::copy_file(test::SamplePath("sun.bmp"), open.start);
    fs::copy_file(test::SamplePath("moon.bmp"), open.end);
    Fennix_Main* document = frame.CreateDocument();
    ASSERT_TRUE(document->NewMorph(open.start, open.end));
    const TempImagePair closed = NextTempImagePair(Settings.TempFolder);
    WritePair(closed);

    frame.MDIForm_Unload();
    EXPECT_TRUE(fs::exists(open.start));
    EXPECT_TRUE(fs::exists(open.end));
    EXPECT_FALSE(fs::exists(closed.start));
    EXPECT_FALSE(fs::exists(closed.end));
}

}  // namespace
}  // namespace fennix
