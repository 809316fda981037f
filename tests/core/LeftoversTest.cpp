// What killed processes leave behind: scratch files of unfinished writes
// and scratch folders, removed by a later run only once their process has
// ended.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "core/SafeWrite.h"
#include "core/ScratchFolder.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;
using test::ListNames;
using test::WriteFile;

// The id of a process that has ended: a child that exits at once, waited
// for. (The system hands the number out again only after going round.)
int EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST(Leftovers, ScratchFileNamesCarryTheirProcess) {
    test::TestFolder folder;
    SafeFile file;
    ASSERT_TRUE(file.Begin(folder.File("video.avi")));
    const std::string name = fs::path(file.ScratchPath()).filename().string();
    EXPECT_EQ(name.rfind(".video.avi." + std::to_string(::getpid()) + "-", 0), 0u) << name;
    EXPECT_EQ(ScratchFileOwner(name), ::getpid());
    // A write in progress is never taken for a leftover, not even by a
    // cleaner that does not know the process (the file is locked).
    EXPECT_EQ(RemoveAbandonedScratchFiles(folder.Path()), 0);
    EXPECT_TRUE(fs::exists(file.ScratchPath()));

    struct Case {
        std::string name;
        int owner;
    };
    const Case cases[] = {
        {".a.bmp.4711-0123abcd.tmp", 4711},   {".fennix-4711-0123abcd.tmp", 4711},
        {".my-file.ini.12-ffffffff.tmp", 12}, {".a.bmp.0123abcd.tmp", 0},  // an older version's
        {".fennix-0123abcd.tmp", 0},          {".a.bmp.4711-0123ABCD.tmp", 0},
        {".a.bmp.0711-0123abcd.tmp", 0},      {"a.bmp.4711-0123abcd.tmp", 0},
        {".a-4711-0123abcd.tmp", 0},          {".a.bmp.4711-0123abcd.tmpx", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ScratchFileOwner(c.name), c.owner) << c.name;
}

TEST(Leftovers, OnlyScratchFilesOfEndedProcessesAreRemoved) {
    test::TestFolder folder;
    const std::string ended = std::to_string(EndedProcess());
    const std::string own = std::to_string(::getpid());
    // A killed write: the child makes a scratch file and dies before Commit.
    const pid_t child = ::fork();
    if (child == 0) {
        SafeFile* killed = new SafeFile;
        killed->Begin(folder.Path() + "/frame.bmp");
        ::_exit(killed->Write("half") ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    WriteFile(folder.File(".Fennix.ini." + ended + "-0123abcd.tmp"), "half");
    WriteFile(folder.File(".fennix-" + ended + "-89abcdef.tmp"), "half");
    WriteFile(folder.File(".Fennix.ini." + own + "-0123abcd.tmp"), "mine, running");
    WriteFile(folder.File(".Fennix.ini.1-0123abcd.tmp"), "of a running process");
    WriteFile(folder.File(".Fennix.ini.0123abcd.tmp"), "owner unknown");
    WriteFile(folder.File("photo." + ended + "-0123abcd.tmp"), "not hidden: not ours");
    fs::create_directory(folder.File(".dir." + ended + "-0123abcd.tmp"));
    WriteFile(folder.File("target"), "x");
    fs::create_symlink("target", folder.File(".link." + ended + "-0123abcd.tmp"));
    // A file still held by a writer this process cannot see (another process
    // namespace reusing the number of an ended one) stays.
    const std::string held = folder.File(".held.bmp." + ended + "-0123abcd.tmp");
    WriteFile(held, "x");
    const int holder = ::open(held.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    EXPECT_EQ(RemoveAbandonedScratchFiles(folder.Path()), 3);
    EXPECT_EQ(ListNames(folder.Path()),
              ".Fennix.ini.0123abcd.tmp .Fennix.ini.1-0123abcd.tmp .Fennix.ini." + own +
                  "-0123abcd.tmp .dir." + ended + "-0123abcd.tmp .held.bmp." + ended +
                  "-0123abcd.tmp .link." + ended + "-0123abcd.tmp photo." + ended +
                  "-0123abcd.tmp target");
    ::close(holder);
    EXPECT_EQ(RemoveAbandonedScratchFiles(folder.Path()), 1);
    EXPECT_EQ(RemoveAbandonedScratchFiles(folder.File("missing")), 0);
}

TEST(Leftovers, ScratchFoldersOfEndedProcessesAreRemoved) {
    test::TestFolder parent;
    std::string path;
    {
        ScratchFolder scratch(parent.Path(), "fennix-morph");
        ASSERT_TRUE(scratch.Valid());
        path = scratch.Path();
        const std::string name = fs::path(path).filename().string();
        EXPECT_EQ(name.rfind("fennix-morph-" + std::to_string(::getpid()) + "-", 0), 0u) << name;
        WriteFile(path + "/Dumy.bmp", "x");
        // In use: stays, whoever cleans.
        EXPECT_EQ(RemoveAbandonedScratchFolders(parent.Path(), "fennix-morph"), 0);
        EXPECT_TRUE(fs::exists(path + "/Dumy.bmp"));
    }
    EXPECT_FALSE(fs::exists(path));

    // A killed run: the child makes its folder and dies without cleaning up.
    const pid_t child = ::fork();
    if (child == 0) {
        auto* killed = new ScratchFolder(parent.Path(), "fennix-morph");
        WriteFile(killed->Path() + "/Dumy.bmp", "x");
        ::_exit(killed->Valid() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    const std::string ended = std::to_string(EndedProcess());
    for (const std::string& name : std::vector<std::string>{
             "fennix-morph-" + ended + "-aB3xYz", "fennix-morph-1-aB3xYz", "fennix-morph-aB3xYz",
          "fennix-morph-" + ended + "-aB3x", "other-" + ended + "-aB3xYz"})
        fs::create_directories(parent.File(name) + "/inner");
    fs::create_directory(parent.File("outside"));
    fs::create_directory_symlink("outside", parent.File("fennix-morph-" + ended + "-linkxx"));

    EXPECT_EQ(RemoveAbandonedScratchFolders(parent.Path(), "fennix-morph"), 2);
    EXPECT_EQ(ListNames(parent.Path()), "fennix-morph-1-aB3xYz fennix-morph-" + ended +
                                            "-aB3x fennix-morph-" + ended +
                                            "-linkxx fennix-morph-aB3xYz other-" + ended +
                                            "-aB3xYz outside");
    EXPECT_TRUE(fs::exists(parent.File("outside")));
}

}  // namespace
}  // namespace fennix
