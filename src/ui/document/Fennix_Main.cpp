#include "ui/document/Fennix_Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QUndoStack>
#include <QWheelEvent>

#include <cmath>
#include <filesystem>
#include <system_error>

#include "ui/frame/Fennix_Opt.h"
#include "model/RecentFiles.h"
#include "model/Settings.h"
#include "model/TempImages.h"
#include "ui/controls/GradientProgressBar.h"
#include "ui/controls/Slider.h"
#include "ui/controls/ccXPButton.h"
#include "ui/controls/ucScrollbar.h"
#include "core/AppFolder.h"
#include "core/Paths.h"
#include "engine/MorphRun.h"
#include "ui/output/Fennix_Avi.h"
#include "ui/output/Fennix_Video.h"
#include "ui/output/Fennix_View.h"
#include "ui/output/Fennix_aviView.h"
#include "media/ImageFile.h"
#include "ui/common/PaneWidget.h"
#include "core/Prompts.h"
#include "ui/common/cFileDlg.h"
#include "model/DocumentHistory.h"
#include "model/ImageRelocation.h"
#include "model/MatrixDrawing.h"
#include "model/MatrixEditing.h"
#include "model/ProjectFile.h"
#include "model/ViewArrangement.h"

namespace fennix {

namespace {
constexpr const char* kRunFailed = "③処理は失敗しました。";
constexpr int kPreviewStripHeight = 30;  // the preview's slider below it
}  // namespace

Fennix_Main::Fennix_Main(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QString::fromUtf8(kAppTitle));

    Pb = new PanelWidget(this);
    Pb->SetBackColor(kDefaultBackColor);
    Panes.MorphT.SetBackColor(kDefaultBackColor);
    for (int k = 1; k <= 2; ++k) paneWidgets_[k - 1] = new PaneWidget(Panes.P(k), Pb);
    for (int k = 1; k <= 2; ++k) {
        PaneWidget* pane = paneWidgets_[k - 1];
        connect(pane, &PaneWidget::PaneMouseDown, this,
                [this, k](Qt::MouseButton b, QPointF p) { P_MouseDown(k, b, p.x(), p.y()); });
        connect(pane, &PaneWidget::PaneMouseMove, this,
                [this, k](Qt::MouseButtons b, QPointF p) { P_MouseMove(k, b, p.x(), p.y()); });
        connect(pane, &PaneWidget::PaneMouseUp, this,
                [this, k](Qt::MouseButton b, QPointF p) { P_MouseUp(k, b, p.x(), p.y()); });
    }
    undoStack_ = new QUndoStack(this);
    RunOptionsDialog = [](Fennix_Opt& dialog) { dialog.exec(); };
    Panes.MorphT.SetVisible(false);
    morphWidget_ = new PaneWidget(Panes.MorphT, Pb);
    Preview.SetVisible(false);
    previewWidget_ = new PaneWidget(Preview, Pb);
    PreviewSlider = new Slider(0, Pb);
    PreviewSlider->hide();
    lblPreviewFrame = new QLabel(Pb);
    lblPreviewFrame->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblPreviewFrame->hide();
    connect(PreviewSlider, &Slider::Change, this, [this] { UpdatePreview(); });

    HScroll1 = new ucScrollbar(Qt::Horizontal, Pb);
    VScroll1 = new ucScrollbar(Qt::Vertical, Pb);
    connect(HScroll1, &ucScrollbar::Change, this, &Fennix_Main::HScroll1_Change);
    connect(VScroll1, &ucScrollbar::Change, this, &Fennix_Main::VScroll1_Change);

    GradientProgressBar1 = new GradientProgressBar(Pb);
    GradientProgressBar1->hide();
    // A run can be stopped with the button beside its progress bar or Escape.
    cmdCancelRun = new ccXPButton(QString::fromUtf8("ｷｬﾝｾﾙ"), Pb);
    cmdCancelRun->resize(72, 22);
    cmdCancelRun->setCursor(Qt::ArrowCursor);
    cmdCancelRun->hide();
    connect(cmdCancelRun, &QPushButton::clicked, this, &Fennix_Main::CancelMorphRun);
    cancelRunAction_ = new QAction(this);
    cancelRunAction_->setShortcut(QKeySequence(Qt::Key_Escape));
    cancelRunAction_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    cancelRunAction_->setEnabled(false);
    addAction(cancelRunAction_);
    connect(cancelRunAction_, &QAction::triggered, this, &Fennix_Main::CancelMorphRun);

    BuildMenus();

    // Window load.
    Document.Zoom = 1;
    TickZoom();
    ArrangeViews();
}

Fennix_Main::~Fennix_Main() = default;

