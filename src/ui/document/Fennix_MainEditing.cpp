// The document window's edits: dragging points, colours, options, undo.
#include "ui/document/Fennix_Main.h"

#include <QUndoStack>
#include <limits>

#include "core/Prompts.h"
#include "core/Translation.h"
#include "model/DocumentHistory.h"
#include "model/FreeMesh.h"
#include "model/FreePointEditing.h"
#include "model/MarkerDensity.h"
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
    if (StrokePress(k, x, y)) return;
    // A point still held lost its release somewhere: put it back first.
    if (Document.SelectedI != -1) Form_Activate();
    // Free points lie over the grid's: they are taken first.
    if (const auto free = FindHitFreePoint(Document.Matrix(k), x, y, Document.Zoom);
        free && *free < FreePairCount(Document.Matrix(1), Document.Matrix(2))) {
        HoldFreePoint(Document, k, *free);
        DrawGrids();  // the chosen pair and the partner's mark
        return;
    }
    const bool hadChoice = Document.ChosenFree != -1;
    const GridIndex hit = PressPoint(Document, k, x, y);
    if (hadChoice) DrawGrids();  // the choice went
    if (!hit.Found()) {
        ChooseStrokeAt(k, x, y);
        return;
    }
    // A held point shows at its full size however small the others are.
    if (!hadChoice && MarkersReduced(Document.Matrix(k), Document.Zoom))
        DrawMatrixArea(Panes.P(k), Document.Matrix(k), Document.Zoom,
                       PointArea(Document.Matrix(k), hit.I, hit.J, Document.Zoom), Overlay(k));
    // Mark the partner in the other image while the point is held.
    const int other = 3 - k;
    if (const auto p = PartnerPoint(Document, k, hit)) {
        const MatrixRecord& partner = Document.Matrix(other);
        DrawMarker(Panes.P(other), *p, partner.PointerSize, Document.Zoom, partner.MatrixColor);
        Panes.P(other).RefreshArea(MarkerArea(*p, partner.PointerSize, Document.Zoom));
    }
}

void Fennix_Main::HoverAt(int k, double x, double y) {
    std::array<int, 4> now{0, -1, -1, -1};
    if ((k == 1 || k == 2) && MarkersReduced(Document.Matrix(k), Document.Zoom)) {
        const MatrixRecord& m = Document.Matrix(k);
        if (const auto free = FindHitFreePoint(m, x, y, Document.Zoom);
            free && *free < FreePairCount(Document.Matrix(1), Document.Matrix(2)))
            now = {k, -1, -1, *free};
        else if (const GridIndex hit = FindHitPoint(m, x, y, Document.Zoom); hit.Found())
            now = {k, hit.I, hit.J, -1};
    }
    if (now == hovered_) return;
    const std::array<int, 4> before = hovered_;
    hovered_ = now;
    for (const auto& h : {before, now}) {
        if (h[0] != 1 && h[0] != 2) continue;
        const MatrixRecord& m = Document.Matrix(h[0]);
        DrawMatrixArea(Panes.P(h[0]), m, Document.Zoom,
                       h[3] >= 0 ? FreePointArea(m, h[3], Document.Zoom)
                                 : PointArea(m, h[1], h[2], Document.Zoom),
                       Overlay(h[0]));
    }
}

void Fennix_Main::P_MouseMove(int k, Qt::MouseButtons buttons, double x, double y) {
    if (!(buttons & Qt::LeftButton)) {
        if (Document.SelectedI == -1) HoverAt(k, x, y);
        return;
    }
    if (StrokeMove(k, x, y) || k != Document.SelectedGrid) return;
    const MatrixRecord& matrix = Document.Matrix(k);
    const MarkerLook lookBefore = MarkerLookOf(matrix, Document.Zoom);
    const auto free = HeldFreePoint(Document, k);
    const int i = Document.SelectedI, j = Document.SelectedJ;
    // Only the point's marker and its lines change: that part is redrawn,
    // where it was and where it goes, with the mesh edges that changed.
    QRegion area =
        free ? FreePointArea(matrix, *free, Document.Zoom) : PointArea(matrix, i, j, Document.Zoom);
    if (free ? !MoveHeldFreePoint(Document, k, x, y, Panes.Poriginal(k).Width(),
                                  Panes.Poriginal(k).Height())
             : !MoveHeldPoint(Document, k, x, y, Panes.Poriginal(k).Width(),
                              Panes.Poriginal(k).Height()))
        return;
    area +=
        free ? FreePointArea(matrix, *free, Document.Zoom) : PointArea(matrix, i, j, Document.Zoom);
    const auto meshAreas =
        meshEdges_.UpdateArea(Document.Matrix(1), Document.Matrix(2), Document.Zoom);
    if (MarkerLookOf(matrix, Document.Zoom) != lookBefore)
        DrawMatrix(Panes.P(k), matrix, Document.Zoom, Overlay(k));  // every marker changes size
    else
        DrawMatrixArea(Panes.P(k), matrix, Document.Zoom, area + meshAreas[k - 1], Overlay(k));
    // The mesh may change in the other picture too.
    const int other = 3 - k;
    if (!meshAreas[other - 1].isEmpty())
        DrawMatrixArea(Panes.P(other), Document.Matrix(other), Document.Zoom, meshAreas[other - 1],
                       Overlay(other));
    UpdatePreview(true);
}

