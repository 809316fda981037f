#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "core/TextEncoding.h"
#include "core/Profile.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

TEST(Profile, MissingFileSectionOrKeyReadsEmpty) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    EXPECT_EQ(Profile::Read(file, "Section", "k"), "");
    test::WriteFile(file, "[Other]\nk=1\n");
    EXPECT_EQ(Profile::Read(file, "Section", "k"), "");
    EXPECT_EQ(Profile::Read(file, "Other", "missing"), "");
}

TEST(Profile, NamesMatchWithoutCaseAndBlanksAreTrimmed) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    test::WriteFile(file, "; comment\r\n[ section ]\r\n  Key  =  some value  \r\nnoequals\r\n");
    EXPECT_EQ(Profile::Read(file, "SECTION", "key"), "some value");
}

TEST(Profile, WriteReplacesInPlaceAppendsAndKeepsEverythingElse) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    test::WriteFile(file, "[First]\na=1\n\n[Section]\nb=2\nc=3\n\n[Last]\nd=4\n");

    ASSERT_TRUE(Profile::Write(file, "section", "C", "30"));
    ASSERT_TRUE(Profile::Write(file, "Section", "e", "5"));
    ASSERT_TRUE(Profile::Write(file, "New", "f", "6"));
    EXPECT_EQ(test::ReadFile(file),
              "[First]\na=1\n\n[Section]\nb=2\nC=30\ne=5\n\n[Last]\nd=4\n[New]\nf=6\n");
}

TEST(Profile, WriteCreatesTheFileAndKeepsCrLfFiles) {
    test::TestFolder folder;
    const std::string file = folder.File("new.ini");
    ASSERT_TRUE(Profile::Write(file, "Section", "総フレーム数", " 20"));
    EXPECT_EQ(test::ReadFile(file), "[Section]\n総フレーム数= 20\n");
    EXPECT_EQ(Profile::Read(file, "Section", "総フレーム数"), "20");

    const std::string crlf = folder.File("crlf.ini");
    test::WriteFile(crlf, "[Section]\r\na=1\r\n");
    ASSERT_TRUE(Profile::Write(crlf, "Section", "b", "2"));
    EXPECT_EQ(test::ReadFile(crlf), "[Section]\r\na=1\r\nb=2\r\n");
}

TEST(Profile, LongValuesReadBackWhole) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    const std::string value = "/home/user/" + std::string(300, 'x');
    ASSERT_TRUE(Profile::Write(file, "Section", "path", value));
    EXPECT_EQ(Profile::Read(file, "Section", "path"), value);
}

TEST(Profile, FailedWriteLeavesNoFileBehind) {
    test::TestFolder folder;
    EXPECT_FALSE(Profile::Write(folder.File("no/such/folder/a.ini"), "Section", "a", "1"));

    // A read-only settings file stays as it is, though its folder is
    // writable.
    const std::string file = folder.File("kept.ini");
    test::WriteFile(file, "[Section]\na=1\n");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    EXPECT_FALSE(Profile::Write(file, "Section", "a", "2"));
    EXPECT_EQ(test::ReadFile(file), "[Section]\na=1\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

// A settings file with one line in another encoding: another program's
// section in Latin-1, say. Everything else reads as UTF-8, and a write
// leaves every line it does not set byte for byte as it was.
TEST(Profile, OneStrayByteChangesNothingElse) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    const std::string other = "[Other]\r\nname=caf\xE9\r\n";
    test::WriteFile(file, other + "[Section]\r\n総フレーム数= 12\r\nkeep=ü\r\n");
    EXPECT_EQ(Profile::Read(file, "Section", "総フレーム数"), "12");
    EXPECT_EQ(Profile::Read(file, "Section", "keep"), "ü");

    ASSERT_TRUE(Profile::Write(file, "Section", "総フレーム数", " 13"));
    ASSERT_TRUE(Profile::Write(file, "Section", "new", "x"));
    EXPECT_EQ(test::ReadFile(file),
              other + "[Section]\r\n総フレーム数= 13\r\nkeep=ü\r\nnew=x\r\n");
}

// The Windows program's files are cp932 throughout; a key written in UTF-8
// replaces its cp932 line instead of being added a second time.
TEST(Profile, Cp932LinesReadAndAreReplacedInPlace) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    // 総フレーム数 and マトリクス行数 in cp932.
    const std::string frames = "\x91\x8D\x83\x74\x83\x8C\x81\x5B\x83\x80\x90\x94";
    const std::string rows = "\x83\x7D\x83\x67\x83\x8A\x83\x4E\x83\x58\x8D\x73\x90\x94";
    test::WriteFile(file, "[Section]\r\n" + frames + "= 12\r\n" + rows + "= 9\r\n");
    EXPECT_EQ(Profile::Read(file, "Section", "総フレーム数"), "12");
    ASSERT_TRUE(Profile::Write(file, "Section", "総フレーム数", " 30"));
    EXPECT_EQ(test::ReadFile(file), "[Section]\r\n総フレーム数= 30\r\n" + rows + "= 9\r\n");
    EXPECT_EQ(Profile::Read(file, "Section", "マトリクス行数"), "9");
}

