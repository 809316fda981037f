#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/AppFolder.h"
#include "model/ProjectFile.h"
#include "support/TestFolder.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

using test::AppFolderScope;
using test::ReadFile;
using test::TestFolder;
using test::WriteFile;

MatrixRecord Record(const std::string& image, int width, int height, int rows, int columns) {
    MatrixRecord m = test::Grid(width, height, rows, columns);
    m.ImagePath = image;
    m.PointerSize = 4;
    m.MatrixColor = 16777215;
    m.PointerColor = 255;
    return m;
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start) + "<no CR LF>");
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

class ProjectFileTest : public testing::Test {
  protected:
    ProjectFileTest() {
        start = Record(app.Path() + "/start.bmp", 320, 240, 5, 5);
        end = Record(app.Path() + "/end.bmp", 320, 240, 5, 5);
        WriteFile(start.ImagePath, "BM");
        WriteFile(end.ImagePath, "BM");
    }

    std::string Save(const std::string& path, int lastFrame = 19) {
        return SaveMorphFile(path, start, end, app.Path(), lastFrame, 0x808080);
    }

    AppFolderScope app;
    TestFolder folder;
    MatrixRecord start, end;
};

// Default, single-cell and uneven grids write the documented number of
// lines and read back into exactly the records that were saved.
TEST_F(ProjectFileTest, RoundTripRestoresEveryValue) {
    struct Case {
        int rows, columns;
        size_t lines;
    };
    for (const Case c : {Case{5, 5, 163}, Case{1, 1, 35}, Case{3, 7, 2 + 2 * (64 + 8) + 1}}) {
        start = Record(start.ImagePath, 320, 240, c.rows, c.columns);
        end = Record(end.ImagePath, 320, 240, c.rows, c.columns);
        start.Points(2, 2) = {-5, 7};  // negative values survive with their sign
        end.PointerColor = 65280;
        const std::string path = folder.File("m.mph");
        ASSERT_EQ(Save(path, 41), "");

        const std::vector<std::string> lines = Lines(ReadFile(path));
        ASSERT_EQ(lines.size(), c.lines) << c.rows << "x" << c.columns;
        EXPECT_EQ(lines[0], "\"" + app.Path() + "\"");
        EXPECT_EQ(lines[1], "41");
        EXPECT_EQ(lines[2], "255");
        EXPECT_EQ(lines[4], "\"" + start.ImagePath + "\"");
        EXPECT_EQ(lines.back(), std::to_string(0x808080));
        // Column index outer, row index inner: the second point line pair is
        // point (2, 1), and point (1, 2) follows the whole first row.
        EXPECT_EQ(lines[8 + 2], std::to_string(start.Points(2, 1).X));
        EXPECT_EQ(lines[8 + 2 * (c.rows + 1)], std::to_string(start.Points(1, 2).X));
        if (c.rows == 3) {
            EXPECT_EQ(lines[8 + 2 * (c.rows + 2)], "-5");
        }

        MorphProject read;
        ASSERT_EQ(LoadMorphFile(path, read), "");
        EXPECT_EQ(read.Folder, app.Path());
        EXPECT_EQ(read.LastFrame, 41);
        EXPECT_EQ(read.Matrix1, start);
        EXPECT_EQ(read.Matrix2, end);
        EXPECT_EQ(read.BackgroundColor, 0x808080);
    }
}

TEST_F(ProjectFileTest, MissingFolderReadsAsTheApplicationFolder) {
    const std::string path = folder.File("m.mph");
    ASSERT_EQ(SaveMorphFile(path, start, end, "/no/such/folder", 19, 0), "");
    MorphProject read;
    ASSERT_EQ(LoadMorphFile(path, read), "");
    EXPECT_EQ(read.Folder, ApplicationFolder() + "/");
}

