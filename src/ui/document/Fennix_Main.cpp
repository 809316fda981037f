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
#include <QTimer>
#include <QUndoStack>
#include <QWheelEvent>

#include <cmath>

#include "core/Paths.h"
#include "core/Prompts.h"
#include "core/Translation.h"
#include "media/ImageFile.h"
#include "model/MatrixDrawing.h"
#include "model/MatrixEditing.h"
#include "model/PointerStatus.h"
#include "model/Settings.h"
#include "model/TempImages.h"
#include "model/ViewArrangement.h"
#include "ui/common/PaneWidget.h"
#include "ui/controls/GradientProgressBar.h"
#include "ui/controls/Slider.h"
#include "ui/controls/ccXPButton.h"
#include "ui/controls/ucScrollbar.h"
#include "ui/document/Fennix_RunOpt.h"
#include "ui/frame/Fennix_Chain.h"
#include "ui/frame/Fennix_Opt.h"
#include "ui/output/Fennix_Avi.h"
#include "ui/output/Fennix_Video.h"
#include "ui/output/Fennix_View.h"
#include "ui/output/Fennix_aviView.h"

// The document window's construction, menus, layout, zoom and events. Its
// other handlers live beside it: Fennix_MainEditing.cpp (points, colours,
// options, undo), Fennix_MainFiles.cpp (open, save, close) and
// Fennix_MainRun.cpp (the morph run and the preview).

