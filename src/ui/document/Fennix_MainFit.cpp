// The document window's automatic fit: 自動調整 and 基準点で合わせる.
#include "ui/document/Fennix_Main.h"

#include <QProgressDialog>
#include <algorithm>
#include <array>
#include <memory>

#include "core/Prompts.h"
#include "core/Translation.h"
#include "model/DocumentHistory.h"
#include "model/MatrixDrawing.h"
#include "ui/common/PaneWidget.h"

namespace fennix {

void Fennix_Main::mnuAutoFit_Click() {
    takingReferences_ = false;
    referencePairs_.clear();
    pendingReference_.reset();
    StartFit({});
}

void Fennix_Main::mnuAutoFitNextFace_Click() {
    takingReferences_ = false;
    referencePairs_.clear();
    pendingReference_.reset();
    StartFit({}, fitFace_ + 1);
}

void Fennix_Main::mnuAlignByPoints_Click() {
    if (takingReferences_) {
        std::vector<FitReference> pairs = referencePairs_;
        takingReferences_ = false;
        referencePairs_.clear();
        pendingReference_.reset();
        if (pairs.size() >= 2) {
            StartFit(std::move(pairs));
        } else {
            DrawGrids();  // the marks of the clicks go
        }
        return;
    }
    if (FitRunning() || MorphRunning() || Document.SelectedI != -1) return;
    takingReferences_ = true;
    referencePairs_.clear();
    pendingReference_.reset();
    ShowMessage(Tr("Fennix_MainFit",
                   "開始画像と終了画像で同じものが写っている場所を、開始画像、終了画像の順にクリッ"
                   "クしてくださ"
                   "い。"
                   "3組目をクリックすると合わせます。2組で合わせるときは、もう一度「基準点で合わせ"
                   "る」を選んで"
                   "ください。"),
                MessageIcon::Information);
}

bool Fennix_Main::TakeReference(int k, double x, double y) {
    if (!takingReferences_) return false;
    const Point at{Document.Zoom.ImagePos(x), Document.Zoom.ImagePos(y)};
    const bool startSide = !pendingReference_;
    if ((k == 1) != startSide) return true;  // the other picture's turn
    const MatrixRecord& matrix = Document.Matrix(k);
    if (at.X < 0 || at.Y < 0 || at.X > matrix.Width || at.Y > matrix.Height) return true;
    if (startSide) {
        pendingReference_ = FitReference{double(at.X), double(at.Y), 0, 0};
    } else {
        pendingReference_->EndX = at.X;
        pendingReference_->EndY = at.Y;
        referencePairs_.push_back(*pendingReference_);
        pendingReference_.reset();
    }
    // A mark in the pointer colour's complement, so it stands apart from
    // the grid's own points.
    const int size = std::max(matrix.PointerSize, 4);
    DrawMarker(Panes.P(k), at, size, Document.Zoom, 0xFFFFFF & ~matrix.PointerColor);
    Panes.P(k).RefreshArea(MarkerArea(at, size, Document.Zoom));
    if (referencePairs_.size() == 3) mnuAlignByPoints_Click();
    return true;
}

void Fennix_Main::StartFit(std::vector<FitReference> references, int face) {
    if (FitRunning() || MorphRunning() || Document.SelectedI != -1) return;
    const QImage start = Panes.Poriginal(1).Picture(), end = Panes.Poriginal(2).Picture();
    const MatrixRecord startGrid = Document.Matrix(1), endGrid = Document.Matrix(2);
    GridFitOptions options;
    options.References = std::move(references);
    if (!faceModel_) {
        faceModel_ = std::make_shared<FaceLandmarker>();
        std::string message;
        faceModel_->Load(DefaultFaceModelFolder(), message);
    }
    options.Faces = faceModel_.get();
    options.StartFace = options.EndFace = face;
    options.PreviousFacePairs = Document.FacePairs;
    options.PreviousDetailPairs = Document.DetailPairs;
    fitFace_ = face;

    fitDialog_ =
        new QProgressDialog(QString::fromUtf8(Tr("Fennix_MainFit", "自動調整しています…")),
                            QString::fromUtf8(Tr("Fennix_MainFit", "キャンセル")), 0, 100, this);
    fitDialog_->setWindowTitle(QString::fromUtf8(Tr("Fennix_MainFit", "自動調整")));
    fitDialog_->setWindowModality(Qt::WindowModal);
    fitDialog_->setAutoClose(false);
    fitDialog_->setAutoReset(false);
    fitDialog_->setMinimumDuration(300);
    fitDialog_->setValue(0);
    connect(fitDialog_, &QProgressDialog::canceled, this, [this] { fitJob_.Cancel(); });

    auto result = std::make_shared<GridFitResult>();
    fitJob_.Start(
        [start, end, startGrid, endGrid, options, result, model = faceModel_,
         this](BackgroundJob& job) {
            *result =
                FitEndGrid(start, end, startGrid, endGrid, options, [&job, this](int percent) {
                    job.Post([this, percent] {
                        if (fitDialog_) fitDialog_->setValue(percent);
                    });
                    return !job.CancelRequested();
                });
        },
        [this, result, before = endGrid.Points,
         freeBefore = std::array{startGrid.FreePoints, endGrid.FreePoints}] {
            FitFinished(*result, before, freeBefore);
        });
}

void Fennix_Main::FitFinished(const GridFitResult& result, const PointGrid& endBefore,
                              const std::array<std::vector<Point>, 2>& freeBefore) {
    if (fitDialog_) {
        fitDialog_->close();
        fitDialog_->deleteLater();
        fitDialog_ = nullptr;
    }
    switch (result.Outcome) {
        case FitOutcome::Fitted: {
            if (Document.Matrix(2).Points != endBefore ||
                Document.Matrix(1).FreePoints != freeBefore[0] ||
                Document.Matrix(2).FreePoints != freeBefore[1])
                return;  // edited meanwhile
            const DocumentSnapshot before = TakeSnapshot(Document, Pb->BackColor());
            Document.Matrix(2).Points = result.Points;
            Document.Matrix(1).FreePoints = result.StartFreePoints;
            Document.Matrix(2).FreePoints = result.FreePoints;
            if (result.FacesLed) Document.FacePairs = result.FacePairs;
            Document.DetailPairs = result.DetailPairs;
            // A face number past the faces there starts again at the largest.
            if (!result.FacesLed) fitFace_ = -1;
            DrawGrids();
            PushEdit(QString::fromUtf8(Tr("Fennix_MainFit", "自動調整")), before);
            SetDirty(Document.Dirty || Document.Matrix(2).Points != endBefore ||
                     Document.Matrix(1).FreePoints != before.matrices[0].FreePoints ||
                     Document.Matrix(2).FreePoints != before.matrices[1].FreePoints);
            if (!result.FaceNote.empty() && !faceNoteShown_) {
                faceNoteShown_ = true;
                ShowMessage(result.FaceNote, MessageIcon::Information);
            }
            // What the fit added beside the grid, once for each fit that adds.
            if (!result.DetailPairs.empty()) ShowMessage(result.Message, MessageIcon::Information);
            break;
        }
        case FitOutcome::NoMatch:
            DrawGrids();
            // What to do instead: match places by hand, or draw lines.
            ShowMessage(result.Message + "\n" +
                            Tr("Fennix_MainFit",
                               "「基準点で合わせる」を使うか、輪郭に沿って線を引いてください。"),
                        MessageIcon::Information);
            break;
        case FitOutcome::Failed:
            DrawGrids();
            ShowMessage(result.Message, MessageIcon::Exclamation);
            break;
        case FitOutcome::Cancelled:
            DrawGrids();
            break;
    }
}

}  // namespace fennix