// A value in Latin-1 under a UTF-8 key: the key still matches, the value
// reads as cp932 text and as the bytes it was written as.
TEST(Profile, ValuesKeepTheirBytes) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    const std::string latin1 = "/home/r\xE9sum\xE9";
    ASSERT_TRUE(Profile::Write(file, "Section", "フォルダ", latin1));
    ASSERT_TRUE(Profile::Write(file, "Section", "フォルダ", latin1));
    EXPECT_EQ(test::ReadFile(file), "[Section]\nフォルダ=" + latin1 + "\n");
    EXPECT_EQ(Profile::ReadBytes(file, "Section", "フォルダ"), latin1);
    EXPECT_EQ(Profile::Read(file, "Section", "フォルダ"), Cp932ToUtf8(latin1));
}

TEST(Profile, LineBreaksOfEveryLineStayAsTheyAre) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    // A byte-order mark, mixed breaks, and no break after the last line.
    test::WriteFile(file, "\xEF\xBB\xBF[Section]\r\na=1\nb=2\r\nc=3");
    EXPECT_EQ(Profile::Read(file, "section", "a"), "1");
    ASSERT_TRUE(Profile::Write(file, "Section", "b", "20"));
    EXPECT_EQ(test::ReadFile(file), "\xEF\xBB\xBF[Section]\r\na=1\nb=20\r\nc=3");
    ASSERT_TRUE(Profile::Write(file, "Section", "d", "4"));
    EXPECT_EQ(test::ReadFile(file), "\xEF\xBB\xBF[Section]\r\na=1\nb=20\r\nc=3\r\nd=4\r\n");
}

// A value with a line break would stand on two lines, the second one a key
// of its own that wins on the next read.
TEST(Profile, ValuesNeverCarryALineBreakIntoTheFile) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    test::WriteFile(file, "[Section]\nname=old\nforged=no\n");
    for (const char* value : {"a\nforged=yes", "a\r\nforged=yes", "a\rforged=yes", "\n"}) {
        ASSERT_TRUE(Profile::Write(file, "Section", "name", value));
        EXPECT_EQ(test::ReadFile(file), "[Section]\nname=\nforged=no\n");
        EXPECT_EQ(Profile::Read(file, "Section", "forged"), "no");
    }
    ASSERT_TRUE(Profile::Write(file, "Section", "name", "new"));
    // Names that cannot stand in the file are refused, and nothing changes.
    EXPECT_FALSE(Profile::Write(file, "Section", "a\nforged", "yes"));
    EXPECT_FALSE(Profile::Write(file, "Section", "forged=yes;", "x"));
    EXPECT_FALSE(Profile::Write(file, "Sec]\n[tion", "a", "x"));
    EXPECT_FALSE(Profile::Write(file, "Section", {{"ok", "1"}, {"", "2"}}));
    EXPECT_EQ(test::ReadFile(file), "[Section]\nname=new\nforged=no\n");
}

TEST(Profile, SeveralKeysGoInOneWrite) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    test::WriteFile(file, "[Section]\nb=2\n[Other]\nz=1\n");
    ASSERT_TRUE(Profile::Write(file, "Section", {{"a", "1"}, {"B", "20"}, {"c", "3"}}));
    EXPECT_EQ(test::ReadFile(file), "[Section]\nB=20\na=1\nc=3\n[Other]\nz=1\n");
}

// A settings "file" that is a folder, a FIFO, a loop of links or a file
// that cannot be read: it reads as missing and is never replaced.
TEST(Profile, UnreadableFilesReadEmptyAndAreNeverWritten) {
    test::TestFolder folder;
    const std::string dir = folder.File("dir.ini");
    std::filesystem::create_directory(dir);
    const std::string fifo = folder.File("fifo.ini");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const std::string loop = folder.File("loop.ini");
    std::filesystem::create_symlink("loop.ini", loop);
    // /proc/self/mem is a regular file whose first page gives an I/O error.
    const std::string ioError = folder.File("io.ini");
    std::filesystem::create_symlink("/proc/self/mem", ioError);
    // A writable regular file too large to be a settings file: were it taken
    // for empty, a write would replace it with one key.
    const std::string huge = folder.File("huge.ini");
    test::WriteFile(huge, "[Section]\na=0\n");
    std::filesystem::resize_file(huge, 17 << 20);

    for (const std::string& file : {dir, fifo, loop, ioError, huge}) {
        EXPECT_EQ(Profile::Read(file, "Section", "a"), "") << file;
        EXPECT_FALSE(Profile::Write(file, "Section", "a", "1")) << file;
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    EXPECT_TRUE(std::filesystem::is_empty(dir));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(std::filesystem::read_symlink(loop), "loop.ini");
    EXPECT_EQ(std::filesystem::file_size(huge), 17u << 20);
    EXPECT_EQ(test::ReadFile(huge).substr(0, 14), "[Section]\na=0\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              5);
}

}  // namespace
}  // namespace fennix