namespace fennix {

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
        connect(pane, &PaneWidget::PaneDoubleClick, this,
                [this, k](Qt::MouseButton b, QPointF p) { P_DoubleClick(k, b, p.x(), p.y()); });
        // The status bar follows the pointer also while no button is held.
        pane->setMouseTracking(true);
        connect(pane, &PaneWidget::PaneMouseMove, this,
                [this, k](Qt::MouseButtons, QPointF p) { ShowPointer(k, p); });
        connect(pane, &PaneWidget::PaneLeave, this, [this] {
            ShowPointer(0, {});
            HoverAt(0, 0, 0);
        });
    }
    undoStack_ = new QUndoStack(this);
    RunOptionsDialog = [](Fennix_Opt& dialog) { dialog.exec(); };
    RunTimingDialog = [](Fennix_RunOpt& dialog) { dialog.exec(); };
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
    cmdCancelRun = new ccXPButton(QString::fromUtf8(Tr("Fennix_Main", "ｷｬﾝｾﾙ")), Pb);
    cmdCancelRun->setToolTip(QString::fromUtf8(
        Tr("Fennix_Main", "作成を中止します。作成済みのフレームは残ります (Esc)")));
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

    // A window fitted to its pictures is fitted again once a resize (a
    // drag of its edge sends many) has come to rest.
    refitTimer_ = new QTimer(this);
    refitTimer_->setSingleShot(true);
    refitTimer_->setInterval(60);
    connect(refitTimer_, &QTimer::timeout, this, &Fennix_Main::Refit);

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

    QMenu* file = menu(Tr("Fennix_Main", "ファイル"));
    mnuCloseMorph = item(file, Tr("Fennix_Main", "閉じる"));
    mnuSaveMorph = item(file, Tr("Fennix_Main", "上書き保存"));
    mnuSaveName = item(file, Tr("Fennix_Main", "名前を付けて保存"));
    mnuSaveWithPictures = item(file, Tr("Fennix_Main", "画像と一緒に保存"));
    connect(mnuSaveWithPictures, &QAction::triggered, this,
            &Fennix_Main::mnuSaveWithPictures_Click);
    file->addSeparator();
    mnuChain = item(file, Tr("Fennix_Main", "連続モーフィング"));
    connect(mnuChain, &QAction::triggered, this,
            [this] { ShowMorphChain(this, [this] { RunViewer(); }); });
    // The usual keys of a desktop program beside the specified menu.
    mnuSaveMorph->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSaveName->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    // A new document's 上書き保存 stays disabled as specified; Ctrl+S then
    // does what that command does for a document never saved.
    saveShortcut_ = new QAction(this);
    saveShortcut_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    saveShortcut_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(saveShortcut_);
    const auto followSave = [this] {
        saveShortcut_->setEnabled(!mnuSaveMorph->isEnabled() && mnuSaveName->isEnabled());
    };
    connect(mnuSaveMorph, &QAction::enabledChanged, this, followSave);
    connect(mnuSaveName, &QAction::enabledChanged, this, followSave);
    followSave();
    connect(saveShortcut_, &QAction::triggered, this, [this] {
        if (!run_.Running() && mnuSaveName->isEnabled()) mnuSaveName_Click();
    });
    connect(mnuCloseMorph, &QAction::triggered, this, [this] { OuterWindow()->close(); });

    QMenu* edit = menu(Tr("Fennix_Main", "編集"));
    mnuUndo = item(edit, Tr("Fennix_Main", "元に戻す"));
    mnuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = item(edit, Tr("Fennix_Main", "やり直し"));
    mnuRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    mnuUndo->setEnabled(false);
    mnuRedo->setEnabled(false);
    connect(mnuUndo, &QAction::triggered, this, &Fennix_Main::Undo);
    connect(mnuRedo, &QAction::triggered, this, &Fennix_Main::Redo);
    connect(undoStack_, &QUndoStack::canUndoChanged, mnuUndo, &QAction::setEnabled);
    connect(undoStack_, &QUndoStack::canRedoChanged, mnuRedo, &QAction::setEnabled);
    mnuDeletePoint = item(edit, Tr("Fennix_Main", "選んだ点の削除"));
    mnuDeletePoint->setShortcut(QKeySequence(Qt::Key_Delete));
    connect(mnuDeletePoint, &QAction::triggered, this, &Fennix_Main::mnuDeletePoint_Click);
    edit->addSeparator();
    mnuDrawStroke = item(edit, Tr("Fennix_Main", "線を引く"));
    mnuDrawStroke->setCheckable(true);
    mnuDrawStroke->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(mnuDrawStroke, &QAction::triggered, this, &Fennix_Main::mnuDrawStroke_Click);
    mnuRedrawStroke = item(edit, Tr("Fennix_Main", "選んだ線を引き直す"));
    connect(mnuRedrawStroke, &QAction::triggered, this, &Fennix_Main::mnuRedrawStroke_Click);
    mnuDeleteStroke = item(edit, Tr("Fennix_Main", "選んだ線の削除"));
    connect(mnuDeleteStroke, &QAction::triggered, this, &Fennix_Main::mnuDeleteStroke_Click);
    cancelStrokeAction_ = new QAction(this);
    cancelStrokeAction_->setShortcut(QKeySequence(Qt::Key_Escape));
    cancelStrokeAction_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    cancelStrokeAction_->setEnabled(false);
    addAction(cancelStrokeAction_);
    connect(cancelStrokeAction_, &QAction::triggered, this, &Fennix_Main::CancelStroke);

    QMenu* tools = menu(Tr("Fennix_Main", "ツール"));
    mnuSetting = item(tools, Tr("Fennix_Main", "オプション"));
    QMenu* colors = tools->addMenu(QString::fromUtf8(Tr("Fennix_Main", "色")));
    mnuColor[0] = item(colors, Tr("Fennix_Main", "マトリクスの色"));
    mnuColor[1] = item(colors, Tr("Fennix_Main", "ポインタの色"));
    mnuColor[2] = item(colors, Tr("Fennix_Main", "背景の色"));
    QMenu* zooming = tools->addMenu(QString::fromUtf8(Tr("Fennix_Main", "ズーミング")));
    mnuZoom[1] = item(zooming, "100%");
    mnuZoom[2] = item(zooming, "200%");
    mnuZoom[3] = item(zooming, "300%");
    // The zooms beyond the specified three come after them.
    zooming->addSeparator();
    mnuZoom50 = item(zooming, "50%");
    mnuZoom25 = item(zooming, "25%");
    mnuZoomFit = item(zooming, Tr("Fennix_Main", "ウィンドウに合わせる"));
    mnuRefineGrid = item(tools, Tr("Fennix_Main", "格子を細かくする"));
    connect(mnuRefineGrid, &QAction::triggered, this, &Fennix_Main::mnuRefineGrid_Click);
    mnuAutoFit = item(tools, Tr("Fennix_Main", "自動調整"));
    mnuAutoFitNextFace = item(tools, Tr("Fennix_Main", "別の顔で自動調整"));
    mnuAlignByPoints = item(tools, Tr("Fennix_Main", "基準点で合わせる"));
    connect(mnuAutoFit, &QAction::triggered, this, &Fennix_Main::mnuAutoFit_Click);
    connect(mnuAutoFitNextFace, &QAction::triggered, this, &Fennix_Main::mnuAutoFitNextFace_Click);
    connect(mnuAlignByPoints, &QAction::triggered, this, &Fennix_Main::mnuAlignByPoints_Click);

    QMenu* go = menu(Tr("Fennix_Main", "モーフィング"));
    mnuMorphIt = item(go, Tr("Fennix_Main", "作成スタート"));
    mnuMorph = item(go, Tr("Fennix_Main", "モーフィングビューア"));
    mnuPreview = item(go, Tr("Fennix_Main", "プレビュー"));
    mnuPreview->setCheckable(true);
    mnuPreview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(mnuPreview, &QAction::triggered, this, &Fennix_Main::mnuPreview_Click);
    mnuRunOptions = item(go, Tr("Fennix_Main", "作成オプション"));

    QMenu* video = menu(Tr("Fennix_Main", "動画 (AVI ファイル) "));
    mnuAVI = item(video, Tr("Fennix_Main", "AVI ファイルの作成"));
    mnuAVI2 = item(video, Tr("Fennix_Main", "AVI ビューア"));
    mnuVideo = item(video, Tr("Fennix_Main", "動画ファイルの書き出し"));

    connect(mnuMorphIt, &QAction::triggered, this, &Fennix_Main::mnuMorphIt_Click);
    connect(mnuSetting, &QAction::triggered, this, &Fennix_Main::mnuSetting_Click);
    connect(mnuRunOptions, &QAction::triggered, this, &Fennix_Main::mnuRunOptions_Click);
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
        ShowMessage(path + Tr("Fennix_Main", "が無効です。"), MessageIcon::Exclamation);
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
        fitToWindow_ = true;
    } else {
        Document.Zoom = 1;
        TickZoom();
        DrawGrids();
        UpdatePreview();
        ShowPointer(0, {});  // the status bar tells the zoom from the start
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
    previewBelow_ = previewShown_ && FitWindow().previewBelow;
    if (previewShown_) {
        sizes.previewWidth = start.Width();
        sizes.previewHeight = start.Height() + kPreviewStripHeight;
        sizes.previewBelow = previewBelow_;
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
    // the visible part of the panel, so that its fill reads as the share done.
    GradientProgressBar1->setGeometry(0, HScroll1->y() - HScroll1->height(),
                                      std::max(VScroll1->x(), 1), GradientProgressBar::kHeight);
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

void Fennix_Main::mnuZoom_Click(int z) {
    if (z < 1 || z > 3) return;
    SetZoom(z);
}

void Fennix_Main::mnuZoomFit_Click() {
    SetZoom(WindowFitZoom());
    fitToWindow_ = true;
}

FittedView Fennix_Main::FitWindow() const {
    const int areaWidth = Pb->width() - VScroll1->width();
    const int areaHeight = Pb->height() - HScroll1->height();
    return FitView(Panes.Poriginal(1).Width(), Panes.Poriginal(1).Height(),
                   Panes.Poriginal(2).Width(), Panes.Poriginal(2).Height(), areaWidth, areaHeight,
                   previewShown_, kPreviewStripHeight);
}

ZoomScale Fennix_Main::WindowFitZoom() const {
    return FitWindow().zoom;
}

void Fennix_Main::Refit() {
    // Not while frames are made (the zoom waits, as its menu does; the
    // run's end comes back here) or while a point is held (tried again a
    // little later).
    if (!fitToWindow_ || run_.Running() || !isVisible()) return;
    if (Document.SelectedI != -1) {
        refitTimer_->start();
        return;
    }
    const ZoomScale fit = WindowFitZoom();
    if (fit == Document.Zoom) return;
    SetZoom(fit);
    fitToWindow_ = true;
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
    fitToWindow_ = false;  // a zoom of its own, until ウィンドウに合わせる
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
    ShowPointer(0, {});  // the pointer's place is told again as it moves
    QApplication::restoreOverrideCursor();
}

void Fennix_Main::SetDirty(bool dirty) {
    Document.Dirty = dirty;
    ShowModified();
}

void Fennix_Main::ShowModified() {
    auto* sub = qobject_cast<QMdiSubWindow*>(OuterWindow());
    if (!sub) return;
    // The frame box reads its title from this window and drops the mark's
    // place holder whenever this window's title changes: it is put back.
    const QString title = sub->windowTitle();
    if (!title.contains("[*]")) sub->setWindowTitle(title + "[*]");
    sub->setWindowModified(Document.Dirty);
}

void Fennix_Main::ShowPointer(int k, QPointF at) {
    pointerPane_ = k;
    pointerAt_ = at;
    const int width = k == 1 || k == 2 ? Panes.Poriginal(k).Width() : 0;
    const int height = k == 1 || k == 2 ? Panes.Poriginal(k).Height() : 0;
    const QString status =
        QString::fromStdString(PointerStatusText(k, at.x(), at.y(), Document.Zoom, width, height));
    if (status == pointerStatus_) return;
    pointerStatus_ = status;
    emit PointerStatusChanged(status);
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
    if (sub && sub->mdiArea()) {
        // A new document is the one in front and active, now and once more
        // after the events still to come (a window manager handing the focus
        // back to the window that had it before a dialog), which would
        // otherwise put the document that was active before back in front.
        ComeToFront();
        QTimer::singleShot(0, this, [this] { ComeToFront(); });
    }
    const QSize content = ContentSize();
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

QSize Fennix_Main::ContentSize() {
    const int preview = previewShown_ ? kImageGap + Panes.P(1).Width() : 0;
    return {Panes.P(1).Width() + kImageGap + Panes.P(2).Width() + preview + VScroll1->width(),
            std::max(Panes.P(1).Height() + (previewShown_ ? kPreviewStripHeight : 0),
                     Panes.P(2).Height()) +
                HScroll1->height()};
}

void Fennix_Main::MakeRoomForPreview() {
    // The window grows towards the size of all three panes, as far as the
    // frame has room right of and below it.
    auto* sub = qobject_cast<QMdiSubWindow*>(OuterWindow());
    if (sub && sub->mdiArea() && !sub->isMaximized() && !sub->isMinimized()) {
        const QSize area = sub->mdiArea()->viewport()->size();
        const QSize wanted = ContentSize() + (sub->size() - size());
        const QRect place = sub->geometry();
        sub->resize(std::max(place.width(), std::min(wanted.width(), area.width() - place.left())),
                    std::max(place.height(), std::min(wanted.height(), area.height() - place.top())));
    }
    if (QLayout* layout = OuterWindow()->layout()) layout->activate();
    ArrangeViews();
    // Where it still lies outside what the window shows, the pictures are
    // fitted to the window with it.
    const QRect visible(0, 0, VScroll1->x(), HScroll1->y());
    const QRect preview(Preview.Left(), Preview.Top(), Preview.Width(),
                        Preview.Height() + kPreviewStripHeight);
    if (fitToWindow_ || !visible.contains(preview)) {
        SetZoom(WindowFitZoom());
        fitToWindow_ = true;
    }
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
    if (fitToWindow_) refitTimer_->start();
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
