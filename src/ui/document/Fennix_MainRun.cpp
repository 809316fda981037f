// The document window's morph run and preview.
#include "ui/document/Fennix_Main.h"

#include <QCoreApplication>
#include <algorithm>
#include <QLabel>
#include <QMenu>
#include <QUndoStack>

#include "core/AppFolder.h"
#include "core/Prompts.h"
#include "core/Translation.h"
#include "engine/MorphRun.h"
#include "model/MatrixDrawing.h"
#include "model/MatrixEditing.h"
#include "model/RunSpace.h"
#include "model/Settings.h"
#include "model/ViewArrangement.h"
#include "ui/common/PaneWidget.h"
#include "ui/controls/GradientProgressBar.h"
#include "ui/controls/Slider.h"
#include "ui/controls/ccXPButton.h"

namespace fennix {

namespace {
constexpr const char* kRunFailed = TrMark("Fennix_MainRun", "③処理は失敗しました。");
}  // namespace

void Fennix_Main::PlacePreview() {
    const bool shown = previewShown_ && !run_.Running();
    Preview.SetVisible(shown);
    PreviewSlider->setVisible(shown);
    lblPreviewFrame->setVisible(shown);
    if (!shown) return;
    const PicturePane& start = Panes.P(1);
    const PicturePane& end = Panes.P(2);
    const QSize size(start.Width(), start.Height());
    if (QSize(Preview.Width(), Preview.Height()) != size) {
        // The zoom changed: the last frame stands in until the frame at the
        // new zoom is made.
        if (previewFrame_.isNull()) {
            Preview.ClearPicture();
            Preview.SetSize(size.width(), size.height());
        } else {
            Preview.SetPicture(
                previewFrame_.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        }
    }
    const int left = previewBelow_ ? start.Left() : end.Left() + end.Width() + kImageGap;
    const int top = previewBelow_ ? start.Top() + start.Height() + kImageGap : start.Top();
    Preview.Move(left, top);
    const int stripTop = top + start.Height() + 4;
    const int labelWidth = 72;
    const int sliderWidth = std::max(start.Width() - labelWidth - 4, 80);
    PreviewSlider->setGeometry(left, stripTop, sliderWidth, 22);
    lblPreviewFrame->setGeometry(left + sliderWidth + 4, stripTop, labelWidth, 22);
}

void Fennix_Main::mnuPreview_Click() {
    SetPreviewShown(!previewShown_);
    Settings.PreviewShown = previewShown_;
    if (previewShown_) MakeRoomForPreview();
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
    } else {
        // What the preview kept for its next frames (a frame of the
        // pictures' size among them) goes with it.
        previewJob_.Forget();
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
            Document.LastFrame, Document.Run};
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
    request.scale =
        PreviewScale(request.morph.start.width(), request.morph.start.height(), quick, Panes.P(1).Width());
    request.refine = !quick;
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
        Preview.SetPicture(ImageAtZoom(frame, Document.Zoom));
    }
    // Kept at the pane's size: what shows until the frame of a new zoom is made.
    if (!frame.isNull()) previewFrame_ = Preview.Picture();
    PlacePreview();
}

void Fennix_Main::mnuMorphIt_Click() {
    if (run_.Running()) return;

    // Frames that cannot all fit (long holds of large pictures) are asked
    // about before the first one is written.
    MorphCopy morph = MorphNow();
    const uint64_t needed =
        uint64_t(std::max<int64_t>(WrittenFrameCount(morph.options, morph.lastFrame), 0)) *
        FrameFileBytes(morph.start.width(), morph.start.height(), Settings.SaveKind);
    if (const auto space = RunSpaceShortage(ApplicationFolder(), needed))
        if (ShowMessage(RunSpaceQuestion(*space), MessageIcon::Exclamation,
                        MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
            return;

    // The frame folder comes first; a folder that cannot be made (it exists
    // already, or the application folder is read-only) fails the run before
    // anything on the window changes.
    const std::string folder = MakeFrameFolder(ApplicationFolder(), Clock());
    if (folder.empty()) {
        ShowMessage(Tr("Fennix_MainRun", kRunFailed), MessageIcon::Exclamation);
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
    // The frames show at the document's zoom, where the pictures were.
    surface.SetSize(Panes.P(1).Width(), Panes.P(1).Height());
    surface.SetVisible(true);
    Pb->repaint();

    runCaption_ = OuterWindow()->windowTitle();
    Panes.P(1).Cls();
    Panes.P(2).Cls();
    SetRunControls(true);

    MorphRunJob::Input input;
    input.morph = std::move(morph);
    input.output.frameFolder = Settings.FrameFolder();
    input.output.saveKind = Settings.SaveKind;
    input.output.tempFolder = Settings.TempFolder;
    input.output.companionFolder = ExecutableFolder();
    input.backColor = Pb->BackColor();
    input.shownAt = Document.Zoom;
    MorphRunJob::Callbacks callbacks;
    callbacks.progress = [this](int k, int last) {
        // In 64 bits: the counts of a damaged project may reach INT32_MAX.
        const int64_t done = int64_t{k} + 1, total = int64_t{last} + 1;
        OuterWindow()->setWindowTitle(QString("%1/%2").arg(done).arg(total));
        GradientProgressBar1->SetValue(static_cast<int>(done * 100 / total));
    };
    callbacks.frame = [this](int k, const QImage& frame) {
        Panes.MorphT.Layer() = frame;  // already at the document's zoom
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
    if (askingToStop_) {
        // The user is being asked whether to stop this run and close: the
        // question is over, and so is the run's own (the window closes).
        runEndedWhileAsking_ = true;
        CurrentPrompts().WithdrawMessage();
        EndMorphRun(caption);
        return;
    }
    if (quietRunEnd_) {
        // The window is closing: no questions, only the window put back.
        EndMorphRun(caption);
        return;
    }
    if (result == kMorphCancelled) {
        EndMorphRun(caption);
        ShowMessage(Format(Tr("Fennix_MainRun", "作成を中止しました。%1 フレームを保存しました。"),
                           {std::to_string(written)}),
                    MessageIcon::Information);
        return;
    }
    if (!result.empty()) {
        // Over the frame the run stopped at; the window is put back after it.
        ShowMessage(Tr("Fennix_MainRun", kRunFailed), MessageIcon::Exclamation);
        EndMorphRun(caption);
        return;
    }
    QCoreApplication::processEvents();
    EndMorphRun(caption);

    if (CurrentPrompts().Message(Tr("Fennix_MainRun", "正常終了しました。確認しますか？"),
                                 Tr("Fennix_MainRun", "Fennix(完了)"), MessageIcon::Question,
                                 MessageButtons::YesNo) == MessageAnswer::Yes) {
        Settings.ViewerFromMenu = false;
        RunViewer();
    }
}

void Fennix_Main::mnuMorph_Click() {
    Settings.ViewerFromMenu = true;
    RunViewer();
}

void Fennix_Main::EndMorphRun(const QString& caption) {
    DrawGrids();
    Panes.P(1).SetVisible(true);
    Panes.P(2).SetVisible(true);
    Panes.MorphT.SetVisible(false);
    GradientProgressBar1->hide();
    ArrangeViews();
    OuterWindow()->setWindowTitle(caption);
    Refit();  // the window may have been resized meanwhile
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

}  // namespace fennix
