#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTimer>
#include <filesystem>

#include "core/AppFolder.h"
#include "media/ImageFile.h"
#include "model/Settings.h"
#include "support/Keys.h"
#include "support/RunWait.h"
#include "support/ScriptedPrompts.h"
#include "support/SmallDisk.h"
#include "support/TestFolder.h"
#include "ui/controls/GradientProgressBar.h"
#include "ui/controls/ccXPButton.h"
#include "ui/controls/ucScrollbar.h"
#include "ui/document/Fennix_Main.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

class MorphRunWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        test::UseDefaultGridSettings();
        Settings.TempFolder = app.Path();
        window.Clock = [] { return QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)); };
        window.RunViewer = [this] {
            viewerFolders.push_back(Settings.ViewerFromMenu ? "menu" : Settings.FrameFolder());
        };
    }

    void Open(int frameCount) {
        Settings.FrameCount = frameCount;
        ASSERT_TRUE(window.NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    }

    std::string Folder() const { return app.Path() + "/20240305-07-08-09"; }

    // 作成スタート, and the event loop turning until the run is over.
    void Run() {
        window.mnuMorphIt_Click();
        ASSERT_TRUE(test::WaitForRun(window));
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    Fennix_Main window;
    std::vector<std::string> viewerFolders;  // what each viewer opening would show
};

TEST_F(MorphRunWindowTest, WritesEveryFrameShowsProgressAndAsks) {
    Open(20);
    QSignalSpy captions(&window, &QWidget::windowTitleChanged);
    QSignalSpy progress(window.GradientProgressBar1, &GradientProgressBar::ValueChanged);
    Run();

    EXPECT_EQ(Settings.FrameFolder(), Folder() + "/");
    const auto files = FilesIn(Folder());
    ASSERT_EQ(files.size(), 20u);
    EXPECT_EQ(files.front(), "000.bmp");
    EXPECT_EQ(files.back(), "019.bmp");

    ASSERT_EQ(captions.count(), 21);
    EXPECT_EQ(captions[0][0].toString(), "1/20");
    EXPECT_EQ(captions[19][0].toString(), "20/20");
    EXPECT_EQ(captions[20][0].toString(), "Fennix");  // restored
    ASSERT_EQ(progress.count(), 20);
    EXPECT_EQ(progress[0][0].toInt(), 5);
    EXPECT_EQ(progress[19][0].toInt(), 100);

    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "正常終了しました。確認しますか？");
    EXPECT_EQ(prompts->shown[0].title, "Fennix(完了)");
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(prompts->shown[0].buttons, MessageButtons::YesNo);
    EXPECT_FALSE(Settings.ViewerFromMenu);
    EXPECT_EQ(viewerFolders, std::vector<std::string>{Folder() + "/"});

    // The window is back as it was: grids shown, render surface hidden.
    EXPECT_TRUE(window.Panes.P(1).Visible());
    EXPECT_FALSE(window.Panes.MorphT.Visible());
    EXPECT_FALSE(window.GradientProgressBar1->isVisible());
    EXPECT_EQ(window.Panes.P(1).Layer().pixel(64, 24), 0xFFFFFFFFu);
    EXPECT_FALSE(window.Document.Dirty);

    // The first frame is the start image, the last the end image.
    EXPECT_EQ(*LoadImageFile(Folder() + "/000.bmp"), window.Panes.Poriginal(1).Picture());
    EXPECT_EQ(*LoadImageFile(Folder() + "/019.bmp"), window.Panes.Poriginal(2).Picture());

    // Every frame has the bytes of a run on the calling thread.
    test::TestFolder direct;
    PicturePane surface;
    surface.SetBackColor(window.Panes.MorphT.BackColor());
    surface.SetSize(window.Panes.Poriginal(1).Width(), window.Panes.Poriginal(1).Height());
    MorphSource source{&window.Panes.Poriginal(1).Picture(), &window.Panes.Poriginal(2).Picture(),
                       &window.Document.Matrix(1), &window.Document.Matrix(2),
                       window.Document.LastFrame};
    FrameOutput output;
    output.frameFolder = direct.Path() + "/";
    ASSERT_EQ(RunMorph(source, surface, output), "");
    for (const std::string& name : files)
        EXPECT_EQ(test::ReadFile(Folder() + "/" + name), test::ReadFile(direct.File(name))) << name;
}

