#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>

#include "core/RegularFile.h"
#include "core/SafeWrite.h"
#include "support/SmallDisk.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;
using test::ListNames;
using test::ReadFile;
using test::WriteFile;

TEST(SafeWrite, ReplacesRegularFilesAndWritesThroughLinks) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    WriteFile(file, "old");
    ::chmod(file.c_str(), 0640);
    ASSERT_TRUE(ReplaceFileContents(file, "new"));
    EXPECT_EQ(ReadFile(file), "new");
    struct stat info {};
    ::stat(file.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    // A chain of two links, the last one relative: the links stay, the file
    // at the end gets the content. A dangling link creates its target.
    fs::create_directory(folder.File("real"));
    fs::create_symlink("real/a.ini", folder.File("link1"));
    fs::create_symlink(folder.File("link1"), folder.File("link2"));
    WriteFile(folder.File("real/a.ini"), "old");
    ASSERT_TRUE(ReplaceFileContents(folder.File("link2"), "through"));
    EXPECT_TRUE(fs::is_symlink(folder.File("link1")));
    EXPECT_TRUE(fs::is_symlink(folder.File("link2")));
    EXPECT_EQ(ReadFile(folder.File("real/a.ini")), "through");
    fs::create_symlink("real/new.ini", folder.File("dangling"));
    ASSERT_TRUE(ReplaceFileContents(folder.File("dangling"), "made"));
    EXPECT_TRUE(fs::is_symlink(folder.File("dangling")));
    EXPECT_EQ(ReadFile(folder.File("real/new.ini")), "made");
    EXPECT_EQ(ListNames(folder.File("real")), "a.ini new.ini");
}

TEST(SafeWrite, RefusesWhatIsNotARegularFileAndLeavesIt) {
    test::TestFolder folder;
    const std::string fifo = folder.File("fifo"), device = folder.File("null"),
                      dir = folder.File("dir"), readOnly = folder.File("ro.mph");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    fs::create_directory(dir);
    WriteFile(readOnly, "keep");
    ::chmod(readOnly.c_str(), 0444);
    fs::create_symlink("fifo", folder.File("to-fifo"));

    for (const std::string& path :
         {fifo, dir, readOnly, folder.File("to-fifo"), haveDevice ? device : fifo}) {
        std::string why;
        EXPECT_FALSE(ReplaceFileContents(path, "x", &why)) << path;
        EXPECT_NE(why.find(path), std::string::npos) << why;
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_directory(dir) && fs::is_empty(dir));
    if (haveDevice) {
        EXPECT_TRUE(fs::is_character_file(device));
    }
    EXPECT_EQ(ReadFile(readOnly), "keep");
    const std::string expected =
        haveDevice ? "dir fifo null ro.mph to-fifo" : "dir fifo ro.mph to-fifo";
    EXPECT_EQ(ListNames(folder.Path()), expected);

    // Removing touches regular files only.
    EXPECT_FALSE(RemoveRegularFile(fifo));
    EXPECT_FALSE(RemoveRegularFile(dir));
    EXPECT_FALSE(RemoveRegularFile(folder.File("to-fifo")));
    EXPECT_TRUE(RemoveRegularFile(folder.File("missing")));
    EXPECT_TRUE(fs::is_fifo(fifo) && fs::is_symlink(folder.File("to-fifo")));
}

TEST(SafeWrite, AFullDiskLeavesTheOldFileAndNoScratchFile) {
    test::SmallDisk disk(64 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "mounting a small file system needs root";
    const std::string file = disk.File("project.mph");
    WriteFile(file, "old contents");
    std::string why;
    EXPECT_FALSE(ReplaceFileContents(file, std::string(200 * 1024, 'x'), &why));
    EXPECT_NE(why.find("No space"), std::string::npos) << why;
    EXPECT_EQ(ReadFile(file), "old contents");
    EXPECT_EQ(ListNames(disk.Path()), "project.mph");

    // Scratch files left by a process that was killed never block a save.
    for (int i = 0; i < 50; ++i) WriteFile(disk.File(".project.mph." + std::to_string(i)), "");
    EXPECT_TRUE(ReplaceFileContents(file, "new"));
    EXPECT_EQ(ReadFile(file), "new");

    // A file that is discarded or abandoned leaves nothing.
    {
        SafeFile abandoned;
        ASSERT_TRUE(abandoned.Begin(disk.File("video.avi")));
        ASSERT_TRUE(abandoned.Write("half"));
    }
    EXPECT_FALSE(fs::exists(disk.File("video.avi")));
    EXPECT_EQ(ListNames(disk.Path()).find(".tmp"), std::string::npos);
}

TEST(RegularFile, ReadsOnlyRegularFilesAndNeverBlocks) {
    test::TestFolder folder;
    const std::string fifo = folder.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(OpenRegularFile(fifo), -1);  // returns at once: no writer is waited for
    EXPECT_FALSE(ReadRegularFile(fifo, 100));
    EXPECT_FALSE(ReadRegularFile(folder.Path(), 100));
    EXPECT_FALSE(ReadRegularFile(folder.File("missing"), 100));
    WriteFile(folder.File("a"), "12345");
    EXPECT_EQ(ReadRegularFile(folder.File("a"), 5), "12345");
    EXPECT_FALSE(ReadRegularFile(folder.File("a"), 4));
    EXPECT_TRUE(IsRegularFile(folder.File("a")));
    EXPECT_FALSE(IsRegularFile(fifo));
}

}  // namespace
}  // namespace fennix
