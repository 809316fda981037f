// The typical morph from start to finish, through the program's own windows:
// the menus are triggered, the modal windows run their real event loops and
// are worked with mouse and keys; only the file and message boxes are
// scripted. Every file the program leaves behind is checked on the way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTest>
#include <QToolButton>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

#include "ui/frame/Fennix_Mdif.h"
#include "ui/frame/Fennix_Opt.h"
#include "model/Settings.h"
#include "model/TempImages.h"
#include "ui/controls/Slider.h"
#include "ui/controls/ccXPButton.h"
#include "ui/controls/ucUpDown.h"
#include "core/Paths.h"
#include "e2e/ModalScript.h"
#include "ui/output/CompressorWidget.h"
#include "ui/output/Fennix_Avi.h"
#include "ui/output/Fennix_View.h"
#include "ui/output/Fennix_aviView.h"
#include "media/ImageFile.h"
#include "ui/common/PaneWidget.h"
#include "ui/prepare/Fennix_Pic.h"
#include "ui/prepare/Fennix_Tri.h"
#include "ui/document/Fennix_Main.h"
#include "model/ProjectFile.h"
#include "support/Mouse.h"
#include "support/RunWait.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

QSize ImageSize(const std::string& path) {
    const auto image = LoadImageFile(path);
    return image ? image->size() : QSize();
}

// The same colour in every pixel, whatever the storage format.
bool SamePixels(const QImage& a, const QImage& b) {
    return !a.isNull() &&
           a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// Presses the left button at `from`, moves in a few steps to `to`, releases.
void Drag(QWidget* widget, QPoint from, QPoint to) {
    using test::SendMouse;
    SendMouse(widget, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (int step = 1; step <= 4; ++step)
        SendMouse(widget, QEvent::MouseMove, from + (to - from) * step / 4, Qt::NoButton,
                  Qt::LeftButton);
    SendMouse(widget, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

void Click(QWidget* button) {
    ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

void Type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
}

QToolButton* Arrow(ucUpDown* control, Qt::ArrowType type) {
    for (QToolButton* button : control->findChildren<QToolButton*>())
        if (button->arrowType() == type) return button;
    return nullptr;
}

PaneWidget* WidgetOf(QWidget* window, const PicturePane& pane) {
    for (PaneWidget* widget : window->findChildren<PaneWidget*>())
        if (&widget->Pane() == &pane) return widget;
    return nullptr;
}

// The keys of the settings file's section, from its raw lines.
std::map<std::string, std::string> SettingsKeys(const std::string& file) {
    std::map<std::string, std::string> keys;
    std::string text = test::ReadFile(file);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (const size_t eq = line.find('='); eq != std::string::npos)
            keys[line.substr(0, eq)] = line.substr(eq + 1);
        start = end + 1;
    }
    return keys;
}

// ffprobe's view of the first video stream: key=value lines.
std::map<std::string, std::string> Probe(const std::string& path) {
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-count_frames",
                            "-show_entries", "stream=codec_name,width,height,nb_read_frames", "-of",
                            "default=noprint_wrappers=1", QString::fromStdString(path)});
    std::map<std::string, std::string> values;
    if (!probe.waitForFinished(60000)) return values;
    for (const QString& line : QString::fromUtf8(probe.readAllStandardOutput()).split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0) values[line.left(eq).toStdString()] = line.mid(eq + 1).trimmed().toStdString();
    }
    return values;
}

std::vector<std::string> ShownTexts(const test::ScriptedPrompts& prompts) {
    std::vector<std::string> texts;
    for (const auto& shown : prompts.shown) texts.push_back(shown.text);
    return texts;
}

class WalkthroughTest : public testing::Test {
  protected:
    void SetUp() override {
        std::printf("walkthrough on the %s platform\n",
                    qPrintable(QGuiApplication::platformName()));
        // A machine the program has never run on: no settings file yet.
        ASSERT_FALSE(fs::exists(app.Path() + "/Fennix.ini"));
    }

    std::unique_ptr<Fennix_Mdif> StartProgram() {
        Settings = SettingsRecord{};
        auto frame = std::make_unique<Fennix_Mdif>();
        frame->MDIForm_Load();
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        return frame;
    }

    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::TestFolder work;  // where the user keeps the AVI and the project
    test::ModalScript modal;
};