void Fennix_Main::P_MouseUp(int k, Qt::MouseButton button, double x, double y) {
    if (button != Qt::LeftButton) return;
    if (StrokeRelease(k) || k != Document.SelectedGrid) return;
    if (HeldFreePoint(Document, k)) {
        const PointRelease release = ReleaseHeldFreePoint(Document, k);
        if (release.result == PointRelease::PutBack) {
            ShowMessage(Tr("Fennix_MainEditing", "マトリクスのラインがオーバーラップしています。"),
                        MessageIcon::Information);
        } else if (release.result == PointRelease::Moved) {
            DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
            before.matrices[k - 1].FreePoints[static_cast<size_t>(release.point.I)] = release.from;
            PushEdit(QString::fromUtf8(Tr("Fennix_MainEditing", "点の移動")), before);
        }
        DrawGrids();
        UpdatePreview();
        ShowModified();
        return;
    }
    const PointRelease release = ReleaseHeldPoint(Document, k, x, y);
    const auto meshAreas =
        meshEdges_.UpdateArea(Document.Matrix(1), Document.Matrix(2), Document.Zoom);
    if (release.result == PointRelease::PutBack) {
        ShowMessage(Tr("Fennix_MainEditing", "マトリクスのラインがオーバーラップしています。"),
                    MessageIcon::Information);
        DrawMatrix(Panes.P(k), Document.Matrix(k), Document.Zoom, Overlay(k));
    } else if (MarkersReduced(Document.Matrix(k), Document.Zoom)) {
        // The point, no longer held, takes the size of the others.
        DrawMatrixArea(
            Panes.P(k), Document.Matrix(k), Document.Zoom,
            PointArea(Document.Matrix(k), release.point.I, release.point.J, Document.Zoom),
            Overlay(k));
    }
    if (release.result == PointRelease::Moved) {
        DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
        before.matrices[k - 1].Points(release.point.I, release.point.J) = release.from;
        PushEdit(QString::fromUtf8(Tr("Fennix_MainEditing", "ポイントの移動")), before);
    }
    // The partner's mark goes: its box is redrawn as the grid has it (with
    // the mesh edges a point put back changed).
    const int other = 3 - k;
    if (const auto p = PartnerPoint(Document, k, release.point)) {
        const MatrixRecord& partner = Document.Matrix(other);
        DrawMatrixArea(Panes.P(other), partner, Document.Zoom,
                       MarkerArea(*p, partner.PointerSize, Document.Zoom) + meshAreas[other - 1],
                       Overlay(other));
    }
    // The whole frame of the point where it now stays (or went back to).
    UpdatePreview();
    ShowModified();  // every release marks the document changed
}

void Fennix_Main::P_DoubleClick(int k, Qt::MouseButton button, double x, double y) {
    if (button != Qt::LeftButton || (k != 1 && k != 2) || takingReferences_ || FitRunning() ||
        MorphRunning() || Document.SelectedI != -1)
        return;  // a point lies there (its press took it) or something else is going on
    const DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
    if (!AddFreePair(Document, k, x, y, Panes.Poriginal(k).Width(), Panes.Poriginal(k).Height())) {
        ShowMessage(Tr("Fennix_MainEditing", "ここには点を置けません（ほかの点に重なるか、メッシュが折り重なります）。"),
                    MessageIcon::Information);
        return;
    }
    DrawGrids();
    PushEdit(QString::fromUtf8(Tr("Fennix_MainEditing", "点の追加")), before);
}

