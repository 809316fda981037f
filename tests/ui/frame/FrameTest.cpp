#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <array>
#include <filesystem>
#include <functional>
#include <set>

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include "model/Settings.h"
#include "model/TempImages.h"
#include "model/ViewArrangement.h"
#include "support/AviTestFiles.h"
#include "support/Keys.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "ui/common/HelpWindows.h"
#include "ui/common/PaneWidget.h"
#include "ui/controls/GradientProgressBar.h"
#include "ui/document/Fennix_Main.h"
#include "ui/frame/Fennix_Mdif.h"
#include "ui/output/CompressorWidget.h"
#include "ui/output/Fennix_Avi.h"
#include "ui/output/Fennix_Video.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

QString Caption(const QAction* action) { return action->text().remove('&'); }

QStringList BarCaptions(QMainWindow& window) {
    QStringList captions;
    for (QAction* action : window.menuBar()->actions()) captions << Caption(action);
    return captions;
}

// A document that refuses to close, as one whose user answered Cancel.
class RefusingDocument : public Fennix_Main {
public:
    bool QueryUnload() override { return false; }
};

class FrameTest : public testing::Test {
protected:
    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    std::string temp() const { return app.Path() + "/テンポラリデータ"; }
    std::string images() const { return app.Path() + "/スタート・エンド画像データ"; }
};

TEST_F(FrameTest, FirstStartCreatesBothFoldersAndLoadsDefaults) {
    Fennix_Mdif frame;
    frame.MDIForm_Load();
    EXPECT_TRUE(fs::is_directory(temp()));
    EXPECT_TRUE(fs::is_directory(images()));
    EXPECT_EQ(Settings.TempFolder, temp());
    EXPECT_EQ(Settings.ImageFolder, images());
    EXPECT_EQ(Settings.FrameCount, 20);
    EXPECT_EQ(Settings.ProjectFolder(), app.Path());
    for (int n = 1; n <= 20; ++n) EXPECT_FALSE(frame.mnuRecent[n]->isVisible());
    EXPECT_FALSE(frame.mnudmy2->isVisible());
    EXPECT_EQ(frame.windowTitle(), "Fennix");
}

TEST_F(FrameTest, StartWithFoldersPresentKeepsTheirFiles) {
    fs::create_directory(temp());
    fs::create_directory(images());
    test::WriteFile(images() + "/face_001.bmp", "kept");
    Fennix_Mdif frame;
    frame.MDIForm_Load();
    EXPECT_EQ(test::ReadFile(images() + "/face_001.bmp"), "kept");
}