// A project moved together with its images opens from the new place, also
// when the stored paths are Windows paths in cp932.
TEST_F(ProjectFileTest, ImagesAreFoundBesideAMovedProject) {
    WriteFile(folder.File("画像_001.bmp"), "BM");
    WriteFile(folder.File("end_001.bmp"), "BM");
    start.ImagePath = "C:\\モーフ\\画像_001.bmp";
    end.ImagePath = "/gone/end_001.bmp";
    const std::string path = folder.File("m.mph");
    ASSERT_EQ(Save(path), "");
    MorphProject read;
    ASSERT_EQ(LoadMorphFile(path, read), "");
    EXPECT_EQ(read.Matrix1.ImagePath, folder.File("画像_001.bmp"));
    EXPECT_EQ(read.Matrix2.ImagePath, folder.File("end_001.bmp"));

    // The same file as the Windows program writes it: cp932 text.
    std::string windows = ReadFile(path);
    const std::string utf8 = "モーフ\\画像";
    const std::string cp932 = "\x83\x82\x81\x5b\x83\x74\\\x89\xe6\x91\x9c";
    windows.replace(windows.find(utf8), utf8.size(), cp932);
    WriteFile(path, windows);
    MorphProject fromWindows;
    ASSERT_EQ(LoadMorphFile(path, fromWindows), "");
    EXPECT_EQ(fromWindows.Matrix1.ImagePath, folder.File("画像_001.bmp"));
    EXPECT_EQ(fromWindows.Matrix1.Points, start.Points);
}

// Names whose bytes hold 0x5C ("\\" in a Linux name, the second byte of
// cp932 表 and ソ) are found beside a moved project: a path of this system
// splits only at "/", one of the Windows program as cp932 at "\\".
TEST_F(ProjectFileTest, NamesHoldingABackslashByteAreFoundBesideAMovedProject) {
    struct Case {
        std::string stored;  // the path as the project file holds it
        std::string beside;  // the picture's name beside the project
        bool windowsFile;    // written as the Windows program writes (cp932)
    };
    const Case cases[] = {
        {"/gone/pics/a\\b.bmp", "a\\b.bmp", false},
        {"/gone/pics/\x95\x5C.bmp", "\x95\x5C.bmp", false},  // a Linux name in cp932 bytes
        {"/gone/pics/\x83\x5C\x95\x5C.bmp", "\x83\x5C\x95\x5C.bmp", false},
        {"C:\\\x83\x82\x81\x5b\x83\x74\\\x95\x5C.bmp", "表.bmp", true},
        {"C:\\\x83\x82\x81\x5b\x83\x74\\\x95\x5C.bmp", "\x95\x5C.bmp", true},
        {"\\\\server\\\x83\x5C.bmp", "ソ.bmp", true},
        {"C:\\work\\ソ表.bmp", "ソ表.bmp", false},  // a UTF-8 file with a Windows path
    };
    for (const Case& c : cases) {
        TestFolder moved;
        WriteFile(moved.File(c.beside), "BM");
        // Decoys: what a split inside the name would find.
        WriteFile(moved.File(".bmp"), "BM");
        WriteFile(moved.File("b.bmp"), "BM");
        const std::string path = moved.File("m.mph");
        ASSERT_EQ(Save(path), "");
        std::string bytes = ReadFile(path);
        bytes.replace(bytes.find(start.ImagePath), start.ImagePath.size(), c.stored);
        if (c.windowsFile) {
            // Another line in cp932 too, as the Windows program would write it.
            bytes.replace(bytes.find(app.Path()), app.Path().size(), "C:\\\x83\x82");
        }
        WriteFile(path, bytes);
        MorphProject read;
        ASSERT_EQ(LoadMorphFile(path, read), "") << c.beside;
        EXPECT_EQ(read.Matrix1.ImagePath, moved.File(c.beside)) << c.beside;
        EXPECT_EQ(read.Matrix2.ImagePath, end.ImagePath);
    }
}