void Fennix_Main::BuildMenus() {
    auto menu = [this](const char* caption) {
        auto* m = new QMenu(QString::fromUtf8(caption), this);
        menus_.append(m);
        return m;
    };
    auto item = [](QMenu* m, const char* caption) {
        return m->addAction(QString::fromUtf8(caption));
    };

    QMenu* file = menu("ファイル");
    mnuCloseMorph = item(file, "閉じる");
    mnuSaveMorph = item(file, "上書き保存");
    mnuSaveName = item(file, "名前を付けて保存");
    connect(mnuCloseMorph, &QAction::triggered, this, [this] { OuterWindow()->close(); });

    QMenu* edit = menu("編集");
    mnuUndo = item(edit, "元に戻す");
    mnuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = item(edit, "やり直し");
    mnuRedo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    mnuUndo->setEnabled(false);
    mnuRedo->setEnabled(false);
    connect(mnuUndo, &QAction::triggered, this, &Fennix_Main::Undo);
    connect(mnuRedo, &QAction::triggered, this, &Fennix_Main::Redo);
    connect(undoStack_, &QUndoStack::canUndoChanged, mnuUndo, &QAction::setEnabled);
    connect(undoStack_, &QUndoStack::canRedoChanged, mnuRedo, &QAction::setEnabled);

    QMenu* tools = menu("ツール");
    mnuSetting = item(tools, "オプション");
    QMenu* colors = tools->addMenu(QString::fromUtf8("色"));
    mnuColor[0] = item(colors, "マトリクスの色");
    mnuColor[1] = item(colors, "ポインタの色");
    mnuColor[2] = item(colors, "背景の色");
    QMenu* zooming = tools->addMenu(QString::fromUtf8("ズーミング"));
    mnuZoomFit = item(zooming, "ウィンドウに合わせる");
    zooming->addSeparator();
    mnuZoom25 = item(zooming, "25%");
    mnuZoom50 = item(zooming, "50%");
    mnuZoom[1] = item(zooming, "100%");
    mnuZoom[2] = item(zooming, "200%");
    mnuZoom[3] = item(zooming, "300%");

    QMenu* go = menu("モーフィング");
    mnuMorphIt = item(go, "作成スタート");
    mnuMorph = item(go, "モーフィングビューア");
    mnuPreview = item(go, "プレビュー");
    mnuPreview->setCheckable(true);
    mnuPreview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(mnuPreview, &QAction::triggered, this, &Fennix_Main::mnuPreview_Click);

    QMenu* video = menu("動画 (AVI ファイル) ");
    mnuAVI = item(video, "AVI ファイルの作成");
    mnuAVI2 = item(video, "AVI ビューア");
    mnuVideo = item(video, "動画ファイルの書き出し");

    connect(mnuMorphIt, &QAction::triggered, this, &Fennix_Main::mnuMorphIt_Click);
    connect(mnuSetting, &QAction::triggered, this, &Fennix_Main::mnuSetting_Click);
    for (int index = 0; index < 3; ++index)
        connect(mnuColor[index], &QAction::triggered, this,
                [this, index] { mnuColor_Click(index); });
    for (int z = 1; z <= 3; ++z)
        connect(mnuZoom[z], &QAction::triggered, this, [this, z] { mnuZoom_Click(z); });
    connect(mnuZoomFit, &QAction::triggered, this, &Fennix_Main::mnuZoomFit_Click);
    connect(mnuZoom50, &QAction::triggered, this, [this] { SetZoom(ZoomScale::Ratio(1, 2)); });
    connect(mnuZoom25, &QAction::triggered, this, [this] { SetZoom(ZoomScale::Ratio(1, 4)); });
    connect(mnuMorph, &QAction::triggered, this, &Fennix_Main::mnuMorph_Click);
    RunViewer = [this] { ShowFrameViewer(this, ChooseViewerFolder); };
    connect(mnuAVI, &QAction::triggered, this, [this] { ShowAviCreation(this); });
    connect(mnuAVI2, &QAction::triggered, this, [this] { ShowAviPlayer(this); });
    connect(mnuVideo, &QAction::triggered, this, [this] { ShowVideoExport(this); });

    connect(mnuSaveMorph, &QAction::triggered, this, &Fennix_Main::mnuSaveMorph_Click);
    connect(mnuSaveName, &QAction::triggered, this, &Fennix_Main::mnuSaveName_Click);
}

bool Fennix_Main::NewMorph(const std::string& startPath, const std::string& endPath) {
    auto fail = [this](const std::string& path) {
        ShowMessage(path + "が無効です。", MessageIcon::Exclamation);
        Unload();
        return false;
    };
    if (!LoadImage(1, startPath)) return fail(startPath);
    if (!LoadImage(2, endPath)) return fail(endPath);

    InitDocumentGrids(Document, Panes.Poriginal(1), startPath, endPath);
    ShowWindow();
    OpenAtFittingZoom();
    // A fresh document from the new command can only be saved under a name.
    mnuSaveMorph->setEnabled(false);
    ArrangeViews();
    return true;
}

bool Fennix_Main::LoadImage(int k, const std::string& path) {
    // Decoded once: P(k) shows the same pixels until it is zoomed.
    if (!Panes.Poriginal(k).LoadPicture(path)) return false;
    Panes.P(k).SetPicture(Panes.Poriginal(k).Picture());
    return true;
}

void Fennix_Main::OpenAtFittingZoom() {
    // Pictures larger than the window open whole; the grids are drawn once,
    // at the zoom they are shown at. The frame box has just been sized: its
    // layout passes that on to this window now rather than later.
    if (QLayout* layout = OuterWindow()->layout()) layout->activate();
    ArrangeViews();
    // A window that is not on the screen (its frame hidden) has no size to
    // fit to.
    const ZoomScale fit = isVisible() ? WindowFitZoom() : ZoomScale(1);
    if (fit < ZoomScale(1)) {
        SetZoom(fit);  // which asks for the preview at that zoom
    } else {
        Document.Zoom = 1;
        TickZoom();
        DrawGrids();
        UpdatePreview();
    }
}