// The progress bar sits just above the horizontal scroll bar of the window
// as it is during the run, not as it was when the window was made, and is
// inside the panel while every frame is made.
TEST_F(MorphRunWindowTest, ProgressBarIsSeenAboveTheScrollBarThroughoutTheRun) {
    window.resize(700, 420);
    Open(3);
    int framesSeen = 0;
    window.FrameShown = [&](int, int) {
        ++framesSeen;
        const QRect bar = window.GradientProgressBar1->geometry();
        EXPECT_TRUE(window.GradientProgressBar1->isVisible());
        EXPECT_EQ(bar.top(), window.HScroll1->y() - window.HScroll1->height());
        EXPECT_EQ(bar.left(), 0);
        EXPECT_LE(bar.bottom(), window.HScroll1->y());
        EXPECT_GT(bar.width(), 0);
    };
    Run();
    // The window shows the newest frame whenever it gets to it.
    EXPECT_GE(framesSeen, 1);
    window.resize(500, 300);
    EXPECT_EQ(window.GradientProgressBar1->y(), window.HScroll1->y() - window.HScroll1->height());
}

// A failed run shows its message with the normal pointer.
TEST_F(MorphRunWindowTest, FailureMessageComesWithTheNormalPointer) {
    Open(1);
    Run();
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "③処理は失敗しました。");
    EXPECT_FALSE(prompts->shown[0].busyPointer);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// A run of large photos (6 megapixels: each frame takes far longer than the
// timer's 5 ms) keeps the window turning; a timer cancels it after its first
// frame, and only whole frames stay, as many as the message says.
TEST_F(MorphRunWindowTest, LargeRunKeepsTheWindowTurningAndCancelsAfterAWholeFrame) {
    test::TestFolder photos;
    const QImage sun = LoadImageFile(test::SamplePath("sun.bmp"))->scaled(3000, 2000);
    const QImage moon = LoadImageFile(test::SamplePath("moon.bmp"))->scaled(3000, 2000);
    ASSERT_TRUE(SaveBitmapFile(sun, photos.File("start.bmp")));
    ASSERT_TRUE(SaveBitmapFile(moon, photos.File("end.bmp")));
    Settings.FrameCount = 20;
    ASSERT_TRUE(window.NewMorph(photos.File("start.bmp"), photos.File("end.bmp")));

    int ticks = 0;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (ListFrameFiles(Folder()).size() >= 1) window.CancelMorphRun();
    });
    timer.start();
    window.mnuMorphIt_Click();
    EXPECT_TRUE(window.MorphRunning());
    EXPECT_FALSE(window.mnuMorphIt->isEnabled());  // no second run meanwhile
    EXPECT_FALSE(window.mnuZoom[2]->isEnabled());
    EXPECT_TRUE(window.cmdCancelRun->isVisible());
    ASSERT_TRUE(test::WaitForRun(window));
    timer.stop();

    EXPECT_GT(ticks, 1);
    const auto frames = ListFrameFiles(Folder());
    ASSERT_GE(frames.size(), 1u);
    EXPECT_LT(frames.size(), 20u);
    for (const std::string& name : frames) {
        const auto frame = LoadImageFile(Folder() + "/" + name);
        ASSERT_TRUE(frame) << name;
        EXPECT_EQ(frame->size(), QSize(3000, 2000));
    }
    EXPECT_TRUE(FilesIn(Folder()) == frames);  // nothing half-written beside them
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text,
              "作成を中止しました。" + std::to_string(frames.size()) + " フレームを保存しました。");
    EXPECT_TRUE(window.mnuMorphIt->isEnabled());
    EXPECT_FALSE(window.cmdCancelRun->isVisible());
    EXPECT_TRUE(window.Panes.P(1).Visible());
    EXPECT_TRUE(viewerFolders.empty());
}