// A project is never written over one of its own pictures: under its name,
// through a link or as a hard link. The message names both files.
TEST_F(ProjectFileTest, APictureIsNeverReplacedByItsProject) {
    const std::string picture = ReadFile(start.ImagePath);
    std::filesystem::create_symlink(start.ImagePath, folder.File("link.mph"));
    std::filesystem::create_hard_link(end.ImagePath, folder.File("hard.mph"));
    struct Case {
        std::string path, image, side, english;
    };
    const Case cases[] = {
        {start.ImagePath, start.ImagePath, "開始画像", "start"},
        {end.ImagePath, end.ImagePath, "終了画像", "end"},
        {folder.File("link.mph"), start.ImagePath, "開始画像", "start"},
        {folder.File("hard.mph"), end.ImagePath, "終了画像", "end"},
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_EQ(SaveMorphFile(c.path, start, end, app.Path(), 19, 0, &reason),
                  "保存できませんでした。" + c.path + "\n" + c.side + "（" + c.image +
                      "）と同じファイルには保存できません。");
        EXPECT_EQ(reason, "it is the same file as the " + c.english + " picture " + c.image);
    }
    EXPECT_EQ(ReadFile(start.ImagePath), picture);
    EXPECT_EQ(ReadFile(end.ImagePath), "BM");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.mph")));
    EXPECT_EQ(test::ListNames(folder.Path()), "hard.mph link.mph");
    EXPECT_EQ(Save(folder.File("m.mph")), "");
}

TEST_F(ProjectFileTest, MissingImageIsReportedWithItsStoredPath) {
    end.ImagePath = "/gone/end.bmp";
    const std::string path = folder.File("m.mph");
    ASSERT_EQ(Save(path), "");
    MorphProject read;
    read.LastFrame = 7;
    EXPECT_EQ(LoadMorphFile(path, read), "画像ファイルが無効です。/gone/end.bmp");
    EXPECT_EQ(read.LastFrame, 7);  // nothing half-read is handed out
}

// Damaged files of every kind fail with one message and change nothing.
TEST_F(ProjectFileTest, BrokenFilesFailWithoutChangingTheProject) {
    const std::string path = folder.File("m.mph");
    ASSERT_EQ(Save(path), "");
    const std::vector<std::string> good = Lines(ReadFile(path));
    auto join = [](const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\r\n";
        return text;
    };
    std::vector<std::string> damaged;
    damaged.push_back("");                                        // empty
    damaged.push_back(join({good.begin(), good.begin() + 100}));  // ends early
    damaged.push_back(join({good.begin(), good.end() - 1}));      // no colour
    std::vector<std::string> text = good;
    text[1] = "twenty";
    damaged.push_back(join(text));
    text = good;
    text[5] = "0";  // no cells
    damaged.push_back(join(text));
    text = good;
    text[5] = "2000000000";  // far more points than lines
    damaged.push_back(join(text));
    text = good;
    text[20] = "99999999999";  // beyond 32 bits
    damaged.push_back(join(text));

    for (size_t n = 0; n < damaged.size(); ++n) {
        WriteFile(path, damaged[n]);
        MorphProject read;
        read.LastFrame = 7;
        EXPECT_EQ(LoadMorphFile(path, read), "モーフィングファイルを読み込めませんでした。" + path)
            << "case " << n;
        EXPECT_EQ(read.LastFrame, 7);
    }
    MorphProject read;
    EXPECT_EQ(LoadMorphFile(folder.File("none.mph"), read),
              "モーフィングファイルを読み込めませんでした。" + folder.File("none.mph"));

    // A folder or a pipe under a project name fails at once; a pipe
    // without a writer would otherwise block the open for ever.
    std::filesystem::create_directory(folder.File("dir.mph"));
    EXPECT_EQ(LoadMorphFile(folder.File("dir.mph"), read),
              "モーフィングファイルを読み込めませんでした。" + folder.File("dir.mph"));
    ASSERT_EQ(mkfifo(folder.File("pipe.mph").c_str(), 0600), 0);
    EXPECT_EQ(LoadMorphFile(folder.File("pipe.mph"), read),
              "モーフィングファイルを読み込めませんでした。" + folder.File("pipe.mph"));
    EXPECT_EQ(read.LastFrame, 0);
}