void Fennix_Main::ArrangeViews() {
    if (HScroll1->Value() > 0) HScroll1->SetValue(0);
    if (VScroll1->Value() > 0) VScroll1->SetValue(0);

    PicturePane& start = Panes.P(1);
    PicturePane& end = Panes.P(2);
    start.Move(0, 0);
    Pb->setGeometry(0, 0, width(), height());

    ViewSizes sizes;
    sizes.startWidth = start.Width();
    sizes.startHeight = start.Height();
    sizes.endWidth = end.Width();
    sizes.panelWidth = Pb->width();
    sizes.panelHeight = Pb->height();
    sizes.vScrollWidth = VScroll1->width();
    sizes.hScrollHeight = HScroll1->height();
    if (previewShown_) {
        sizes.previewWidth = start.Width();
        sizes.previewHeight = start.Height() + kPreviewStripHeight;
    }
    const ViewArrangement layout = ArrangeViewSizes(sizes);

    end.Move(layout.endLeft, 0);
    const auto place = [](ucScrollbar* bar, const ScrollPlacement& p) {
        bar->setGeometry(p.left, p.top, p.width, p.height);
        if (p.needed) {
            bar->SetMax(p.maximum);
            bar->SetLargeChange(p.largeStep);
        }
        bar->setEnabled(p.needed);
        bar->raise();
    };
    place(VScroll1, layout.vertical);
    place(HScroll1, layout.horizontal);

    // The run's progress bar lies just above the horizontal bar, as wide as
    // the screen, wherever the panel's size has put that bar.
    const QScreen* screen = QGuiApplication::primaryScreen();
    GradientProgressBar1->setGeometry(0, HScroll1->y() - HScroll1->height(),
                                      screen ? screen->geometry().width() : 1024,
                                      GradientProgressBar::kHeight);
    // Its cancel button at the right end of the visible part, level with it.
    cmdCancelRun->move(std::max(VScroll1->x() - cmdCancelRun->width() - 4, 0),
                       GradientProgressBar1->geometry().bottom() + 1 - cmdCancelRun->height());
    PlacePreview();
}

void Fennix_Main::HScroll1_Change(int value) {
    PicturePane& start = Panes.P(1);
    start.Move(-value, start.Top());
    Panes.P(2).Move(start.Left() + start.Width() + kImageGap, Panes.P(2).Top());
    PlacePreview();
}

void Fennix_Main::VScroll1_Change(int value) {
    Panes.P(1).Move(Panes.P(1).Left(), -value);
    Panes.P(2).Move(Panes.P(2).Left(), -value);
    PlacePreview();
}

void Fennix_Main::PlacePreview() {
    const bool shown = previewShown_ && !run_.Running();
    Preview.SetVisible(shown);
    PreviewSlider->setVisible(shown);
    lblPreviewFrame->setVisible(shown);
    if (!shown) return;
    const PicturePane& start = Panes.P(1);
    const PicturePane& end = Panes.P(2);
    const int left = end.Left() + end.Width() + kImageGap;
    Preview.Move(left, start.Top());
    const int stripTop = start.Top() + start.Height() + 4;
    const int labelWidth = 72;
    const int sliderWidth = std::max(start.Width() - labelWidth - 4, 80);
    PreviewSlider->setGeometry(left, stripTop, sliderWidth, 22);
    lblPreviewFrame->setGeometry(left + sliderWidth + 4, stripTop, labelWidth, 22);
}

void Fennix_Main::mnuPreview_Click() {
    SetPreviewShown(!previewShown_);
    Settings.PreviewShown = previewShown_;
    UpdatePreview();
}

void Fennix_Main::SetPreviewShown(bool shown) {
    previewShown_ = shown;
    mnuPreview->setChecked(shown);
    if (shown) {
        PreviewSlider->SetMax(Document.LastFrame);
        PreviewSlider->SetValue(Document.LastFrame / 2);  // the middle frame first
        // Until its frame is made the pane shows the background colour.
        Preview.SetBackColor(Pb->BackColor());
        Preview.ClearPicture();
        Preview.SetSize(Panes.P(1).Width(), Panes.P(1).Height());
    }
    ArrangeViews();
}

void Fennix_Main::SetPreviewFrame(int k) {
    PreviewSlider->SetValue(std::clamp(k, 0, std::max(Document.LastFrame, 0)));
    UpdatePreview();
}

MorphCopy Fennix_Main::MorphNow() {
    // The pictures are shared copies: the document's drawing detaches from them.
    return {Panes.Poriginal(1).Picture(), Panes.Poriginal(2).Picture(), Document.Matrix(1), Document.Matrix(2),
            Document.LastFrame};
}

void Fennix_Main::UpdatePreview(bool quick) {
    if (!previewShown_) return;
    const int last = Document.LastFrame;
    if (PreviewSlider->Max() != last) PreviewSlider->SetMax(last);
    const int k = std::clamp(PreviewSlider->Value(), 0, std::max(last, 0));
    lblPreviewFrame->setText(QString("%1 / %2").arg(k).arg(last));
    PreviewJob::Request request;
    request.morph = MorphNow();
    request.k = k;
    request.backColor = Pb->BackColor();
    // While a point is dragged, a large picture is followed at about a
    // third of a million pixels, which keeps up with the mouse.
    const double pixels = double(request.morph.start.width()) * request.morph.start.height();
    constexpr double kQuickPixels = 300000;
    request.scale = quick && pixels > kQuickPixels ? std::sqrt(kQuickPixels / pixels) : 1;
    previewJob_.Ask(std::move(request));
}

