// The document window's edits: dragging points, colours, options, undo.
#include "ui/document/Fennix_Main.h"

#include <QUndoStack>

#include "core/Prompts.h"
#include "core/Translation.h"
#include "model/DocumentHistory.h"
#include "model/MatrixDrawing.h"
#include "model/PointDrag.h"
#include "model/Settings.h"
#include "ui/common/PaneWidget.h"
#include "ui/document/Fennix_RunOpt.h"
#include "ui/frame/Fennix_Opt.h"

namespace fennix {

void Fennix_Main::P_MouseDown(int k, Qt::MouseButton button, double x, double y) {
    if (button != Qt::LeftButton || (k != 1 && k != 2)) return;
    if (TakeReference(k, x, y)) return;
    // A point still held lost its release somewhere: put it back first.
    if (Document.SelectedI != -1) Form_Activate();
    const GridIndex hit = PressPoint(Document, k, x, y);
    if (!hit.Found()) return;
    // Mark the partner in the other image while the point is held.
    const int other = 3 - k;
    if (const auto p = PartnerPoint(Document, k, hit)) {
        const MatrixRecord& partner = Document.Matrix(other);
        DrawMarker(Panes.P(other), *p, partner.PointerSize, Document.Zoom, partner.MatrixColor);
        Panes.P(other).RefreshArea(MarkerArea(*p, partner.PointerSize, Document.Zoom));
    }
}

void Fennix_Main::P_MouseMove(int k, Qt::MouseButtons buttons, double x, double y) {
    if (!(buttons & Qt::LeftButton) || k != Document.SelectedGrid) return;
    const MatrixRecord& matrix = Document.Matrix(k);
    const int i = Document.SelectedI, j = Document.SelectedJ;
    // Only the point's marker and its lines change: that part is redrawn,
    // where it was and where it goes.
    QRegion area = PointArea(matrix, i, j, Document.Zoom);
    if (!MoveHeldPoint(Document, k, x, y, Panes.Poriginal(k).Width(), Panes.Poriginal(k).Height()))
        return;
    area += PointArea(matrix, i, j, Document.Zoom);
    DrawMatrixArea(Panes.P(k), matrix, Document.Zoom, area);
    UpdatePreview(true);
}

void Fennix_Main::P_MouseUp(int k, Qt::MouseButton button, double x, double y) {
    if (button != Qt::LeftButton || k != Document.SelectedGrid) return;
    const PointRelease release = ReleaseHeldPoint(Document, k, x, y);
    if (release.result == PointRelease::PutBack) {
        ShowMessage(Tr("Fennix_MainEditing", "マトリクスのラインがオーバーラップしています。"),
                    MessageIcon::Information);
        DrawMatrix(Panes.P(k), Document.Matrix(k), Document.Zoom);
    } else if (release.result == PointRelease::Moved) {
        DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
        before.matrices[k - 1].Points(release.point.I, release.point.J) = release.from;
        PushEdit(QString::fromUtf8(Tr("Fennix_MainEditing", "ポイントの移動")), before);
    }
    // The partner's mark goes: its box is redrawn as the grid has it.
    const int other = 3 - k;
    if (const auto p = PartnerPoint(Document, k, release.point)) {
        const MatrixRecord& partner = Document.Matrix(other);
        DrawMatrixArea(Panes.P(other), partner, Document.Zoom,
                       MarkerArea(*p, partner.PointerSize, Document.Zoom));
    }
    // The whole frame of the point where it now stays (or went back to).
    UpdatePreview();
}

void Fennix_Main::Form_Activate() {
    // The release of a held point will not come to the window any more: it
    // goes back unchecked rather than stay where the check never ran.
    if (DropHeldPoint(Document)) DrawGrids();
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

void Fennix_Main::mnuRunOptions_Click() {
    if (Document.SelectedI != -1) return;
    Fennix_RunOpt dialog(Document.Run, Document.LastFrame, this);
    RunTimingDialog(dialog);
    if (dialog.result() != QDialog::Accepted || dialog.Options() == Document.Run) return;
    const DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
    Document.Run = dialog.Options();
    PushEdit(QString::fromUtf8(Tr("Fennix_MainEditing", "作成オプション")), before);
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
            if (ShowMessage(
                    Tr("Fennix_MainEditing", "マトリクスが変更されました。リセットしますか？"),
                    MessageIcon::Question, MessageButtons::YesNo) == MessageAnswer::Yes) {
                for (int k = 1; k <= 2; ++k) {
                    Document.Matrix(k).Rows = Settings.Rows;
                    Document.Matrix(k).Columns = Settings.Columns;
                    InitMatrix(Document.Matrix(k));
                }
                DrawGrids();
            }
        } else {
            ShowMessage(Tr("Fennix_MainEditing", "マトリクスの行数または列数が多過ぎます。"),
                        MessageIcon::Exclamation);
        }
    }
    Document.LastFrame = LastFrameOf(Settings.FrameCount);
    if (Settings.PointerSize != start.PointerSize) {
        for (int k = 1; k <= 2; ++k) Document.Matrix(k).PointerSize = Settings.PointerSize;
        DrawGrids();
    }
    PushEdit(QString::fromUtf8(Tr("Fennix_MainEditing", "オプション")), before);
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

}  // namespace fennix