// A save that cannot be completed reports the path and never damages the
// file that was there before, nor leaves a partial file behind.
TEST_F(ProjectFileTest, FailedSaveKeepsThePreviousFile) {
    const std::string path = folder.File("m.mph");
    ASSERT_EQ(Save(path), "");
    const std::string before = ReadFile(path);

    // A full disk, imitated with a file size limit on this process.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 512;
    setrlimit(RLIMIT_FSIZE, &small);
    const std::string result = Save(path, 5);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(result, "保存できませんでした。" + path);
    EXPECT_EQ(ReadFile(path), before);

    const std::string missingFolder = folder.File("gone/m.mph");
    EXPECT_EQ(Save(missingFolder), "保存できませんでした。" + missingFolder);
    std::filesystem::create_directory(folder.File("dir.mph"));
    EXPECT_EQ(Save(folder.File("dir.mph")), "保存できませんでした。" + folder.File("dir.mph"));

    // A read-only project file is not replaced, though its folder is
    // writable.
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_EQ(Save(path, 6), "保存できませんでした。" + path);
    EXPECT_EQ(ReadFile(path), before);

    // Only the project file is left in the folder.
    const auto entries = std::distance(std::filesystem::directory_iterator(folder.Path()),
                                       std::filesystem::directory_iterator());
    EXPECT_EQ(entries, 2);  // m.mph and the folder dir.mph
}

// File names are bytes: a Latin-1 name is stored as it is and found again,
// while a file from the Windows program still reads its cp932 text.
TEST_F(ProjectFileTest, FileNamesThatAreNotUtf8ReadBack) {
    const std::string latin = folder.File("caf\xE9");
    std::filesystem::create_directory(latin);
    start.ImagePath = latin + "/d\xE9" "but.bmp";
    WriteFile(start.ImagePath, "BM");
    const std::string path = latin + "/\xE9t\xE9.mph";
    ASSERT_EQ(SaveMorphFile(path, start, end, latin + "/", 19, 0), "");
    MorphProject read;
    ASSERT_EQ(LoadMorphFile(path, read), "");
    EXPECT_EQ(read.Matrix1.ImagePath, start.ImagePath);
    EXPECT_EQ(read.Matrix2.ImagePath, end.ImagePath);
    EXPECT_EQ(read.Folder, latin + "/");

    // Moved away from its images, a project still finds a Latin-1 name
    // beside itself.
    std::filesystem::rename(start.ImagePath, folder.File("d\xE9" "but.bmp"));
    std::filesystem::rename(path, folder.File("moved.mph"));
    ASSERT_EQ(LoadMorphFile(folder.File("moved.mph"), read), "");
    EXPECT_EQ(read.Matrix1.ImagePath, folder.File("d\xE9" "but.bmp"));
}

TEST_F(ProjectFileTest, OverlongLinesFailAtOnce) {
    const std::string path = folder.File("m.mph");
    ASSERT_EQ(Save(path), "");
    MorphProject read;
    ASSERT_EQ(LoadMorphFile(path, read), "");
    const MorphProject before = read;
    std::string bytes = ReadFile(path);
    bytes.insert(bytes.find("\r\n") + 2, std::string(10 << 20, '1'));
    WriteFile(path, bytes);
    EXPECT_EQ(LoadMorphFile(path, read), "モーフィングファイルを読み込めませんでした。" + path);
    EXPECT_EQ(read, before);
}

TEST(ProjectFileTarget, AddsTheExtensionOnlyWhenMissing) {
    const std::pair<const char*, const char*> cases[] = {
        {"/p/m.mph", "/p/m.mph"},   {"/p/m", "/p/m.mph"},         {"/p/m.MPH", "/p/m.MPH.mph"},
        {"/p/m.mph.bak", "/p/m.mph.bak.mph"}, {"mph", "mph.mph"}, {".mph", ".mph"}};
    for (const auto& [chosen, target] : cases) EXPECT_EQ(ProjectFileTarget(chosen), target) << chosen;
}

}  // namespace
}  // namespace fennix