void Fennix_Main::ShowPreviewFrame(const QImage& frame, const PreviewJob::Request& request) {
    if (!previewShown_) return;
    const QSize pane(Panes.P(1).Width(), Panes.P(1).Height());
    Preview.SetBackColor(request.backColor);
    if (frame.isNull()) {
        // A state no run could make (grids reaching too far, say).
        Preview.ClearPicture();
        Preview.SetSize(pane.width(), pane.height());
    } else if (request.scale < 1) {
        Preview.SetPicture(frame.scaled(pane, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    } else {
        previewFrame_ = frame;
        Preview.SetPicture(ImageAtZoom(frame, Document.Zoom));
    }
    PlacePreview();
}

void Fennix_Main::mnuMorphIt_Click() {
    if (run_.Running()) return;

    // The frame folder comes first; a folder that cannot be made (it exists
    // already, or the application folder is read-only) fails the run before
    // anything on the window changes.
    const std::string folder = JoinPath(ApplicationFolder(), FrameFolderName(Clock()));
    std::error_code error;
    if (!std::filesystem::create_directory(folder, error)) {
        ShowMessage(kRunFailed, MessageIcon::Exclamation);
        return;
    }
    Settings.FrameFolder() = folder + "/";

    // The window stays usable while the frames are made on a thread of the
    // run's own: the busy pointer over the panel says work goes on.
    Pb->setCursor(Qt::BusyCursor);
    PicturePane& surface = Panes.MorphT;
    surface.SetBackColor(Pb->BackColor());
    Panes.P(1).SetVisible(false);
    Panes.P(2).SetVisible(false);
    surface.ClearPicture();
    surface.Move(0, 0);
    surface.SetSize(Panes.Poriginal(1).Width(), Panes.Poriginal(1).Height());
    surface.SetVisible(true);
    Pb->repaint();

    runCaption_ = OuterWindow()->windowTitle();
    Panes.P(1).Cls();
    Panes.P(2).Cls();
    SetRunControls(true);

    MorphRunJob::Input input;
    input.morph = MorphNow();
    input.output.frameFolder = Settings.FrameFolder();
    input.output.saveKind = Settings.SaveKind;
    input.output.tempFolder = Settings.TempFolder;
    input.output.companionFolder = ExecutableFolder();
    input.backColor = Pb->BackColor();
    MorphRunJob::Callbacks callbacks;
    callbacks.progress = [this](int k, int last) {
        // In 64 bits: the counts of a damaged project may reach INT32_MAX.
        const int64_t done = int64_t{k} + 1, total = int64_t{last} + 1;
        OuterWindow()->setWindowTitle(QString("%1/%2").arg(done).arg(total));
        GradientProgressBar1->SetValue(static_cast<int>(done * 100 / total));
    };
    callbacks.frame = [this](int k, const QImage& frame) {
        Panes.MorphT.Layer() = frame;
        Panes.MorphT.Refresh();
        if (FrameShown) {
            OuterWindow()->repaint();
            FrameShown(k, Document.LastFrame);
        }
    };
    callbacks.finished = [this](const std::string& result, int written) {
        MorphRunFinished(result, written);
    };
    run_.Start(std::move(input), std::move(callbacks));
}

bool Fennix_Main::MorphRunning() const {
    return run_.Running();
}

void Fennix_Main::CancelMorphRun() {
    if (!run_.Running()) return;
    run_.Cancel();
    cmdCancelRun->setEnabled(false);
}

void Fennix_Main::SetRunControls(bool running) {
    // While frames are made, nothing may change the document or start
    // another run on it; the actions come back as they were.
    if (running) {
        disabledForRun_.clear();
        std::function<void(const QMenu*)> disable = [&](const QMenu* menu) {
            for (QAction* action : menu->actions()) {
                if (action->menu()) disable(action->menu());
                if (!action->isEnabled()) continue;
                disabledForRun_.append(action);
                action->setEnabled(false);
            }
        };
        for (const QMenu* menu : menus_) disable(menu);
        GradientProgressBar1->raise();
        GradientProgressBar1->show();
        cmdCancelRun->setEnabled(true);
        cmdCancelRun->raise();
        cmdCancelRun->show();
        // With the focus on it, Escape (and Enter) stop the run.
        cmdCancelRun->setFocus();
    } else {
        for (QAction* action : disabledForRun_) action->setEnabled(true);
        disabledForRun_.clear();
        mnuUndo->setEnabled(undoStack_->canUndo());
        mnuRedo->setEnabled(undoStack_->canRedo());
        GradientProgressBar1->hide();
        cmdCancelRun->hide();
    }
    cancelRunAction_->setEnabled(running);
    PlacePreview();  // the run's frames take the panel meanwhile
}

void Fennix_Main::MorphRunFinished(const std::string& result, int written) {
    SetRunControls(false);
    Pb->unsetCursor();
    const QString caption = runCaption_;
    if (quietRunEnd_) {
        // The window is closing: no questions, only the window put back.
        EndMorphRun(caption);
        return;
    }
    if (result == kMorphCancelled) {
        EndMorphRun(caption);
        ShowMessage("作成を中止しました。" + std::to_string(written) + " フレームを保存しました。",
                    MessageIcon::Information);
        return;
    }
    if (!result.empty()) {
        // Over the frame the run stopped at; the window is put back after it.
        ShowMessage(kRunFailed, MessageIcon::Exclamation);
        EndMorphRun(caption);
        return;
    }
    QCoreApplication::processEvents();
    EndMorphRun(caption);

    if (CurrentPrompts().Message("正常終了しました。確認しますか？", "Fennix(完了)",
                                 MessageIcon::Question,
                                 MessageButtons::YesNo) == MessageAnswer::Yes) {
        Settings.ViewerFromMenu = false;
        RunViewer();
    }
}

bool Fennix_Main::OpenMorph(const std::string& path) {
    OuterWindow()->hide();
    MorphProject project;
    const std::string message = LoadMorphFile(path, project);
    if (!message.empty()) {
        ShowMessage(message, MessageIcon::Critical);
        Unload();
        return false;
    }
    Settings.FrameFolder() = project.Folder;
    Settings.BackgroundColor = project.BackgroundColor;
    Document.LastFrame = project.LastFrame;
    Document.Matrix(1) = project.Matrix1;
    Document.Matrix(2) = project.Matrix2;

    for (int k = 1; k <= 2; ++k) {
        const std::string& image = Document.Matrix(k).ImagePath;
        if (!LoadImage(k, image)) {
            ShowMessage(image + "が無効です。", MessageIcon::Exclamation);
            Unload();
            return false;
        }
    }

    Document.FileName = path;
    Pb->SetBackColor(Settings.BackgroundColor);
    Panes.MorphT.SetBackColor(Settings.BackgroundColor);
    setWindowTitle(QString::fromStdString(path));
    ShowWindow();
    OpenAtFittingZoom();
    mnuSaveMorph->setEnabled(true);
    ArrangeViews();
    Document.Dirty = false;
    return true;
}

bool Fennix_Main::RelocateImages() {
    bool relocated = true;
    for (int k = 1; k <= 2; ++k) {
        MatrixRecord& m = Document.Matrix(k);
        // This copy's own prepared images move; another copy's are copied.
        const bool own = IsOwnTempImage(m.ImagePath, Settings.TempFolder);
        const auto path = RelocateImage(m.ImagePath, Settings.TempFolder, Settings.ImageFolder,
                                        Document.SourcePath[k - 1], own);
        if (path)
            m.ImagePath = *path;
        else
            relocated = false;
    }
    // A project referring to the temporary folder would lose its images
    // when they are cleaned up: it is not written at all.
    if (!relocated)
        ShowMessage(Settings.ImageFolder +
                        "に画像を保存できませんでした。\nプロジェクトは保存されていません。",
                    MessageIcon::Critical);
    return relocated;
}

bool Fennix_Main::WriteProject(const std::string& path) {
    const std::string message =
        SaveMorphFile(path, Document.Matrix(1), Document.Matrix(2), Settings.ProjectFolder(),
                      Document.LastFrame, Settings.BackgroundColor);
    if (!message.empty()) {
        // The work is not safe yet: the document stays marked as changed.
        ShowMessage(message, MessageIcon::Critical);
        return false;
    }
    MarkSaved();
    return true;
}

void Fennix_Main::SaveUnderName(bool addToRecentFiles) {
    static const char* kTitle = "ファィルの保存";
    std::string chosen, target;
    for (;;) {
        cFileDlg dialog;
        dialog.DlgTitle = kTitle;
        dialog.Filter = "モーフィングファイル (*.mph)|*.mph";
        dialog.OverwritePrompt = true;
        Settings.DialogFolder() = Settings.ProjectFolder();
        std::string title;
        if (!dialog.VBGetSaveFileName(chosen, title)) return;

        const bool hasExtension =
            chosen.size() >= 4 && chosen.compare(chosen.size() - 4, 4, ".mph") == 0;
        target = hasExtension ? chosen : chosen + ".mph";
        // The dialog asked about the name as typed; when ".mph" is added the
        // file actually written is another one, which must not be replaced
        // without the same question. No goes back to the dialog.
        std::error_code error;
        if (target == chosen || !std::filesystem::is_regular_file(target, error)) break;
        if (CurrentPrompts().Message(OverwriteQuestion(PathFileName(target)), kTitle,
                                     MessageIcon::Exclamation,
                                     MessageButtons::YesNo) == MessageAnswer::Yes)
            break;
    }
    // A failed write leaves the document as it was: still changed, under
    // its old name, and not in the recent-file list.
    if (!WriteProject(target)) return;
    Document.FileName = target;
    Settings.ProjectFolder() = PathFolder(chosen);
    if (addToRecentFiles) {
        AddRecentFile(target);
        emit RecentFilesChanged();
    }
}

void Fennix_Main::mnuSaveMorph_Click() {
    Settings.BackgroundColor = Pb->BackColor();
    // Only a new document has prepared images to relocate; for any other
    // this does nothing.
    if (!RelocateImages()) return;
    if (!Document.FileName.empty() && FileExists(Document.FileName)) {
        WriteProject(Document.FileName);
        return;
    }
    SaveUnderName(false);
}

void Fennix_Main::mnuSaveName_Click() {
    Settings.BackgroundColor = Pb->BackColor();
    if (!RelocateImages()) return;
    SaveUnderName(true);
}

void Fennix_Main::mnuMorph_Click() {
    Settings.ViewerFromMenu = true;
    RunViewer();
}

void Fennix_Main::EndMorphRun(const QString& caption) {
    DrawMatrix(Panes.P(2), Document.Matrix(2), Document.Zoom);
    DrawMatrix(Panes.P(1), Document.Matrix(1), Document.Zoom);
    Panes.P(1).SetVisible(true);
    Panes.P(2).SetVisible(true);
    Panes.MorphT.SetVisible(false);
    GradientProgressBar1->hide();
    ArrangeViews();
    OuterWindow()->setWindowTitle(caption);
}

void Fennix_Main::StopRunForClose() {
    if (!run_.Running()) return;
    // The frame being made is finished and kept; the window asks nothing
    // about the run while it closes.
    quietRunEnd_ = true;
    run_.Cancel();
    run_.Finish();
    quietRunEnd_ = false;
}

void Fennix_Main::ComeToFront() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(OuterWindow()); sub && sub->mdiArea())
        sub->mdiArea()->setActiveSubWindow(sub);
    OuterWindow()->raise();
}