TEST_F(FrameTest, FrameMenuHasItsCaptionsOrderAndShortcuts) {
    Fennix_Mdif frame;
    // ヘルプ follows the specified menus.
    EXPECT_EQ(BarCaptions(frame),
              QStringList({" ファイル", "オプション", "ビューア", "ヘルプ(H)"}));

    const QList<QAction*> file = frame.mnuFile->actions();
    ASSERT_EQ(file.size(), 2 + 1 + 20 + 1 + 1 + 1 + 1);
    EXPECT_EQ(Caption(file[0]), "新規(N)");
    EXPECT_EQ(file[0]->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(Caption(file[1]), "開く(O)");
    EXPECT_EQ(file[1]->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_TRUE(file[2]->isSeparator());
    for (int n = 1; n <= 20; ++n) EXPECT_EQ(file[2 + n], frame.mnuRecent[n]);
    EXPECT_TRUE(file[23]->isSeparator());
    EXPECT_EQ(Caption(file[24]), "Fennixの終了(E)");
    EXPECT_EQ(file[24]->shortcut(), QKeySequence("Ctrl+E"));
    // Ctrl+Q too, as in other programs.
    EXPECT_EQ(file[24]->shortcuts(),
              QList<QKeySequence>({QKeySequence("Ctrl+E"), QKeySequence("Ctrl+Q")}));
    // The chain of projects comes after the specified items.
    EXPECT_TRUE(file[25]->isSeparator());
    EXPECT_EQ(Caption(file[26]), "連続モーフィング");
    EXPECT_EQ(file[26], frame.mnuChain);

    const QList<QAction*> view = frame.mnuView->actions();
    ASSERT_EQ(view.size(), 3);
    EXPECT_EQ(Caption(view[0]), "モーフィングデータ(M)");
    EXPECT_EQ(view[0]->shortcut(), QKeySequence("Ctrl+M"));
    EXPECT_EQ(Caption(view[1]), "AVI ファイル(A)");
    EXPECT_EQ(view[1]->shortcut(), QKeySequence("Ctrl+A"));
    // The video export comes after the viewer's own items.
    EXPECT_EQ(Caption(view[2]), "動画ファイルの書き出し(V)");
    EXPECT_EQ(view[2], frame.mnuVideo);
}

TEST_F(FrameTest, QuitWritesSettingsAndRemovesTheTemporaryImages) {
    std::string own[4];
    {
        Fennix_Mdif frame;
        frame.MDIForm_Load();
        frame.show();
        for (int pair = 0; pair < 2; ++pair) {
            const TempImagePair names = NextTempImagePair(Settings.TempFolder);
            own[2 * pair] = names.start;
            own[2 * pair + 1] = names.end;
            test::WriteFile(names.start, "x");
            test::WriteFile(names.end, "x");
        }
        // The shared names of the zoom bitmap and the prepared images go
        // at shut-down as they always did; any other file stays.
        for (const char* name : {"tmp.bmp", "temp_0.bmp", "temp_1.bmp", "other.bmp"})
            test::WriteFile(temp() + "/" + name, "x");
        test::WriteFile(images() + "/face_001.bmp", "kept");
        Settings.FrameCount = 33;
        frame.mnuEnd->trigger();
        EXPECT_FALSE(frame.isVisible());
    }
    for (const std::string& path : own) EXPECT_FALSE(fs::exists(path)) << path;
    for (const char* name : {"tmp.bmp", "temp_0.bmp", "temp_1.bmp"})
        EXPECT_FALSE(fs::exists(temp() + "/" + name)) << name;
    EXPECT_EQ(test::ReadFile(temp() + "/other.bmp"), "x");
    EXPECT_TRUE(fs::exists(images() + "/face_001.bmp"));
    EXPECT_NE(test::ReadFile(app.Path() + "/Fennix.ini").find("総フレーム数= 33\n"),
              std::string::npos);
    // Nothing of this copy is left: no images, no lock file.
    EXPECT_EQ(std::distance(fs::directory_iterator(temp()), fs::directory_iterator()), 1);
}

TEST_F(FrameTest, ADocumentThatRefusesKeepsTheWholeFrameOpen) {
    Fennix_Mdif frame;
    frame.MDIForm_Load();
    frame.show();
    Fennix_Main* willing = frame.CreateDocument();
    ASSERT_TRUE(willing->NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    auto* refusing = new RefusingDocument;
    frame.MdiArea()->addSubWindow(refusing)->show();

    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(frame.Documents().size(), 2);
    EXPECT_TRUE(willing->isVisible());
    EXPECT_FALSE(fs::exists(app.Path() + "/Fennix.ini"));  // shut-down did not run
}

TEST_F(FrameTest, MenuBarShowsTheActiveDocumentsMenu) {
    Fennix_Mdif frame;
    frame.MDIForm_Load();
    frame.show();
    Fennix_Main* document = frame.CreateDocument();
    ASSERT_TRUE(document->NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    frame.MdiArea()->setActiveSubWindow(frame.MdiArea()->subWindowList().first());
    EXPECT_EQ(BarCaptions(frame), QStringList({"ファイル", "編集", "ツール", "モーフィング",
                                               "動画 (AVI ファイル) ", "ヘルプ(H)"}));

    document->mnuCloseMorph->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.Documents().isEmpty());
    EXPECT_EQ(BarCaptions(frame),
              QStringList({" ファイル", "オプション", "ビューア", "ヘルプ(H)"}));
}

// Every action of the frame and of a document that has keys (menus and
// submenus, and the window's own, Escape and the Ctrl+S of a new document)
// with all of its keys.
std::set<std::pair<QString, QString>> BoundKeys(const QList<QAction*>& actions) {
    std::set<std::pair<QString, QString>> bound;
    std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& list) {
        for (QAction* action : list) {
            if (action->menu()) walk(action->menu()->actions());
            for (const QKeySequence& key : action->shortcuts())
                bound.insert({key.toString(), Caption(action)});
        }
    };
    walk(actions);
    return bound;
}

// The keyboard shortcuts window lists exactly the keys the windows have.
TEST_F(FrameTest, TheShortcutListMatchesTheKeysOfTheWindows) {
    Fennix_Mdif frame;
    Fennix_Main document;
    QList<QAction*> actions = frame.actions() + frame.menuBar()->actions();
    for (QMenu* menu : document.Menus()) actions << menu->menuAction();
    actions += document.actions();
    std::set<QString> boundKeys;
    for (const auto& [key, caption] : BoundKeys(actions)) boundKeys.insert(key);
    std::set<QString> listedKeys;
    for (const ShortcutEntry& entry : ShortcutEntries())
        for (const QKeySequence& key : entry.keys) listedKeys.insert(key.toString());
    EXPECT_EQ(listedKeys, boundKeys);
}

// The usual keys reach the commands: Ctrl+S, Ctrl+Shift+S, Ctrl+Shift+Z
// in a document, and Ctrl+Q quits.
TEST_F(FrameTest, TheUsualKeysOfADesktopProgramWork) {
    Fennix_Mdif frame;
    frame.MDIForm_Load();
    frame.show();
    Fennix_Main* document = frame.CreateDocument();
    ASSERT_TRUE(document->NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    QCoreApplication::processEvents();
    ASSERT_TRUE(test::FocusOn(document));
    EXPECT_EQ(document->mnuSaveMorph->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(document->mnuSaveName->shortcut(), QKeySequence("Ctrl+Shift+S"));
    EXPECT_TRUE(document->mnuRedo->shortcuts().contains(QKeySequence("Ctrl+Shift+Z")));

    // A new document: 上書き保存 is disabled, Ctrl+S asks for a name.
    ASSERT_FALSE(document->mnuSaveMorph->isEnabled());
    prompts->fileRequests.clear();
    ASSERT_TRUE(test::PressInFocus(Qt::Key_S, Qt::ControlModifier));
    ASSERT_EQ(prompts->fileRequests.size(), 1u);
    EXPECT_TRUE(prompts->fileRequests[0].Save);
    ASSERT_TRUE(test::PressInFocus(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_EQ(prompts->fileRequests.size(), 2u);

    // Undo and redo by Ctrl+Shift+Z.
    document->Document.Matrix(1).PointerColor = 0x00FF00;
    prompts->colors.push_back(0x0000FF);
    document->mnuColor[1]->trigger();
    ASSERT_EQ(document->Document.Matrix(1).PointerColor, 0x0000FF);
    document->Undo();
    ASSERT_EQ(document->Document.Matrix(1).PointerColor, 0x00FF00);
    ASSERT_TRUE(test::PressInFocus(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_EQ(document->Document.Matrix(1).PointerColor, 0x0000FF);

    // Ctrl+Q closes the program as Ctrl+E does (the changed document asks;
    // No closes it unsaved).
    prompts->Answer(MessageAnswer::No);
    ASSERT_TRUE(test::PressInFocus(Qt::Key_Q, Qt::ControlModifier));
    EXPECT_FALSE(frame.isVisible());
}

// The title of a document with unsaved changes carries the mark; a save
// takes it away. The status bar follows the pointer over the pictures and
// shows the document's hint.
TEST_F(FrameTest, ChangedDocumentsAreMarkedAndTheStatusBarFollowsThePointer) {
    Fennix_Mdif frame;
    frame.MDIForm_Load();
    frame.show();
    Fennix_Main* document = frame.CreateDocument();
    ASSERT_TRUE(document->NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    QCoreApplication::processEvents();
    auto* sub = qobject_cast<QMdiSubWindow*>(document->parentWidget());
    ASSERT_TRUE(sub);
    EXPECT_FALSE(sub->isWindowModified());
    EXPECT_EQ(frame.lblPointer->text(), QString("%1%").arg(document->Document.Zoom.Percent()));

    prompts->colors.push_back(0x0000FF);
    document->mnuColor[0]->trigger();
    EXPECT_TRUE(document->Document.Dirty);
    EXPECT_TRUE(sub->isWindowModified());
    EXPECT_TRUE(sub->windowTitle().endsWith("[*]"));
    EXPECT_EQ(document->windowTitle(), "Fennix");  // the document's own caption stays

    document->Undo();  // back to the state it was made in
    EXPECT_FALSE(sub->isWindowModified());
    document->Redo();
    EXPECT_TRUE(sub->isWindowModified());

    const std::string project = app.Folder().File("marked.mph");
    prompts->ChooseFilePath(project);
    document->mnuSaveName->trigger();
    ASSERT_TRUE(fs::exists(project));
    EXPECT_FALSE(document->Document.Dirty);
    EXPECT_FALSE(sub->isWindowModified());

    // The pointer over the end picture at 100 %, then off the pictures.
    const QList<PaneWidget*> panes = document->findChildren<PaneWidget*>();
    PaneWidget* end = nullptr;
    for (PaneWidget* pane : panes)
        if (&pane->Pane() == &document->Panes.P(2)) end = pane;
    ASSERT_TRUE(end);
    document->SetZoom(2);
    QMouseEvent move(QEvent::MouseMove, QPointF(81, 61), end->mapToGlobal(QPointF(81, 61)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(end, &move);
    EXPECT_EQ(frame.lblPointer->text(), "終了画像 (40, 30)   200%");
    EXPECT_EQ(frame.statusBar()->isVisible(), true);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(end, &leave);
    EXPECT_EQ(frame.lblPointer->text(), "200%");

    // The document's hint (drawing a stroke) on the status bar's left.
    document->mnuDrawStroke->trigger();
    EXPECT_EQ(frame.statusBar()->currentMessage(), document->Hint());
    EXPECT_FALSE(frame.statusBar()->currentMessage().isEmpty());
    document->mnuDrawStroke->trigger();
    EXPECT_TRUE(frame.statusBar()->currentMessage().isEmpty());
}

// New documents open one step further in, inside the visible frame area,
// and the close question about a changed document shows it in front.
TEST_F(FrameTest, DocumentsCascadeAndTheCloseQuestionShowsItsDocument) {
    Fennix_Mdif frame;
    frame.resize(900, 600);
    frame.MDIForm_Load();
    frame.show();
    QList<Fennix_Main*> documents;
    for (int n = 0; n < 3; ++n) {
        documents << frame.CreateDocument();
        ASSERT_TRUE(documents.back()->NewMorph(test::SamplePath("sun.bmp"),
                                               test::SamplePath("moon.bmp")));
    }
    const QRect area = frame.MdiArea()->viewport()->rect();
    const QList<QMdiSubWindow*> subs = frame.MdiArea()->subWindowList();
    ASSERT_EQ(subs.size(), 3);
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(subs[n]->pos(), QPoint(n * kCascadeStep, n * kCascadeStep));
        EXPECT_TRUE(area.contains(subs[n]->geometry())) << n;
    }

    // The first two are changed; each question finds its own document active.
    documents[0]->Document.Dirty = true;
    documents[1]->Document.Dirty = true;
    frame.MdiArea()->setActiveSubWindow(subs[2]);
    std::vector<QMdiSubWindow*> asked;
    prompts->onMessage = [&](const test::ScriptedPrompts::Shown&) {
        asked.push_back(frame.MdiArea()->activeSubWindow());
    };
    prompts->Answer(MessageAnswer::No);
    prompts->Answer(MessageAnswer::Cancel);
    EXPECT_FALSE(frame.close());
    EXPECT_EQ(asked, (std::vector<QMdiSubWindow*>{subs[0], subs[1]}));
}

// Closing the program while a document makes its morph asks about the
// run first: No keeps everything as it was, Yes stops the run and closes.
TEST_F(FrameTest, ClosingDuringARunAsksFirst) {
    test::UseDefaultGridSettings();
    Settings.FrameCount = 400;
    Fennix_Mdif frame;
    frame.MDIForm_Load();
    frame.show();
    Fennix_Main* document = frame.CreateDocument();
    ASSERT_TRUE(document->NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
    document->mnuMorphIt_Click();
    ASSERT_TRUE(document->MorphRunning());

    prompts->Answer(MessageAnswer::No);
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(document->MorphRunning());
    ASSERT_EQ(prompts->shown.size(), 1u);
    EXPECT_EQ(prompts->shown[0].text, kStopRunQuestion);

    prompts->Answer(MessageAnswer::Yes);
    EXPECT_TRUE(frame.close());
    EXPECT_FALSE(document->MorphRunning());
    EXPECT_EQ(prompts->shown.size(), 2u);
}

// Closing the program while a video or an AVI file is being made asks
// first. No lets the job run to its end and keeps the program open; Yes
// stops the job, leaves no file, tells nothing more, and closes the program
// once the dialog has returned.
TEST_F(FrameTest, ClosingDuringAnExportAsksFirst) {
    // An uncompressed AVI is quick to write: it gets more and larger frames.
    test::TestFolder frames, aviFrames, out;
    test::WriteFrames(frames.Path(), 0, 29, 160, 120);
    test::WriteFrames(aviFrames.Path(), 0, 99, 320, 240);
    ChooseCompressor = [](QWidget*) { return std::optional<CompressorOptions>(CompressorOptions{}); };
    struct Case {
        bool avi;  // the AVI dialog of a document, else the frame's video export
        MessageAnswer answer;
    };
    for (const Case c : {Case{false, MessageAnswer::No}, Case{false, MessageAnswer::Yes},
                         Case{true, MessageAnswer::No}, Case{true, MessageAnswer::Yes}}) {
        const bool yes = c.answer == MessageAnswer::Yes;
        SCOPED_TRACE(std::string(c.avi ? "AVI, " : "video, ") + (yes ? "Yes" : "No"));
        Fennix_Mdif frame;
        frame.MDIForm_Load();
        frame.show();
        Settings.FrameFolder() = frames.Path() + "/";
        Fennix_Main* document = nullptr;
        if (c.avi) {
            document = frame.CreateDocument();
            ASSERT_TRUE(document->NewMorph(test::SamplePath("sun.bmp"), test::SamplePath("moon.bmp")));
            document->Document.Dirty = false;
        }
        const std::string name = std::string(yes ? "stopped" : "whole") + (c.avi ? ".avi" : ".gif");
        prompts->shown.clear();
        bool runningAtClose = false, closed = true;
        QTimer::singleShot(0, &frame, [&] {
            auto* dialog = frame.findChild<ProgramDialog*>();
            ASSERT_NE(dialog, nullptr);
            prompts->ChooseFilePath(out.File(name));
            QTimer::singleShot(0, dialog, [&, dialog] {
                runningAtClose = dialog->JobRunning();
                prompts->Answer(c.answer);
                closed = frame.close();
            });
            if (auto* video = qobject_cast<Fennix_Video*>(dialog)) {
                video->cboFormat->setCurrentIndex(static_cast<int>(VideoFormat::Gif));
                video->Cmd_Export_Click();
            } else if (auto* avi = qobject_cast<Fennix_Avi*>(dialog)) {
                avi->SetFolder(aviFrames.Path());
                avi->txtWidth->setText("320");
                avi->txtHeight->setText("240");
                avi->Cmd_Avi_Save_Click();
            }
            EXPECT_FALSE(dialog->JobRunning());
            dialog->reject();
        });
        (c.avi ? document->mnuAVI : frame.mnuVideo)->trigger();

        EXPECT_TRUE(runningAtClose);
        EXPECT_FALSE(closed);  // the first close waits for the dialog
        ASSERT_GE(prompts->shown.size(), 1u);
        EXPECT_EQ(prompts->shown[0].text, c.avi ? "AVI ファイルを作成中です。中止して閉じますか？"
                                                : "動画ファイルを作成中です。中止して閉じますか？");
        EXPECT_EQ(prompts->shown[0].buttons, MessageButtons::YesNoDefaultNo);
        if (!yes) {
            ASSERT_EQ(prompts->shown.size(), 2u);
            EXPECT_EQ(prompts->shown[1].text,
                      c.avi ? "Avi ファイルを作成しました!" : "動画ファイルを作成しました!");
            EXPECT_TRUE(fs::exists(out.File(name)));
            EXPECT_TRUE(frame.isVisible());
        } else {
            EXPECT_EQ(prompts->shown.size(), 1u);
            EXPECT_FALSE(fs::exists(out.File(name)));
            EXPECT_FALSE(frame.isVisible());
        }
    }
    EXPECT_EQ(test::ListNames(out.Path()), "whole.avi whole.gif");
    ChooseCompressor = ShowCompressorChooser;
}

TEST(CascadePlace, StepsInAndStartsAgainWhenTheRoomRunsOut) {
    // 400 × 300: room for (400 − 240) / 24 = 6 and (300 − 160) / 24 = 5 steps.
    const WindowPlace first = CascadePlace(0, 1000, 100, 400, 300);
    EXPECT_EQ((std::array{first.left, first.top, first.width, first.height}),
              (std::array{0, 0, 400, 100}));
    const WindowPlace fifth = CascadePlace(5, 200, 200, 400, 300);
    EXPECT_EQ((std::array{fifth.left, fifth.top, fifth.width, fifth.height}),
              (std::array{120, 120, 200, 180}));
    EXPECT_EQ(CascadePlace(6, 200, 200, 400, 300).left, 0);
    // An area smaller than the least size still places at the corner.
    const WindowPlace tiny = CascadePlace(3, 500, 500, 100, 50);
    EXPECT_EQ((std::array{tiny.left, tiny.top, tiny.width, tiny.height}),
              (std::array{0, 0, 100, 50}));
}

TEST(TempImages, EachUnsavedDocumentGetsItsOwnPair) {
    test::TestFolder folder;
    TempWorkspace workspace;
    ASSERT_TRUE(workspace.Claim(folder.Path(), "41"));
    TempImagePair first = workspace.NextPair();
    EXPECT_EQ(first.start, folder.File("temp_41_0.bmp"));
    EXPECT_EQ(first.end, folder.File("temp_41_1.bmp"));
    test::WriteFile(first.start, "x");
    test::WriteFile(first.end, "x");
    TempImagePair second = workspace.NextPair();
    EXPECT_EQ(second.start, folder.File("temp_41_2.bmp"));
    EXPECT_EQ(second.end, folder.File("temp_41_3.bmp"));
    // Pairs handed out stay taken, even when their files have gone, and so
    // does a pair with either file present.
    fs::remove(first.end);
    test::WriteFile(folder.File("temp_41_5.bmp"), "x");
    EXPECT_EQ(workspace.NextPair().start, folder.File("temp_41_6.bmp"));
}

TEST(TempImages, NamesOfPreparedImages) {
    for (const char* name : {"temp_0.bmp", "temp_17.bmp", "temp_4711_0.bmp", "temp_4711-2_13.bmp"})
        EXPECT_TRUE(IsTempImageName(name)) << name;
    for (const char* name : {"temp_.bmp", "temp_x.bmp", "temp_1_.bmp", "temp__1.bmp", "tmp.bmp",
                             "temp_1-_2.bmp", "mytemp_1.bmp", "temp_1.lock", "temp_1_2.jpg"})
        EXPECT_FALSE(IsTempImageName(name)) << name;
}

}  // namespace
}  // namespace fennix