// Escape cancels too; closing the window during a run asks first, and
// stops the run only on Yes.
TEST_F(MorphRunWindowTest, EscapeCancelsAndClosingStopsTheRun) {
    Open(200);
    window.show();
    ASSERT_TRUE(test::Activate(&window));
    window.mnuMorphIt_Click();
    ASSERT_TRUE(test::PressInFocus(Qt::Key_Escape));
    ASSERT_TRUE(test::WaitForRun(window));
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text.rfind("作成を中止しました。", 0), 0u);
    EXPECT_LT(ListFrameFiles(Folder()).size(), 200u);

    prompts->shown.clear();
    window.Clock = [] { return QDateTime(QDate(2024, 3, 5), QTime(7, 8, 10)); };
    window.mnuMorphIt_Click();
    prompts->Answer(MessageAnswer::No);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.MorphRunning());
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, kStopRunQuestion);
    EXPECT_EQ(prompts->shown[0].buttons, MessageButtons::YesNoDefaultNo);

    prompts->Answer(MessageAnswer::Yes);
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.MorphRunning());
    EXPECT_EQ(prompts->shown.size(), 2u);  // no word about the stopped run
}

// The run ends on its own while the question whether to stop it and close
// is up: the question goes away with it (nothing is left to stop), the
// run's completion question is not put over it, and the close goes on.
TEST_F(MorphRunWindowTest, ARunEndingDuringTheStopQuestionTakesTheQuestionAlong) {
    for (const MessageAnswer scripted : {MessageAnswer::No, MessageAnswer::Yes}) {
        SCOPED_TRACE(scripted == MessageAnswer::No ? "No" : "Yes");
        Fennix_Main document;
        document.Clock = [scripted] {
            return QDateTime(QDate(2024, 3, 5), QTime(7, 9, scripted == MessageAnswer::No ? 1 : 2));
        };
        document.RunViewer = [this] { viewerFolders.push_back("viewer"); };
        Settings.FrameCount = 12;
        ASSERT_TRUE(document.NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
        prompts->shown.clear();
        prompts->withdrawn = 0;
        bool endedWhileAsked = false;
        prompts->onMessage = [&](const test::ScriptedPrompts::Shown& shown) {
            if (shown.text != kStopRunQuestion) return;
            endedWhileAsked = test::WaitForRun(document);
        };
        document.mnuMorphIt_Click();
        ASSERT_TRUE(document.MorphRunning());
        prompts->Answer(scripted);
        EXPECT_TRUE(document.close());
        prompts->onMessage = nullptr;
        EXPECT_TRUE(endedWhileAsked);
        EXPECT_FALSE(document.MorphRunning());
        EXPECT_EQ(prompts->withdrawn, 1);
        ASSERT_EQ(prompts->shown.size(), 1u);  // no completion question on top
        EXPECT_EQ(prompts->shown[0].text, kStopRunQuestion);
        EXPECT_TRUE(viewerFolders.empty());
        prompts->answers.clear();
    }
}

TEST_F(MorphRunWindowTest, NoKeepsTheViewerClosedAndTheMenuOpensIt) {
    Open(2);
    prompts->Answer(MessageAnswer::No);
    Run();
    EXPECT_TRUE(viewerFolders.empty());
    ASSERT_TRUE(window.mnuMorph->isEnabled());
    window.mnuMorph->trigger();
    EXPECT_EQ(viewerFolders, std::vector<std::string>{"menu"});
    EXPECT_EQ(Settings.FrameFolder(), Folder() + "/");  // the menu leaves it as it was
}

TEST_F(MorphRunWindowTest, ThreeFramesProgressByFloor) {
    Open(3);
    QSignalSpy progress(window.GradientProgressBar1, &GradientProgressBar::ValueChanged);
    Run();
    ASSERT_EQ(progress.count(), 3);
    EXPECT_EQ(progress[0][0].toInt(), 33);
    EXPECT_EQ(progress[1][0].toInt(), 66);
    EXPECT_EQ(progress[2][0].toInt(), 100);
    EXPECT_EQ(FilesIn(Folder()).size(), 3u);
}

TEST_F(MorphRunWindowTest, OneFrameFailsLeavingAnEmptyFolder) {
    Open(1);
    Run();
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "③処理は失敗しました。");
    EXPECT_EQ(prompts->shown[0].title, "Fennix");
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(fs::is_directory(Folder()));
    EXPECT_TRUE(FilesIn(Folder()).empty());
    EXPECT_EQ(Settings.FrameFolder(), Folder() + "/");
    EXPECT_TRUE(window.Panes.P(2).Visible());
    EXPECT_FALSE(window.Panes.MorphT.Visible());
    EXPECT_EQ(window.windowTitle(), "Fennix");
}

