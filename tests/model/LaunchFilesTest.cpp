#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/LaunchFiles.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

TEST(LaunchFiles, FileTypesGoByTheirNamesInAnyCase) {
    struct Case {
        const char* name;
        bool project;
        bool picture;
    };
    const Case cases[] = {
        {"a.mph", true, false},  {"/x/A.MPH", true, false},  {"a.mph.bak", false, false},
        {"a.bmp", false, true},  {"a.DIB", false, true},     {"a.jpg", false, true},
        {"a.Jpeg", false, true}, {"a.gif", false, true},     {"a.wmf", false, true},
        {"a.png", false, true},  {"a.tif", false, true},     {"a.TIFF", false, true},
        {"a.webp", false, true}, {"a.avi", false, false},    {"a.txt", false, false},
        {"mph", false, false},   {"/x.mph/a", false, false}, {"", false, false},
        {".mph", true, false},   {"顔.JPG", false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsProjectFileName(c.name), c.project) << c.name;
        EXPECT_EQ(IsPictureFileName(c.name), c.picture) << c.name;
    }
}

class LaunchFilesTest : public testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"a.mph", "b.MPH", "sun.bmp", "moon.jpg", "third.png", "notes.txt"})
            test::WriteFile(folder.File(name), "x");
        std::filesystem::create_directory(folder.File("folder.mph"));
    }
    LaunchPlan Plan(const std::vector<std::string>& files) {
        return PlanLaunch(files, folder.Path() + "/");
    }
    test::TestFolder folder;
};

TEST_F(LaunchFilesTest, ProjectsOpenInOrderAndTwoPicturesStartANewMorph) {
    struct Case {
        std::vector<std::string> files;
        std::vector<std::string> projects;
        std::string start, end;
    };
    const std::string f = folder.Path();
    const Case cases[] = {
        {{}, {}, "", ""},
        {{"a.mph"}, {f + "/a.mph"}, "", ""},
        {{f + "/b.MPH", "a.mph"}, {f + "/b.MPH", f + "/a.mph"}, "", ""},
        {{"sun.bmp", "moon.jpg"}, {}, f + "/sun.bmp", f + "/moon.jpg"},
        {{"moon.jpg", "a.mph", "sun.bmp"}, {f + "/a.mph"}, f + "/moon.jpg", f + "/sun.bmp"},
        {{"--", "a.mph"}, {f + "/a.mph"}, "", ""},
        {{"", "a.mph"}, {f + "/a.mph"}, "", ""},
    };
    for (const Case& c : cases) {
        const LaunchPlan plan = Plan(c.files);
        EXPECT_EQ(plan.Projects, c.projects);
        EXPECT_EQ(plan.StartPicture, c.start);
        EXPECT_EQ(plan.EndPicture, c.end);
        EXPECT_EQ(plan.Refused, "");
    }
}

TEST_F(LaunchFilesTest, WhatCannotBeOpenedIsSaidLineByLine) {
    struct Case {
        std::vector<std::string> files;
        std::string refused;
        size_t projects;
    };
    const std::string f = folder.Path();
    const Case cases[] = {
        {{"gone.mph"}, "ファイルが見つかりません：" + f + "/gone.mph", 0},
        {{"folder.mph"}, "ファイルではありません：" + f + "/folder.mph", 0},
        {{"notes.txt", "a.mph"},
         "モーフィングファイル(*.mph)でも画像ファイルでもありません：" + f + "/notes.txt",
         1},
        {{"--verbose", "a.mph"}, "不明なオプションです：--verbose", 1},
        {{"--", "-odd.mph"}, "ファイルが見つかりません：" + f + "/-odd.mph", 0},
        {{"sun.bmp"},
         "画像は開始画像と終了画像の 2 枚を一緒に指定してください（1 枚）。\n" + f + "/sun.bmp",
         0},
        {{"sun.bmp", "moon.jpg", "third.png", "a.mph"},
         "画像は開始画像と終了画像の 2 枚を一緒に指定してください（3 枚）。\n" + f + "/sun.bmp\n" +
             f + "/moon.jpg\n" + f + "/third.png",
         1},
        {{"gone.png", "sun.bmp"},
         "ファイルが見つかりません：" + f +
             "/gone.png\n"
             "画像は開始画像と終了画像の 2 枚を一緒に指定してください（1 枚）。\n" +
             f + "/sun.bmp",
         0},
    };
    for (const Case& c : cases) {
        const LaunchPlan plan = Plan(c.files);
        EXPECT_EQ(plan.Refused, c.refused);
        EXPECT_EQ(plan.Projects.size(), c.projects);
        // Refused pictures never start half a morph.
        EXPECT_EQ(plan.StartPicture, "");
        EXPECT_EQ(plan.EndPicture, "");
    }
}

TEST_F(LaunchFilesTest, OnePictureDroppedOnASideIsPicked) {
    struct Case {
        std::vector<std::string> files;
        std::string refusal;
    };
    const std::string f = folder.Path();
    const Case cases[] = {
        {{f + "/sun.bmp"}, ""},
        {{f + "/moon.jpg"}, ""},
        {{}, "画像ファイルを 1 つだけドロップしてください。"},
        {{f + "/sun.bmp", f + "/moon.jpg"}, "画像ファイルを 1 つだけドロップしてください。"},
        {{f + "/a.mph"}, "画像ファイルではありません：" + f + "/a.mph"},
        {{"https://example.org/a.png"}, "ファイルが見つかりません：https://example.org/a.png"},
        {{f + "/gone.bmp"}, "ファイルが見つかりません：" + f + "/gone.bmp"},
    };
    for (const Case& c : cases) EXPECT_EQ(PictureDropRefusal(c.files), c.refusal);
}

}  // namespace
}  // namespace fennix