TEST_F(WalkthroughTest, TypicalMorphFromNewToReopening) {
    const std::string sun = test::SamplePath("sun.bmp");
    const std::string moon = test::SamplePath("moon.bmp");
    const std::string aviPath = work.File("sun to moon.avi");
    const std::string projectPath = work.File("sun to moon.mph");
    auto frame = StartProgram();
    const std::string tempFolder = app.Path() + "/テンポラリデータ";
    const std::string imageFolder = app.Path() + "/スタート・エンド画像データ";
    EXPECT_TRUE(fs::is_directory(tempFolder));
    EXPECT_TRUE(fs::is_directory(imageFolder));
    EXPECT_FALSE(frame->windowIcon().pixmap(32).isNull());  // the built-in icon renders

    // 新規: pick both samples, reduce the start to 75 %, match the end to it,
    // trim the end to 200 × 150 by dragging the picture, match the start to
    // the trimmed end, OK.
    QImage beforeTrim, trimmed;
    QPoint trimOffset;
    modal.On<Fennix_Pic>("source images", [&](Fennix_Pic& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "画像の選択");
        prompts->ChooseFilePath(sun);
        Click(dialog.slot[0].cmd_Sel);
        prompts->ChooseFilePath(moon);
        Click(dialog.slot[1].cmd_Sel);
        EXPECT_EQ(dialog.slot[0].lbl_Size->text(), "Size = 320 * 240");

        QToolButton* down = Arrow(dialog.slot[0].VS_Stretch, Qt::DownArrow);
        ASSERT_NE(down, nullptr);
        for (int i = 0; i < 25; ++i) QTest::mouseClick(down, Qt::LeftButton);
        EXPECT_EQ(dialog.slot[0].lbl_Stretch->text(), "75%");
        Click(dialog.slot[0].Cmd_Stretch);
        EXPECT_EQ(dialog.slot[0].lbl_Size->text(), "Size = 240 * 180");
        Click(dialog.slot[1].cmd_Doki);
        EXPECT_EQ(dialog.slot[1].lbl_Size->text(), "Size = 240 * 180");

        Type(dialog.slot[1].txt_w, "200");
        Type(dialog.slot[1].txt_h, "150");
        Click(dialog.slot[1].Cmd_Triming);  // runs the trimming step below
        EXPECT_EQ(dialog.slot[1].lbl_Size->text(), "Size = 200 * 150");
        Click(dialog.slot[0].cmd_Doki);
        EXPECT_EQ(dialog.slot[0].lbl_Size->text(), "Size = 200 * 150");
        trimmed = dialog.slot[1].P.Layer().copy();
        Click(dialog.cmd_OK);
    });
    modal.On<Fennix_Tri>("trimming", [&](Fennix_Tri& tri) {
        EXPECT_EQ(tri.windowTitle(), "Fennix 画像のトリミング");
        beforeTrim = tri.Image.Picture();
        const QPoint inside = tri.P->rect().center();
        Drag(tri.P, inside, inside + QPoint(-25, -12));
        trimOffset = {tri.Pic_Line[0]->x() - tri.Image.Left(),
                      tri.Pic_Line[0]->y() - tri.Image.Top()};
        Click(tri.cmd_OK);
    });
    frame->mnuNewMorph->trigger();
    ASSERT_TRUE(modal.Pending().empty());
    // The crop is the part of the picture that lay inside the frame.
    ASSERT_FALSE(trimmed.isNull());
    EXPECT_TRUE(trimOffset.x() > 0 && trimOffset.y() > 0);
    EXPECT_TRUE(SamePixels(trimmed, beforeTrim.copy(QRect(trimOffset, QSize(200, 150)))));

    // The prepared pair in the temporary folder, and the new document.
    // Named after this copy of the program, beside its lock file.
    const std::string own = "temp_" + ProgramWorkspace().Tag();
    EXPECT_EQ(FilesIn(tempFolder),
              (std::vector<std::string>{own + ".lock", own + "_0.bmp", own + "_1.bmp"}));
    EXPECT_EQ(ImageSize(tempFolder + "/" + own + "_0.bmp"), QSize(200, 150));
    EXPECT_TRUE(SamePixels(*LoadImageFile(tempFolder + "/" + own + "_1.bmp"), trimmed));
    ASSERT_EQ(frame->Documents().size(), 1);
    Fennix_Main* document = frame->Documents()[0];
    EXPECT_TRUE(document->isVisible());
    EXPECT_EQ(document->Panes.P(1).Width(), 200);
    QTest::qWait(20);

    // Drag the start grid's point (2, 2) by (+7, +5).
    const Point before = document->Document.Matrix(1).Points(2, 2);
    PaneWidget* startPane = WidgetOf(document, document->Panes.P(1));
    ASSERT_NE(startPane, nullptr);
    Drag(startPane, {before.X, before.Y}, {before.X + 7, before.Y + 5});
    const Point moved = document->Document.Matrix(1).Points(2, 2);
    EXPECT_EQ(moved, (Point{before.X + 7, before.Y + 5}));
    EXPECT_TRUE(document->Document.Dirty);

    // オプション: the frame count from 20 down to 5 with the arrow keys.
    modal.On<Fennix_Opt>("options", [&](Fennix_Opt& options) {
        EXPECT_EQ(options.windowTitle(), "オプションの設定");
        EXPECT_EQ(options.Slider1->Value(), 20);
        options.Slider1->setFocus();
        for (int i = 0; i < 15; ++i) QTest::keyClick(options.Slider1, Qt::Key_Left);
        EXPECT_EQ(options.lbl_Frame->text(), "5");
        Click(options.ccXPButton1);
    });
    document->mnuSetting->trigger();
    EXPECT_EQ(document->Document.LastFrame, 4);

    // 作成スタート, Yes to the question, play the frames in the viewer.
    document->Clock = [] { return QDateTime(QDate(2026, 12, 8), QTime(10, 20, 30)); };
    const std::string frameFolder = app.Path() + "/20261208-10-20-30";
    prompts->Answer(MessageAnswer::Yes);
    bool played = false;
    modal.On<Fennix_View>("frame viewer", [&](Fennix_View& viewer) {
        EXPECT_EQ(viewer.FolderPath(), frameFolder + "/");
        EXPECT_EQ(viewer.PicMorph.Width(), 200);
        Click(viewer.Cmd_Play);
        played = QTest::qWaitFor([&] { return viewer.Cmd_Play->isEnabled(); }, 30000);
        viewer.close();
    });
    document->mnuMorphIt->trigger();
    ASSERT_TRUE(test::WaitForRun(*document));
    EXPECT_TRUE(played);
    EXPECT_EQ(FilesIn(frameFolder),
              (std::vector<std::string>{"000.bmp", "001.bmp", "002.bmp", "003.bmp", "004.bmp"}));
    EXPECT_TRUE(SamePixels(*LoadImageFile(frameFolder + "/000.bmp"),
                           *LoadImageFile(tempFolder + "/" + own + "_0.bmp")));
    EXPECT_TRUE(SamePixels(*LoadImageFile(frameFolder + "/004.bmp"), trimmed));
    EXPECT_EQ(ImageSize(frameFolder + "/002.bmp"), QSize(200, 150));

    // AVI ファイルの作成: open the frame folder in the tree, save uncompressed,
    // then play the new file.
    int playsStarted = -1;
    std::string playedPath;
    modal.On<Fennix_Avi>("AVI creation", [&](Fennix_Avi& avi) {
        QListWidgetItem* target = nullptr;
        for (int row = 0; row < avi.dir1->count(); ++row)
            if (avi.dir1->item(row)->text().trimmed() == "20261208-10-20-30")
                target = avi.dir1->item(row);
        ASSERT_NE(target, nullptr);
        avi.dir1->setFocus();
        avi.dir1->setCurrentItem(target);
        QTest::keyClick(avi.dir1, Qt::Key_Return);
        EXPECT_EQ(avi.Folder(), frameFolder);
        EXPECT_EQ(avi.File1->count(), 5);
        EXPECT_EQ(avi.txtWidth->text(), "200");
        EXPECT_EQ(avi.txtHeight->text(), "150");
        prompts->ChooseFilePath(aviPath);
        Click(avi.Cmd_Avi_Save);  // runs the compressor step
        Click(avi.Cmd_Viewer);    // runs the player step
        Click(avi.cmd_Can);
    });
    modal.On<CompressorWidget>("compressor", [&](CompressorWidget& chooser) {
        chooser.lstCompressor->setCurrentRow(0);
        EXPECT_EQ(chooser.Options().Name, "none");
        Click(chooser.cmd_OK);
    });
    modal.On<Fennix_aviView>("AVI player", [&](Fennix_aviView& player) {
        playedPath = player.lbl_Path;
        EXPECT_EQ(player.size(), QSize(200, 150));
        // It plays the repeats and closes by itself.
        QObject::connect(&player, &QDialog::finished, [&] { playsStarted = player.PlaysStarted; });
    });
    document->mnuAVI->trigger();
    ASSERT_TRUE(modal.Pending().empty());
    EXPECT_EQ(playedPath, aviPath);
    EXPECT_EQ(playsStarted, 3);
    const auto probe = Probe(aviPath);
    EXPECT_EQ(probe.count("codec_name") ? probe.at("codec_name") : "", "rawvideo");
    EXPECT_EQ(probe.count("width") ? probe.at("width") : "", "200");
    EXPECT_EQ(probe.count("height") ? probe.at("height") : "", "150");
    EXPECT_EQ(probe.count("nb_read_frames") ? probe.at("nb_read_frames") : "", "5");
    EXPECT_FALSE(fs::exists(app.Path() + "/AVI_Temp.bmp"));

    // 名前を付けて保存: the images move out of the temporary folder under the
    // picked files' names, the project joins the recent list.
    prompts->ChooseFilePath(projectPath);
    document->mnuSaveName->trigger();
    EXPECT_FALSE(document->Document.Dirty);
    EXPECT_EQ(FilesIn(tempFolder), std::vector<std::string>{own + ".lock"});
    EXPECT_EQ(FilesIn(imageFolder), (std::vector<std::string>{"moon_001.bmp", "sun_001.bmp"}));
    EXPECT_TRUE(SamePixels(*LoadImageFile(imageFolder + "/moon_001.bmp"), trimmed));
    const std::string project = test::ReadFile(projectPath);
    const std::string lines[] = {"\"" + app.Path() + "\"",
                                 "4",
                                 "255",
                                 "5",
                                 "\"" + imageFolder + "/sun_001.bmp\"",
                                 "5",
                                 "5",
                                 "150"};
    size_t at = 0;
    for (const std::string& line : lines) {
        const size_t end = project.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(project.substr(at, end - at), line);
        at = end + 2;
    }
    MorphProject saved;
    ASSERT_EQ(LoadMorphFile(projectPath, saved), "");
    EXPECT_EQ(saved.Matrix1.Points(2, 2), moved);
    EXPECT_EQ(saved.Matrix2.ImagePath, imageFolder + "/moon_001.bmp");
    EXPECT_EQ(frame->mnuRecent[1]->text().toStdString(), "1 SUN TO MOON.MPH  " + work.Path());

    EXPECT_EQ(ShownTexts(*prompts), (std::vector<std::string>{"正常終了しました。確認しますか？",
                                                              "Avi ファイルを作成しました!"}));

    // Fennixの終了: nothing to ask, the settings are written.
    frame->mnuEnd->trigger();
    EXPECT_FALSE(frame->isVisible());
    frame.reset();
    EXPECT_EQ(FilesIn(tempFolder), std::vector<std::string>{});
    const auto keys = SettingsKeys(app.Path() + "/Fennix.ini");
    EXPECT_EQ(keys.at("フォルダ（org）"), PathFolder(sun));
    EXPECT_EQ(keys.at("フォルダ（mph）"), work.Path() + "/");
    EXPECT_EQ(keys.at("フォルダ（avi）"), work.Path() + "/");
    EXPECT_EQ(keys.at("総フレーム数"), " 5");
    EXPECT_EQ(keys.at("マトリクス行数"), " 5");
    EXPECT_EQ(keys.at("最近使ったファイル1"), projectPath);
    EXPECT_EQ(keys.at("最近使ったファイル2"), "");
    EXPECT_EQ(keys.at("AVIリピート"), " 3");

    // Start again and reopen the project from the recent list.
    frame = StartProgram();
    ASSERT_TRUE(frame->mnuRecent[1]->isVisible());
    frame->mnuRecent[1]->trigger();
    ASSERT_EQ(frame->Documents().size(), 1);
    Fennix_Main* reopened = frame->Documents()[0];
    EXPECT_TRUE(reopened->isVisible());
    EXPECT_EQ(reopened->windowTitle().toStdString(), projectPath);
    EXPECT_EQ(reopened->Document.Matrix(1).Points(2, 2), moved);
    EXPECT_EQ(reopened->Document.LastFrame, 4);
    EXPECT_EQ(reopened->Panes.P(2).Width(), 200);
    EXPECT_FALSE(reopened->Document.Dirty);
    // Opened once more: the new document is in front and the active one.
    frame->mnuRecent[1]->trigger();
    ASSERT_EQ(frame->Documents().size(), 2);
    Fennix_Main* again = frame->Documents()[1];
    QTest::qWait(50);
    ASSERT_NE(frame->MdiArea()->activeSubWindow(), nullptr);
    EXPECT_EQ(frame->MdiArea()->activeSubWindow()->widget(), again);
    EXPECT_EQ(frame->MdiArea()->subWindowList(QMdiArea::StackingOrder).last()->widget(), again);
    frame->mnuEnd->trigger();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(FilesIn(imageFolder).size(), 2u);
    EXPECT_EQ(SettingsKeys(app.Path() + "/Fennix.ini").at("最近使ったファイル1"), projectPath);
}

}  // namespace
}  // namespace fennix
