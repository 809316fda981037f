#include <gtest/gtest.h>

#include <filesystem>

#include "core/NumberText.h"
#include "core/Paths.h"
#include "core/Rounding.h"
#include "support/CommaLocale.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

TEST(Paths, FolderAndFileNameSplitOnBothSeparators) {
    EXPECT_EQ(PathFolder("C:\\work\\face.mph"), "C:\\work\\");
    EXPECT_EQ(PathFileName("C:\\work\\face.mph"), "face.mph");
    EXPECT_EQ(PathFolder("/home/u/face.mph"), "/home/u/");
    EXPECT_EQ(PathFileName("/home/u/face.mph"), "face.mph");
    EXPECT_EQ(PathFolder("face.mph"), "");
    EXPECT_EQ(PathFileName("face.mph"), "face.mph");
    EXPECT_EQ(JoinPath("/a", "b.ini"), "/a/b.ini");
    EXPECT_EQ(JoinPath("/a/", "b.ini"), "/a/b.ini");
}

// A path of this system splits only at "/"; a path the Windows program
// stored (drive letter, leading "\\") at "\\" as well, read as cp932 when
// it is not UTF-8, so 0x5C as the second byte of 表 or ソ stays in the name.
TEST(Paths, OnlyWindowsPathsSplitAtBackslashes) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    const Case cases[] = {
        {"/home/u\\win\\顔.bmp", "/home/", "u\\win\\顔.bmp"},  // a name holding "\\"
        {"/home/u/a\\b.bmp", "/home/u/", "a\\b.bmp"},
        {"a\\b.bmp", "", "a\\b.bmp"},
        {"/pics/\x95\x5C.bmp", "/pics/", "\x95\x5C.bmp"},   // cp932 表 as a Linux name
        {"/pics/\x83\x5C.bmp", "/pics/", "\x83\x5C.bmp"},   // cp932 ソ
        {"C:\\work\\face.mph", "C:\\work\\", "face.mph"},
        {"c:/work/face.mph", "c:/work/", "face.mph"},
        {"C:\\\x83\x82\\\x95\x5C.bmp", "C:\\\x83\x82\\", "\x95\x5C.bmp"},  // cp932
        {"C:\\モーフ\\表.bmp", "C:\\モーフ\\", "表.bmp"},
        {"\\\\server\\share\\ソ.bmp", "\\\\server\\share\\", "ソ.bmp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathFolder(c.path), c.folder) << c.path;
        EXPECT_EQ(PathFileName(c.path), c.name) << c.path;
    }
    EXPECT_TRUE(IsWindowsPath("C:\\a"));
    EXPECT_TRUE(IsWindowsPath("\\\\srv\\a"));
    EXPECT_FALSE(IsWindowsPath("/C:\\a"));
    EXPECT_FALSE(IsWindowsPath("ab:\\c"));
    EXPECT_EQ(WindowsPathFileName("\\\x95\x5C\\\x83\x5C.bmp"), "\x83\x5C.bmp");
    EXPECT_EQ(WindowsPathFileName("/gone/dir\\ソ.bmp"), "ソ.bmp");
}