bool Fennix_Main::QueryUnload() {
    // Questions about this document: it comes to the front first.
    if (run_.Running()) {
        // A run may have hours to go; closing ends it only when the user
        // says so. The frames written so far stay either way.
        ComeToFront();
        if (ShowMessage(kStopRunQuestion, MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes)
            return false;
        StopRunForClose();
    }
    if (!Document.Dirty) return true;
    ComeToFront();
    switch (ShowMessage("変更されています。保存しますか？", MessageIcon::Question,
                        MessageButtons::YesNoCancel)) {
        case MessageAnswer::Cancel:
            return false;
        case MessageAnswer::Yes:
            // A save that was cancelled or failed keeps the window (and a
            // closing program) open, so the changes are not lost.
            mnuSaveMorph_Click();
            return !Document.Dirty;
        default:
            return true;
    }
}

void Fennix_Main::P_MouseDown(int k, Qt::MouseButton button, double x, double y) {
    if (button != Qt::LeftButton || (k != 1 && k != 2)) return;
    // A point still held lost its release somewhere: put it back first.
    if (Document.SelectedI != -1) Form_Activate();
    const ZoomScale z = Document.Zoom;
    const MatrixRecord& matrix = Document.Matrix(k);
    const GridIndex hit = FindHitPoint(matrix, x, y, z);
    Document.SelectedI = hit.I;
    Document.SelectedJ = hit.J;
    if (!hit.Found()) return;
    dragPane_ = k;
    Document.DragBackup = matrix.Points(hit.I, hit.J);

    // Mark the partner in the other image while the point is held. A grid
    // of other counts (from a project file) may have no such point.
    const int other = 3 - k;
    const MatrixRecord& partner = Document.Matrix(other);
    if (hit.I > partner.Points.CountI() || hit.J > partner.Points.CountJ()) return;
    const Point p = partner.Points(hit.I, hit.J);
    DrawMarker(Panes.P(other), p, partner.PointerSize, z, partner.MatrixColor);
    Panes.P(other).RefreshArea(MarkerArea(p, partner.PointerSize, z));
}

void Fennix_Main::P_MouseMove(int k, Qt::MouseButtons buttons, double x, double y) {
    if (!(buttons & Qt::LeftButton) || Document.SelectedI == -1 || k != dragPane_) return;
    MatrixRecord& matrix = Document.Matrix(k);
    const int i = Document.SelectedI, j = Document.SelectedJ;
    const Point before = matrix.Points(i, j);
    const Point after = DragPosition(matrix, i, j, x, y, Panes.Poriginal(k).Width(),
                                     Panes.Poriginal(k).Height(), Document.Zoom);
    if (after == before) return;
    // Only the point's marker and its lines change: that part is redrawn,
    // where it was and where it goes.
    QRegion area = PointArea(matrix, i, j, Document.Zoom);
    matrix.Points(i, j) = after;
    area += PointArea(matrix, i, j, Document.Zoom);
    DrawMatrixArea(Panes.P(k), matrix, Document.Zoom, area);
    UpdatePreview(true);
}

void Fennix_Main::P_MouseUp(int k, Qt::MouseButton button, double x, double y) {
    if (button != Qt::LeftButton || Document.SelectedI == -1 || k != dragPane_) return;
    const int i = Document.SelectedI;
    const int j = Document.SelectedJ;
    MatrixRecord& matrix = Document.Matrix(k);
    const Point moved = matrix.Points(i, j);
    if (!ReleaseAllowed(matrix, i, j, x, y, Document.Zoom)) {
        ShowMessage("マトリクスのラインがオーバーラップしています。", MessageIcon::Information);
        matrix.Points(i, j) = Document.DragBackup;
        DrawMatrix(Panes.P(k), matrix, Document.Zoom);
    } else if (moved != Document.DragBackup) {
        DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
        before.matrices[k - 1].Points(i, j) = Document.DragBackup;
        PushEdit(QString::fromUtf8("ポイントの移動"), before);
    }
    // The partner's mark goes: its box is redrawn as the grid has it.
    const int other = 3 - k;
    const MatrixRecord& partner = Document.Matrix(other);
    if (i <= partner.Points.CountI() && j <= partner.Points.CountJ())
        DrawMatrixArea(Panes.P(other), partner, Document.Zoom,
                       MarkerArea(partner.Points(i, j), partner.PointerSize, Document.Zoom));
    Document.SelectedI = -1;
    Document.SelectedJ = -1;
    dragPane_ = 0;
    Document.Dirty = true;
    // The whole frame of the point where it now stays (or went back to).
    UpdatePreview();
}

void Fennix_Main::Form_Activate() {
    if (Document.SelectedI != -1 && dragPane_ != 0) {
        // The release of this point will not come to the window any more:
        // put it back unchecked rather than leave it where the check never ran.
        Document.Matrix(dragPane_).Points(Document.SelectedI, Document.SelectedJ) =
            Document.DragBackup;
        DrawGrids();
    }
    Document.SelectedI = -1;
    Document.SelectedJ = -1;
    dragPane_ = 0;
}

void Fennix_Main::mnuZoom_Click(int z) {
    if (z < 1 || z > 3) return;
    SetZoom(z);
}

void Fennix_Main::mnuZoomFit_Click() {
    SetZoom(WindowFitZoom());
}

ZoomScale Fennix_Main::WindowFitZoom() const {
    const int areaWidth = Pb->width() - VScroll1->width();
    const int areaHeight = Pb->height() - HScroll1->height();
    return FitZoom(Panes.Poriginal(1).Width(), Panes.Poriginal(1).Height(),
                   Panes.Poriginal(2).Width(), Panes.Poriginal(2).Height(), areaWidth, areaHeight,
                   kImageGap);
}

void Fennix_Main::TickZoom() {
    // The menu ticks the zoom shown (none for a fitted scale off the list).
    const std::pair<QAction*, ZoomScale> items[] = {
        {mnuZoom25, ZoomScale::Ratio(1, 4)}, {mnuZoom50, ZoomScale::Ratio(1, 2)},
        {mnuZoom[1], ZoomScale(1)},           {mnuZoom[2], ZoomScale(2)},
        {mnuZoom[3], ZoomScale(3)}};
    for (const auto& [action, scale] : items) {
        action->setCheckable(true);
        action->setChecked(scale == Document.Zoom);
    }
}

void Fennix_Main::SetZoom(ZoomScale zoom) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Document.Zoom = zoom;
    TickZoom();
    const std::string tmp = JoinPath(Settings.TempFolder, kZoomScratchName);
    for (int k = 1; k <= 2; ++k) {
        PicturePane& pane = Panes.P(k);
        const QImage& original = Panes.Poriginal(k).Picture();
        if (zoom == ZoomScale(1) || !zoom.Whole()) {
            // The unzoomed picture itself, shared rather than copied, or one
            // scaled down for the eye only: points stay in image pixels.
            pane.SetPicture(ImageAtZoom(original, zoom));
        } else {
            pane.ClearPicture();
            const QImage zoomed = ImageAtZoom(original, zoom);
            pane.SetSize(zoomed.width(), zoomed.height());
            pane.Layer() = zoomed;
            // The enlarged image becomes the pane's picture by way of a file,
            // as the picture of a pane is always a loaded one; should the
            // file fail, the image in memory is taken as it is.
            ScratchBitmap scratch;
            if (!(scratch.Write(zoomed, tmp) && pane.LoadPicture(scratch.Path())))
                pane.SetPicture(zoomed);
        }
    }
    Panes.P(2).Move(Panes.P(1).Width() + kImageGap, Panes.P(2).Top());
    DrawGrids();
    ArrangeViews();
    UpdatePreview();
    QApplication::restoreOverrideCursor();
}