void Fennix_Main::mnuDeletePoint_Click() {
    // With no free pair chosen, Delete takes the chosen stroke.
    if (Document.SelectedI == -1 && Document.ChosenFree == -1 && chosenStroke_ >= 0)
        return mnuDeleteStroke_Click();
    if (Document.SelectedI != -1 || Document.ChosenFree == -1) return;
    const DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
    if (!RemoveFreePair(Document, Document.ChosenFree)) return;
    DrawGrids();
    PushEdit(QString::fromUtf8(Tr("Fennix_MainEditing", "点の削除")), before);
}

void Fennix_Main::mnuRefineGrid_Click() {
    if (Document.SelectedI != -1 || FitRunning() || MorphRunning()) return;
    MatrixRecord& start = Document.Matrix(1);
    MatrixRecord& end = Document.Matrix(2);
    if (start.Rows != end.Rows || start.Columns != end.Columns) return;
    if (start.Rows > std::numeric_limits<int>::max() / 2 ||
        start.Columns > std::numeric_limits<int>::max() / 2 ||
        !GridCountsFit(Panes.Poriginal(1).Width(), Panes.Poriginal(1).Height(), start.Rows * 2,
                       start.Columns * 2)) {
        ShowMessage(Tr("Fennix_MainEditing", "格子をこれ以上細かくできません。ひとつの升目は縦横とも 5 ピクセル以上必要です。"),
                    MessageIcon::Exclamation);
        return;
    }
    const DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
    const int pairsBefore = FreePairCount(start, end);
    RefineGrids(start, end);
    // Pairs on the new grid points went: the chosen one may be another now.
    if (FreePairCount(start, end) != pairsBefore) Document.ChosenFree = -1;
    DrawGrids();
    PushEdit(QString::fromUtf8(Tr("Fennix_MainEditing", "格子を細かくする")), before);
    SetDirty(true);
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
    SetDirty(true);
}

void Fennix_Main::mnuRunOptions_Click() {
    if (Document.SelectedI != -1) return;
    Fennix_RunOpt dialog(Document.Run, Document.LastFrame, this);
    RunTimingDialog(dialog);
    if (dialog.result() != QDialog::Accepted) return;
    // The frame count is the document's own (its last frame index); the
    // settings' count stays the default of new documents.
    const int32_t lastFrame = LastFrameOf(dialog.FrameCount());
    if (dialog.Options() == Document.Run && lastFrame == Document.LastFrame) return;
    const DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
    Document.Run = dialog.Options();
    Document.LastFrame = lastFrame;
    PushEdit(QString::fromUtf8(Tr("Fennix_MainEditing", "作成オプション")), before);
    SetDirty(true);
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
                    Document.Matrix(k).FreePoints.clear();  // a fresh start
                    Document.Matrix(k).Strokes.clear();
                }
                Document.ChosenFree = -1;
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
    SetDirty(true);
}

void Fennix_Main::Undo() {
    if (Document.SelectedI != -1 || !undoStack_->canUndo()) return;
    undoStack_->undo();
    SetDirty(!undoStack_->isClean());
}

void Fennix_Main::Redo() {
    if (Document.SelectedI != -1 || !undoStack_->canRedo()) return;
    undoStack_->redo();
    SetDirty(!undoStack_->isClean());
}

void Fennix_Main::MarkSaved() {
    undoStack_->setClean();
    SetDirty(false);
}

GridOverlay Fennix_Main::Overlay(int k) const {
    GridOverlay overlay = DocumentOverlay(Document, k, meshEdges_.Edges());
    if (hovered_[0] == k) {
        overlay.Hovered = {hovered_[1], hovered_[2]};
        overlay.HoveredFree = hovered_[3];
    }
    return overlay;
}

void Fennix_Main::DrawGrids() {
    // The mesh is built again only when the points changed. The chosen free
    // pair (and so a held free point's partner) is filled in the grid colour
    // on both pictures.
    meshEdges_.Update(Document.Matrix(1), Document.Matrix(2));
    hovered_ = {0, -1, -1, -1};  // the points may be others now: the next move tells
    DrawMatrix(Panes.P(1), Document.Matrix(1), Document.Zoom, Overlay(1));
    DrawMatrix(Panes.P(2), Document.Matrix(2), Document.Zoom, Overlay(2));
    DrawStrokeMarks();
}

void Fennix_Main::ApplySnapshot(const DocumentSnapshot& snapshot) {
    const int32_t back = RestoreSnapshot(Document, snapshot);
    if (Document.ChosenFree >= static_cast<int>(Document.Matrix(1).FreePoints.size()))
        Document.ChosenFree = -1;
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
    ShowModified();
}

}  // namespace fennix
