#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <string>
#include <vector>

#include "model/ProjectFile.h"
#include "model/Settings.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "support/TestGrids.h"
#include "ui/document/Fennix_Main.h"
#include "ui/frame/Fennix_Mdif.h"
#include "ui/prepare/Fennix_Pic.h"

namespace fennix {
namespace {

// Sends a drop of `paths` (local files) at `position` to `target`.
void Drop(QWidget& target, const std::vector<std::string>& paths, QPoint position) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data.setUrls(urls);
    QDragEnterEvent enter(position, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(position), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &drop);
    QCoreApplication::processEvents();
}

class OpenFilesTest : public testing::Test {
  protected:
    void SetUp() override {
        test::UseDefaultGridSettings();
        frame.MDIForm_Load();
        // The picture dialog records what it was opened with and cancels.
        frame.RunSourceDialog = [this](Fennix_Pic&) {
            picked.push_back({StartSourcePath, EndSourcePath});
        };
    }
    std::string Project(const char* name) {
        MatrixRecord start = test::Grid(320, 240, 4, 4), end = start;
        start.ImagePath = test::SamplePath("sun.bmp");
        end.ImagePath = test::SamplePath("moon.bmp");
        const std::string path = folder.File(name);
        EXPECT_EQ(SaveMorphFile(path, start, end, folder.Path(), 3, 0x808080), "");
        return path;
    }
    std::vector<std::string> OpenNames() const {
        std::vector<std::string> names;
        for (Fennix_Main* document : frame.Documents())
            names.push_back(document->Document.FileName);
        return names;
    }

    test::AppFolderScope app;
    test::TestFolder folder;
    test::ScopedPrompts prompts;
    Fennix_Mdif frame;
    std::vector<std::pair<std::string, std::string>> picked;
};

TEST_F(OpenFilesTest, EachProjectGivenOpensInAWindowOfItsOwn) {
    const std::string a = Project("a.mph"), b = Project("b.mph");
    frame.OpenFiles({"a.mph", b}, folder.Path());
    EXPECT_EQ(OpenNames(), (std::vector<std::string>{a, b}));
    EXPECT_TRUE(prompts->shown.empty());
    EXPECT_TRUE(picked.empty());
}

TEST_F(OpenFilesTest, TwoPicturesStartANewMorphWithBothPicked) {
    const std::string sun = test::SamplePath("sun.bmp"), moon = test::SamplePath("moon.bmp");
    frame.OpenFiles({sun, moon}, folder.Path());
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0], std::make_pair(sun, moon));
    EXPECT_TRUE(frame.Documents().isEmpty());
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(OpenFilesTest, WhatIsRefusedIsSaidOnceAndTheRestOpens) {
    const std::string a = Project("a.mph");
    test::WriteFile(folder.File("notes.txt"), "x");
    frame.OpenFiles({"notes.txt", "gone.mph", "a.mph"}, folder.Path());
    EXPECT_EQ(OpenNames(), (std::vector<std::string>{a}));
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text,
              "モーフィングファイル(*.mph)でも画像ファイルでもありません：" +
                  folder.File("notes.txt") + "\nファイルが見つかりません：" +
                  folder.File("gone.mph"));
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Exclamation);
}

TEST_F(OpenFilesTest, AProjectDroppedOnTheFrameOpens) {
    const std::string a = Project("a.mph");
    Drop(frame, {a}, QPoint(100, 100));
    EXPECT_EQ(OpenNames(), (std::vector<std::string>{a}));
}

TEST_F(OpenFilesTest, APictureDroppedOnASideOfThePictureDialogIsPicked) {
    Fennix_Pic dialog(&frame);
    const std::string sun = test::SamplePath("sun.bmp"), moon = test::SamplePath("moon.bmp");
    Drop(dialog, {moon}, QPoint(dialog.width() * 3 / 4, 200));
    EXPECT_EQ(EndSourcePath, moon);
    EXPECT_EQ(StartSourcePath, "");
    Drop(dialog, {sun}, QPoint(dialog.width() / 4, 200));
    EXPECT_EQ(StartSourcePath, sun);
    EXPECT_EQ(EndSourcePath, moon);
    EXPECT_TRUE(prompts->shown.empty());

    // Two at once, or a project, are refused with a message; nothing changes.
    Drop(dialog, {moon, sun}, QPoint(10, 200));
    Drop(dialog, {Project("a.mph")}, QPoint(10, 200));
    ASSERT_EQ(prompts->shown.size(), 2u);
    EXPECT_EQ(prompts->shown[0].text, "画像ファイルを 1 つだけドロップしてください。");
    EXPECT_EQ(prompts->shown[1].text, "画像ファイルではありません：" + folder.File("a.mph"));
    EXPECT_EQ(StartSourcePath, sun);
}

}  // namespace
}  // namespace fennix