void Fennix_Main::mnuColor_Click(int index) {
    if (index < 0 || index > 2 || Document.SelectedI != -1) return;
    const DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
    const int32_t current = index == 0   ? Document.Matrix(1).MatrixColor
                            : index == 1 ? Document.Matrix(1).PointerColor
                                         : Pb->BackColor();
    const int32_t color = CurrentPrompts().PickColor(current);
    if (color == -1) return;
    if (index == 2) {
        Pb->SetBackColor(color);
        Settings.BackgroundColor = color;
    } else {
        for (int k = 1; k <= 2; ++k)
            (index == 0 ? Document.Matrix(k).MatrixColor : Document.Matrix(k).PointerColor) = color;
        DrawGrids();
    }
    PushEdit(mnuColor[index]->text(), before);
    Document.Dirty = true;
}

void Fennix_Main::mnuSetting_Click() {
    if (Document.SelectedI != -1) return;
    MatrixRecord& start = Document.Matrix(1);
    Settings.FrameCount = FrameCountOf(Document.LastFrame);
    Settings.Rows = start.Rows;
    Settings.Columns = start.Columns;
    Settings.PointerSize = start.PointerSize;

    Settings.DialogConfirmed = false;
    {
        Fennix_Opt dialog(this);
        RunOptionsDialog(dialog);
    }
    if (!Settings.DialogConfirmed) return;

    const DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
    if (Settings.Rows != start.Rows || Settings.Columns != start.Columns) {
        if (GridCountsFit(Panes.Poriginal(1).Width(), Panes.Poriginal(1).Height(), Settings.Rows,
                          Settings.Columns)) {
            if (ShowMessage("マトリクスが変更されました。リセットしますか？", MessageIcon::Question,
                            MessageButtons::YesNo) == MessageAnswer::Yes) {
                for (int k = 1; k <= 2; ++k) {
                    Document.Matrix(k).Rows = Settings.Rows;
                    Document.Matrix(k).Columns = Settings.Columns;
                    InitMatrix(Document.Matrix(k));
                }
                DrawGrids();
            }
        } else {
            ShowMessage("マトリクスの行数または列数が多過ぎます。", MessageIcon::Exclamation);
        }
    }
    Document.LastFrame = LastFrameOf(Settings.FrameCount);
    if (Settings.PointerSize != start.PointerSize) {
        for (int k = 1; k <= 2; ++k) Document.Matrix(k).PointerSize = Settings.PointerSize;
        DrawGrids();
    }
    PushEdit(QString::fromUtf8("オプション"), before);
    Document.Dirty = true;
}

