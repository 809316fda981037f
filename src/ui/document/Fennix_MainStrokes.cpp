// The document window's strokes: drawing a matched pair of curves, one on
// each picture, choosing a stroke, drawing one of its sides anew, deleting it.
#include <QAction>

#include "core/Prompts.h"
#include "core/Translation.h"
#include "engine/GridFit.h"
#include "model/DocumentHistory.h"
#include "model/MatrixDrawing.h"
#include "model/StrokeMaking.h"
#include "ui/common/PaneWidget.h"
#include "ui/document/Fennix_Main.h"

namespace fennix {

namespace {

// The colour a curve under way and the chosen stroke are drawn in: the
// point colour's complement, apart from the grid's own colours.
int32_t MarkColour(const MatrixRecord& m) { return 0xFFFFFF & ~m.PointerColor; }

}  // namespace

bool Fennix_Main::StrokePress(int k, double x, double y) {
    if (!drawingStrokes_ && redrawStroke_ < 0) return false;
    if (FitRunning() || MorphRunning() || takingReferences_) return true;
    // A new stroke's start curve comes first, then its end curve; a side
    // drawn anew may be either.
    const int expected = redrawStroke_ >= 0 ? k : strokeStartCurve_.empty() ? 1 : 2;
    if (k != expected) return true;
    const MatrixRecord& m = Document.Matrix(k);
    strokeSide_ = k;
    strokeCurve_ = {{std::clamp(Document.Zoom.ImagePos(x), 0, m.Width),
                     std::clamp(Document.Zoom.ImagePos(y), 0, m.Height)}};
    cancelStrokeAction_->setEnabled(true);
    // The keyboard focus into the window, so that Escape reaches it.
    if (paneWidgets_[k - 1]) paneWidgets_[k - 1]->setFocus(Qt::MouseFocusReason);
    return true;
}

bool Fennix_Main::StrokeMove(int k, double x, double y) {
    if (strokeSide_ == 0) return drawingStrokes_ || redrawStroke_ >= 0;
    if (k != strokeSide_) return true;
    const MatrixRecord& m = Document.Matrix(k);
    const Point at{std::clamp(Document.Zoom.ImagePos(x), 0, m.Width),
                   std::clamp(Document.Zoom.ImagePos(y), 0, m.Height)};
    const Point last = strokeCurve_.back();
    if (std::abs(at.X - last.X) + std::abs(at.Y - last.Y) < 2 ||
        static_cast<int>(strokeCurve_.size()) >= kMaxCurvePoints)
        return true;
    strokeCurve_.push_back(at);
    DrawCurve(Panes.P(k), {last, at}, false, Document.Zoom, MarkColour(m));
    return true;
}

bool Fennix_Main::StrokeRelease(int k) {
    if (strokeSide_ == 0) return drawingStrokes_ || redrawStroke_ >= 0;
    if (k != strokeSide_) return true;
    strokeSide_ = 0;
    std::vector<Point> curve = std::move(strokeCurve_);
    strokeCurve_.clear();
    if (curve.size() < 2) {  // a click, not a curve
        cancelStrokeAction_->setEnabled(!strokeStartCurve_.empty());
        return true;
    }
    MatrixRecord& start = Document.Matrix(1);
    MatrixRecord& end = Document.Matrix(2);
    const DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
    std::string why;
    QString step;
    if (redrawStroke_ >= 0) {
        bool gridMoved = false;
        why = RedrawStrokeMakingRoom(start, end, redrawStroke_, k, curve, gridMoved);
        step = QString::fromUtf8(Tr("Fennix_MainStrokes", "線の引き直し"));
        if (why.empty()) chosenStroke_ = redrawStroke_;
        redrawStroke_ = -1;
    } else if (k == 1) {
        strokeStartCurve_ = std::move(curve);
        UpdateStrokeHint();
        return true;  // the end picture's turn
    } else {
        const bool closed = CurveLooksClosed(strokeStartCurve_);
        bool gridMoved = false;
        why = AddStrokeMakingRoom(start, end, strokeStartCurve_, curve, closed, gridMoved);
        step = QString::fromUtf8(Tr("Fennix_MainStrokes", "線の追加"));
        if (why.empty()) chosenStroke_ = static_cast<int>(start.Strokes.size()) - 1;
        strokeStartCurve_.clear();
    }
    cancelStrokeAction_->setEnabled(false);
    UpdateStrokeHint();
    DrawGrids();
    if (!why.empty()) {
        ShowMessage(Format(Tr("Fennix_MainStrokes", "この線は置けません。%1"), {why}),
                    MessageIcon::Information);
        return true;
    }
    Document.Dirty = true;
    PushEdit(step, before);
    return true;
}

void Fennix_Main::CancelStroke() {
    if (strokeSide_ == 0 && strokeStartCurve_.empty() && redrawStroke_ < 0) return;
    strokeSide_ = 0;
    strokeCurve_.clear();
    strokeStartCurve_.clear();
    redrawStroke_ = -1;
    cancelStrokeAction_->setEnabled(false);
    UpdateStrokeHint();
    DrawGrids();
}

void Fennix_Main::UpdateStrokeHint() {
    const char* text =
        redrawStroke_ >= 0
            ? Tr("Fennix_MainStrokes",
                 "選んだ線を、どちらかの画像に引き直してください（Esc で取り消し）。")
        : !drawingStrokes_ ? ""
        : strokeStartCurve_.empty()
            ? Tr("Fennix_MainStrokes", "始めの画像に線を引いてください。")
            : Tr("Fennix_MainStrokes",
                 "終わりの画像に、対応する線を引いてください（Esc で取り消し）。");
    const QString hint = QString::fromUtf8(text);
    if (hint == hint_) return;
    hint_ = hint;
    emit HintChanged(hint_);
}

bool Fennix_Main::ChooseStrokeAt(int k, double x, double y) {
    const auto hit = FindHitStroke(Document.Matrix(k), x, y, Document.Zoom);
    const int chosen = hit ? *hit : -1;
    if (chosen == chosenStroke_) return hit.has_value();
    chosenStroke_ = chosen;
    DrawGrids();
    return hit.has_value();
}

void Fennix_Main::mnuDrawStroke_Click() {
    CancelStroke();
    if (FitRunning() || MorphRunning()) mnuDrawStroke->setChecked(false);
    drawingStrokes_ = mnuDrawStroke->isChecked();
    UpdateStrokeHint();
}

void Fennix_Main::mnuRedrawStroke_Click() {
    CancelStroke();
    if (FitRunning() || MorphRunning()) return;
    if (chosenStroke_ < 0 || chosenStroke_ >= static_cast<int>(Document.Matrix(1).Strokes.size())) {
        ShowMessage(Tr("Fennix_MainStrokes", "引き直す線をクリックして選んでください。"),
                    MessageIcon::Information);
        return;
    }
    redrawStroke_ = chosenStroke_;
    cancelStrokeAction_->setEnabled(true);
    UpdateStrokeHint();
}

void Fennix_Main::mnuDeleteStroke_Click() {
    if (chosenStroke_ < 0 || FitRunning() || MorphRunning()) return;
    CancelStroke();
    const DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
    if (!RemoveStroke(Document.Matrix(1), Document.Matrix(2), chosenStroke_)) return;
    chosenStroke_ = -1;
    Document.Dirty = true;
    DrawGrids();
    PushEdit(QString::fromUtf8(Tr("Fennix_MainStrokes", "線の削除")), before);
}

void Fennix_Main::DrawStrokeMarks() {
    const int count = static_cast<int>(std::min(Document.Matrix(1).Strokes.size(), Document.Matrix(2).Strokes.size()));
    if (chosenStroke_ >= count) chosenStroke_ = -1;
    if (chosenStroke_ >= 0)
        for (int k = 1; k <= 2; ++k) {
            const Stroke& stroke = Document.Matrix(k).Strokes[static_cast<size_t>(chosenStroke_)];
            DrawCurve(Panes.P(k), stroke.Points, stroke.Closed, Document.Zoom, MarkColour(Document.Matrix(k)));
        }
    // The start curve of a stroke waiting for its end curve.
    if (!strokeStartCurve_.empty())
        DrawCurve(Panes.P(1), strokeStartCurve_, false, Document.Zoom, MarkColour(Document.Matrix(1)));
}

}  // namespace fennix