// A name that ends in byte 0x5C (a backslash, or cp932 表 and ソ) still gets
// its "/" before what is joined to it; only a path the Windows program stored
// ends in a separating backslash.
TEST(Paths, JoinAddsASeparatorAfterANamesLastBackslashByte) {
    const struct {
        const char* folder;
        const char* joined;
    } cases[] = {
        {"/a", "/a/000.bmp"},
        {"/a/", "/a/000.bmp"},
        {"/a/g\\", "/a/g\\/000.bmp"},
        {"g\\", "g\\/000.bmp"},
        {"/a/\x94\xad\x95\x5c", "/a/\x94\xad\x95\x5c/000.bmp"},    // 発表 in cp932
        {"/a/\x83\x5c", "/a/\x83\x5c/000.bmp"},                    // ソ in cp932
        {"C:\\work\\", "C:\\work\\000.bmp"},
        {"C:\\work", "C:\\work/000.bmp"},
        {"C:\\\x83\x82\x95\x5c", "C:\\\x83\x82\x95\x5c/000.bmp"},  // cp932: 表 ends the name
        {"", "000.bmp"},
    };
    for (const auto& c : cases) EXPECT_EQ(JoinPath(c.folder, "000.bmp"), c.joined) << c.folder;

    test::TestFolder folder;
    const std::string file = folder.File("a.bmp\\");
    test::WriteFile(file, "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(folder.File("b.bmp")));
    test::WriteFile(folder.File("b.bmp"), "x");
    EXPECT_FALSE(FileExists(folder.File("b.bmp\\")));  // "\\" is the name's, not a separator
}

TEST(Paths, SameFileFollowsLinksAndHardLinks) {
    test::TestFolder folder;
    const std::string file = folder.File("s.bmp"), other = folder.File("e.bmp");
    test::WriteFile(file, "BM");
    test::WriteFile(other, "BM");
    std::filesystem::create_symlink("s.bmp", folder.File("link.bmp"));
    std::filesystem::create_hard_link(file, folder.File("hard.bmp"));
    EXPECT_TRUE(SameFile(file, file));
    EXPECT_TRUE(SameFile(folder.File("link.bmp"), file));
    EXPECT_TRUE(SameFile(file, folder.File("hard.bmp")));
    EXPECT_TRUE(SameFile(folder.Path() + "/./s.bmp", file));
    EXPECT_FALSE(SameFile(file, other));
    EXPECT_FALSE(SameFile(file, folder.File("missing.bmp")));
    EXPECT_FALSE(SameFile("", file));
}

TEST(Paths, FileExistsOnlyForReadableFiles) {
    test::TestFolder folder;
    const std::string file = folder.File("a.mph");
    test::WriteFile(file, "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(file + "/"));  // one trailing separator is removed
    EXPECT_FALSE(FileExists(folder.Path()));
    EXPECT_FALSE(FileExists(folder.File("missing.mph")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(DirectoryExists(folder.Path()));
    EXPECT_FALSE(DirectoryExists(file));
}

TEST(Rounding, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(3.5), 4);
    EXPECT_EQ(RoundEven(-2.5), -2);
    EXPECT_EQ(RoundEven(22.5), 22);
    EXPECT_EQ(RoundEven(37.5), 38);
    EXPECT_EQ(RoundEven(2.4999), 2);
}

TEST(NumberText, LeadingBlankFromZeroUp) {
    EXPECT_EQ(NumberText(20), " 20");
    EXPECT_EQ(NumberText(0), " 0");
    EXPECT_EQ(NumberText(-5), "-5");
    EXPECT_EQ(NumberText(16777215), " 16777215");
}

TEST(NumberText, ThirtyTwoBitConversionRoundsTiesToEven) {
    EXPECT_EQ(ConvertInt32(" 20", 1), 20);
    EXPECT_EQ(ConvertInt32("7.5", 1), 8);
    EXPECT_EQ(ConvertInt32("6.5", 1), 6);
    EXPECT_EQ(ConvertInt32("20.5", 1), 20);
    EXPECT_EQ(ConvertInt32("-3", 1), -3);
    EXPECT_EQ(ConvertInt32("1e3", 1), 1000);
    EXPECT_EQ(ConvertInt32("abc", 20), 20);
    EXPECT_EQ(ConvertInt32("", 5), 5);
    EXPECT_EQ(ConvertInt32("12abc", 5), 5);
    EXPECT_EQ(ConvertInt32("0x10", 5), 5);
    EXPECT_EQ(ConvertInt32("inf", 5), 5);
    EXPECT_EQ(ConvertInt32("nan", 5), 5);
    EXPECT_EQ(ConvertInt32("2147483647", 5), 2147483647);
    EXPECT_EQ(ConvertInt32("2147483648", 5), 5);
    EXPECT_EQ(ConvertInt32("-2147483648", 5), -2147483647 - 1);
}

// Numbers read with a "." whatever the locale: a project, a settings file or
// an option gives the same values under de_DE or tr_TR as under C.
TEST(NumberText, DecimalPointsReadTheSameInACommaLocale) {
    const test::CommaLocale comma;
    ASSERT_TRUE(comma.Made()) << "localedef could not make a test locale";
    const test::CommaLocaleScope scope(comma);
    ASSERT_TRUE(scope.Active());
    EXPECT_EQ(ParseNumber("12.6"), 12.6);
    EXPECT_EQ(ParseNumber("-0.25e2"), -25.0);
    EXPECT_EQ(ParseNumber("2,5"), std::nullopt);
    EXPECT_EQ(ConvertInt32("12.6", 0), 13);
    EXPECT_EQ(ConvertInt16("150.9", 0), 150);
}

TEST(NumberText, SixteenBitConversionRoundsDown) {
    EXPECT_EQ(ConvertInt16("150.9", 100), 150);
    EXPECT_EQ(ConvertInt16("2.9", 0), 2);
    EXPECT_EQ(ConvertInt16("-0.5", 0), -1);
    EXPECT_EQ(ConvertInt16(" 3 ", 0), 3);
    EXPECT_EQ(ConvertInt16("32767", 0), 32767);
    EXPECT_EQ(ConvertInt16("32768", 7), 7);
    EXPECT_EQ(ConvertInt16("-32769", 7), 7);
    EXPECT_EQ(ConvertInt16("x", 7), 7);
}

}  // namespace
}  // namespace fennix