void Fennix_Main::Undo() {
    if (Document.SelectedI != -1 || !undoStack_->canUndo()) return;
    undoStack_->undo();
    Document.Dirty = !undoStack_->isClean();
}

void Fennix_Main::Redo() {
    if (Document.SelectedI != -1 || !undoStack_->canRedo()) return;
    undoStack_->redo();
    Document.Dirty = !undoStack_->isClean();
}

void Fennix_Main::MarkSaved() {
    undoStack_->setClean();
    Document.Dirty = false;
}

void Fennix_Main::DrawGrids() {
    DrawMatrix(Panes.P(1), Document.Matrix(1), Document.Zoom);
    DrawMatrix(Panes.P(2), Document.Matrix(2), Document.Zoom);
}

void Fennix_Main::ApplySnapshot(const DocumentSnapshot& snapshot) {
    const int32_t back = RestoreSnapshot(Document, snapshot);
    if (back != Pb->BackColor()) {
        Pb->SetBackColor(back);
        Settings.BackgroundColor = back;
    }
    DrawGrids();
    UpdatePreview();
}

void Fennix_Main::PushEdit(const QString& text, const DocumentSnapshot& before) {
    DocumentSnapshot after = TakeSnapshot(Document, Pb->BackColor());
    if (after == before) return;  // nothing to step back to
    auto apply = [this](const DocumentSnapshot& s) { ApplySnapshot(s); };
    undoStack_->push(new DocumentEditCommand(text, before, std::move(after), apply));
    UpdatePreview();
}