TEST_F(MorphRunWindowTest, AFolderThatAlreadyExistsFailsTheRun) {
    Open(2);
    fs::create_directory(Folder());
    test::WriteFile(Folder() + "/000.bmp", "older run");
    Run();
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, "③処理は失敗しました。");
    EXPECT_EQ(test::ReadFile(Folder() + "/000.bmp"), "older run");
}

TEST_F(MorphRunWindowTest, AFullDiskFailsTheRunAndKeepsOnlyWholeFrames) {
    const qsizetype frameBytes = EncodeBitmap(QImage(320, 240, QImage::Format_RGB32)).size();
    test::SmallDisk disk(frameBytes * 5 / 2);
    if (!disk.Mounted()) GTEST_SKIP() << "mounting a small file system needs root";
    SetApplicationFolder(disk.Path());
    Open(6);
    const std::string folder = disk.Path() + "/20240305-07-08-09";

    // Frames that cannot all fit are asked about first; No makes nothing.
    prompts->Answer(MessageAnswer::No);
    window.mnuMorphIt_Click();
    EXPECT_FALSE(window.MorphRunning());
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text.rfind("フレームの書き出しには約 ", 0), 0u) << prompts->shown[0].text;
    EXPECT_NE(prompts->shown[0].text.find("続けますか？"), std::string::npos);
    EXPECT_EQ(prompts->shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(prompts->shown[0].buttons, MessageButtons::YesNoDefaultNo);
    EXPECT_FALSE(fs::exists(folder));

    // Yes runs until the disk is full.
    prompts->Answer(MessageAnswer::Yes);
    Run();
    ASSERT_EQ(prompts->shown.size(), 3u);
    EXPECT_EQ(prompts->shown[1].text, prompts->shown[0].text);
    EXPECT_EQ(prompts->shown[2].text, "③処理は失敗しました。");
    EXPECT_EQ(test::ListNames(folder), "000.bmp 001.bmp");
    for (const char* name : {"000.bmp", "001.bmp"})
        EXPECT_EQ(fs::file_size(folder + "/" + name), static_cast<uintmax_t>(frameBytes));
    EXPECT_EQ(*LoadImageFile(folder + "/000.bmp"), *LoadImageFile(test::SamplePath("sun.bmp")));
}

TEST_F(MorphRunWindowTest, JpegFramesLeaveNoScratchBitmap) {
    Open(2);
    Settings.SaveKind = 1;
    Run();
    EXPECT_EQ(FilesIn(Folder()), (std::vector<std::string>{"000.jpg", "001.jpg"}));
    EXPECT_FALSE(fs::exists(app.Path() + "/Dumy.bmp"));
    EXPECT_EQ(test::ListNames(app.Path()).find(".tmp"), std::string::npos);
    EXPECT_EQ(prompts->shown.at(0).title, "Fennix(完了)");
}

}  // namespace
}  // namespace fennix