void Fennix_Main::Unload() {
    unloading_ = true;
    OuterWindow()->close();
}

void Fennix_Main::ShowWindow() {
    SetPreviewShown(Settings.PreviewShown);
    QWidget* outer = OuterWindow();
    outer->show();
    show();
    auto* sub = qobject_cast<QMdiSubWindow*>(outer);
    const int preview = previewShown_ ? kImageGap + Panes.P(1).Width() : 0;
    const QSize content(
        Panes.P(1).Width() + kImageGap + Panes.P(2).Width() + preview + VScroll1->width(),
        std::max(Panes.P(1).Height() + (previewShown_ ? kPreviewStripHeight : 0),
                 Panes.P(2).Height()) +
            HScroll1->height());
    if (!sub || !sub->mdiArea()) {
        // A window of its own that nobody sized yet: the size of both images
        // where the screen has room for it.
        if (outer != this || testAttribute(Qt::WA_Resized)) return;
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize room = screen ? screen->availableGeometry().size() : content;
        resize(content.boundedTo(room));
        return;
    }
    // Inside the frame: at the size of both images where it fits, one step
    // further in than the documents already open.
    const QSize wanted = content + (outer->size() - size());
    int index = 0;
    for (const QMdiSubWindow* other : sub->mdiArea()->subWindowList())
        if (other != sub && other->isVisible()) ++index;
    const QSize area = sub->mdiArea()->viewport()->size();
    const WindowPlace place =
        CascadePlace(index, wanted.width(), wanted.height(), area.width(), area.height());
    sub->setGeometry(place.left, place.top, place.width, place.height);
}

QWidget* Fennix_Main::OuterWindow() {
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    return sub ? static_cast<QWidget*>(sub) : this;
}

void Fennix_Main::closeEvent(QCloseEvent* event) {
    if (!unloading_ && !QueryUnload()) {
        event->ignore();
        return;
    }
    // The program closing, after every document agreed.
    StopRunForClose();
    event->accept();
    emit Unloaded();
}

void Fennix_Main::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ArrangeViews();
}

void Fennix_Main::ZoomAround(ZoomScale zoom, QPointF cursor) {
    // The picture pixel under the cursor, in the pane it lies in (the end
    // picture's when the cursor is right of the start one).
    const ZoomScale old = Document.Zoom;
    const double contentX = cursor.x() + HScroll1->Value();
    const double contentY = cursor.y() + VScroll1->Value();
    const bool onEnd = contentX >= Panes.P(1).Width() + kImageGap;
    const int paneLeft = onEnd ? Panes.P(1).Width() + kImageGap : 0;
    const int imageX = old.ImagePos(contentX - paneLeft);
    const int imageY = old.ImagePos(contentY);

    SetZoom(zoom);
    // The same pixel under the cursor again, as far as the scroll bars go.
    const int newLeft = onEnd ? Panes.P(1).Width() + kImageGap : 0;
    const double newX = newLeft + zoom.PaneExact(imageX) - cursor.x();
    const double newY = zoom.PaneExact(imageY) - cursor.y();
    if (HScroll1->isEnabled())
        HScroll1->SetValue(std::clamp(static_cast<int>(std::lround(newX)), 0, HScroll1->Max()));
    if (VScroll1->isEnabled())
        VScroll1->SetValue(std::clamp(static_cast<int>(std::lround(newY)), 0, VScroll1->Max()));
}

void Fennix_Main::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        // The zoom waits, as its menu does, while frames are made.
        if (run_.Running()) {
            event->accept();
            return;
        }
        // One zoom step per notch (120); finer wheels add up to a notch.
        zoomWheel_ += delta.y() != 0 ? delta.y() : delta.x();
        while (zoomWheel_ >= 120 || zoomWheel_ <= -120) {
            const bool larger = zoomWheel_ > 0;
            zoomWheel_ += larger ? -120 : 120;
            const ZoomScale next = NextZoomStep(Document.Zoom, larger);
            if (!(next == Document.Zoom)) ZoomAround(next, event->position());
        }
        event->accept();
        return;
    }
    // Shift turns the wheel sideways; some systems already send that as a
    // horizontal turn.
    const bool sideways = (event->modifiers() & Qt::ShiftModifier) || delta.y() == 0;
    const int turn = sideways ? (delta.x() != 0 ? delta.x() : delta.y()) : delta.y();
    ucScrollbar* bar = sideways ? HScroll1 : VScroll1;
    // A notch moves three lines of 20 pixels, as a text view scrolls.
    if (turn != 0 && bar->isEnabled()) bar->SetValue(bar->Value() - turn / 2);
    event->accept();
}

}  // namespace fennix
