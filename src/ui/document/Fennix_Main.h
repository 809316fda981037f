#pragma once

#include <QDateTime>
#include <QList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Translation.h"
#include "engine/BackgroundJob.h"
#include "engine/FaceLandmarks.h"
#include "engine/GridFit.h"
#include "engine/MorphRunJob.h"
#include "engine/PreviewJob.h"
#include "model/MeshEdges.h"
#include "model/MorphDocument.h"
#include "model/ViewArrangement.h"

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QProgressDialog;
class QUndoStack;

namespace fennix {

struct GridOverlay;

// Asked when a document whose morph is being made is closed.
inline constexpr const char* kStopRunQuestion =
    TrMark("Fennix_Main", "モーフィングを作成中です。中止して閉じますか？");

class Fennix_Opt;
class Fennix_RunOpt;
class GradientProgressBar;
class ccXPButton;
class Slider;
struct DocumentSnapshot;
class PaneWidget;
class PanelWidget;
class ucScrollbar;

// The document window of one morph: the start and end image side by side,
// each with its grid, inside a panel with two scroll bars, and the
// document's own menu, which the frame shows while this window is active.
class Fennix_Main : public QWidget {
    Q_OBJECT
public:
    explicit Fennix_Main(QWidget* parent = nullptr);
    ~Fennix_Main() override;

    // Creates the document from two prepared image files: loads both, lays
    // both grids from the settings, draws them and shows the window. When an
    // image cannot be loaded, shows "<path>が無効です。" and unloads the
    // window; returns false then.
    bool NewMorph(const std::string& startPath, const std::string& endPath);

    // Places the panes and the scroll bars for the current sizes.
    void ArrangeViews();

    // 作成スタート: writes the document's frames into a new folder named
    // after the date and time, showing each frame as it is made, then asks
    // whether to look at them. A failure shows "③処理は失敗しました。" and
    // leaves the window as it was; the frames written so far stay.
    void mnuMorphIt_Click();

    // プレビュー: shows or hides the preview pane right of the two pictures:
    // the frame a run would write for the frame its slider chooses (the
    // middle one at first), at the document's zoom, remade whenever the
    // grids, the colours or the frame count change. The choice is
    // remembered for the next windows.
    void mnuPreview_Click();
    bool PreviewShown() const { return previewShown_; }
    // Moves the preview's slider to frame k (kept within 0 … LastFrame), as
    // the user does, and shows that frame.
    void SetPreviewFrame(int k);
    // True while a preview frame is being made or waits to be.
    bool PreviewBusy() const { return previewJob_.Busy(); }
    // The last frame the preview showed, at the pane's size (the frame's
    // own at 100 %).
    const QImage& PreviewFrame() const { return previewFrame_; }
    PicturePane Preview;                  // the frame at the document's zoom
    Slider* PreviewSlider = nullptr;      // frame 0 … LastFrame
    QLabel* lblPreviewFrame = nullptr;    // "k / N"
    QAction* mnuPreview = nullptr;

    // True from 作成スタート until the run has ended and the window is back.
    bool MorphRunning() const;
    // Stops the run after the frame being made (its ｷｬﾝｾﾙ button, Escape):
    // the frames written stay, and a message says how many there are.
    void CancelMorphRun();

    // The clock that names frame folders (tests set a fixed one).
    std::function<QDateTime()> Clock = [] { return QDateTime::currentDateTime(); };

    // Shows the frame viewer modally (after a run, or from the menu with
    // ViewerFromMenu set); tests replace it so nothing waits for a user.
    std::function<void()> RunViewer;

    // Called during a run each time frame k (0 … last) is shown, with the
    // window repainted; a tool that pictures a run in progress sets it.
    std::function<void(int k, int last)> FrameShown;

    // モーフィングビューア: the frame viewer with a folder choice.
    void mnuMorph_Click();

    // Opens the project file at `path` in this fresh window: reads it, loads
    // both images, draws both grids and shows the window with the path as
    // caption. On failure shows why and unloads the window; returns false.
    bool OpenMorph(const std::string& path);

    // 上書き保存: writes the project file in place; a document never saved
    // (or whose file has gone) is saved under a name instead.
    // 名前を付けて保存: asks for a name and writes the project file there;
    // the file joins the recent-file list.
    // Either first moves a new document's prepared images from the
    // temporary folder into the image folder (before the name is asked).
    // When that fails, "<image folder>に画像を保存できませんでした。" is shown
    // and nothing is written. A failed write leaves the document as it was:
    // changed, under its old name, the recent-file list untouched.
    void mnuSaveMorph_Click();
    void mnuSaveName_Click();

    // 画像と一緒に保存: asks for a project file name and writes a copy of the
    // project there with copies of its two pictures beside it, a folder to
    // take elsewhere as a whole. The document itself stays as it is (its
    // name, its pictures, Dirty); a new document's prepared pictures are
    // first put in the image folder, as a save does.
    void mnuSaveWithPictures_Click();

    // Asked before the window closes; false keeps it open. The frame asks
    // every document before it closes any, so one refusal stops its close.
    virtual bool QueryUnload();

    // Closes the window (its frame box inside the frame window) for good.
    void Unload();

    // Grid editing with the mouse on P(k) (k = 1 or 2), the position in
    // fractional pane pixels. Only the left button edits. Pressing takes the
    // first point under the cursor and marks its partner in the other image;
    // moving drags it (kept in the image, border points on their border);
    // releasing keeps it only where it does not cross its neighbours' lines,
    // otherwise it goes back with "マトリクスのラインがオーバーラップしています。".
    // Every release of a held point makes the document dirty.
    void P_MouseDown(int k, Qt::MouseButton button, double x, double y);
    void P_MouseMove(int k, Qt::MouseButtons buttons, double x, double y);
    void P_MouseUp(int k, Qt::MouseButton button, double x, double y);
    // Free points: a double click on P(k) where no point lies adds a pair
    // (the point there and its partner where the mesh takes it in the other
    // picture); a press on a free point chooses its pair and takes the
    // point, which drags and is let go of like a grid point (the partner
    // marked meanwhile). Adding, moving and removing are undo steps.
    void P_DoubleClick(int k, Qt::MouseButton button, double x, double y);
    // 選んだ点の削除 (Delete): removes the chosen free pair.
    void mnuDeletePoint_Click();
    // 格子を細かくする: doubles the rows and columns of both grids, every
    // point and pair kept, the new points placed on the current mesh; an
    // undo step. Refused with a message where cells would come out smaller
    // than the grid allows.
    void mnuRefineGrid_Click();

    // 100% / 200% / 300% (z = 1, 2, 3): shows both images z times enlarged
    // by pixel repetition with their grids. Points, Dirty and the selection
    // stay as they are. Other values are ignored.
    void mnuZoom_Click(int z);

    // Shows both images at `zoom` with their grids: enlarged by pixel
    // repetition for the whole zooms, scaled down smoothly for fractions
    // (50 %, 25 %, the fitted scale). Like the zoom command, it changes
    // neither the points nor Dirty nor the selection.
    void SetZoom(ZoomScale zoom);

    // ウィンドウに合わせる: the largest zoom (at most 100 %) at which both
    // images show whole side by side in the window.
    // The fitted zoom stays in force as the window is resized or maximised,
    // until another zoom is chosen.
    void mnuZoomFit_Click();
    ZoomScale WindowFitZoom() const;
    bool FittedToWindow() const { return fitToWindow_; }
    // True while the preview lies under the pictures rather than right of them.
    bool PreviewBelow() const { return previewBelow_; }

    // マトリクスの色 (0), ポインタの色 (1), 背景の色 (2): asks for a colour
    // and applies it to both grids (or the background); a cancel changes
    // nothing.
    void mnuColor_Click(int index);

    // オプション: the options dialog on the document's values; afterwards a
    // changed grid size is offered as a reset (or refused when cells would
    // be smaller than 5 pixels), the frame count and the marker size are
    // taken over. A cancelled dialog changes nothing.
    void mnuSetting_Click();

    // Shows the options dialog modally; tests replace it to act on the dialog.
    std::function<void(Fennix_Opt&)> RunOptionsDialog;

    // 作成オプション: the run options dialog on the document's holds and
    // curves; a confirmed change is one undo step and marks the document
    // changed, and the preview follows it. A cancelled dialog changes
    // nothing.
    void mnuRunOptions_Click();
    // Shows the run options dialog modally; tests replace it.
    std::function<void(Fennix_RunOpt&)> RunTimingDialog;

    // The window became the active document: no point is held any more. A
    // point still held is put back where it was before it was pressed.
    void Form_Activate();

    // 元に戻す and やり直し: step back and forth through the point moves,
    // grid resets, colour and option changes of this document. Nothing
    // happens while a point is held or when there is no step.
    void Undo();
    void Redo();

    // To be called after the document was saved: the current state becomes
    // the one that undoing back to clears Dirty.
    void MarkSaved();

    QUndoStack* UndoStack() const { return undoStack_; }

    // 自動調整: moves the end grid's points onto the places of the end
    // picture that show what lies under the start grid's points (see
    // FitEndGrid), on a worker thread with a progress dialog whose
    // キャンセル stops it. The result is one undo step; the preview follows.
    // Pictures with nothing in common leave the grid and say so.
    // When both pictures show a face, the largest face of each leads (see
    // FitEndGrid); 別の顔で自動調整 fits again with the next face of both
    // pictures (the second largest, then the third …, then the largest).
    void mnuAutoFit_Click();
    void mnuAutoFitNextFace_Click();
    // 基準点で合わせる: starts taking pairs of matching places, clicked first
    // on the start picture, then on the end picture; the third pair fits at
    // once. Chosen again with two pairs it fits with them, with fewer it
    // stops taking pairs. The pairs set the global alignment of the fit.
    void mnuAlignByPoints_Click();
    // True from 自動調整 until its result is applied (or it was stopped).
    bool FitRunning() const { return fitJob_.Running(); }
    // The pairs clicked so far while 基準点で合わせる takes them.
    const std::vector<FitReference>& ReferencePairs() const { return referencePairs_; }
    bool TakingReferences() const { return takingReferences_; }
    QProgressDialog* FitDialog() const { return fitDialog_; }

    // The document's menu, in menu-bar order.
    const QList<QMenu*>& Menus() const { return menus_; }

    // What the status bar says about the pointer: the picture it is over,
    // its place in that picture's pixels and the zoom (see
    // PointerStatusText); the zoom alone while it is over neither picture.
    QString PointerStatus() const { return pointerStatus_; }
    // What the status bar tells the user to do next while a stroke is drawn
    // (which picture its next curve goes on); empty otherwise.
    QString Hint() const { return hint_; }

    MorphDocument Document;
    DocumentPanes Panes;

    PanelWidget* Pb = nullptr;
    ucScrollbar* HScroll1 = nullptr;
    ucScrollbar* VScroll1 = nullptr;
    GradientProgressBar* GradientProgressBar1 = nullptr;
    ccXPButton* cmdCancelRun = nullptr;  // beside the progress bar during a run

    QAction* mnuCloseMorph = nullptr;
    QAction* mnuSaveMorph = nullptr;
    QAction* mnuSaveName = nullptr;
    QAction* mnuSaveWithPictures = nullptr;
    QAction* mnuChain = nullptr;  // 連続モーフィング
    QAction* mnuUndo = nullptr;
    QAction* mnuRedo = nullptr;
    QAction* mnuSetting = nullptr;
    QAction* mnuColor[3] = {};
    QAction* mnuZoom[4] = {};  // 1 … 3
    QAction* mnuZoomFit = nullptr;
    QAction* mnuZoom50 = nullptr;
    QAction* mnuZoom25 = nullptr;
    QAction* mnuDeletePoint = nullptr;
    QAction* mnuDrawStroke = nullptr;    // 線を引く
    QAction* mnuRedrawStroke = nullptr;  // 選んだ線を引き直す
    QAction* mnuDeleteStroke = nullptr;  // 選んだ線の削除
    QAction* mnuRefineGrid = nullptr;
    QAction* mnuAutoFit = nullptr;
    QAction* mnuAutoFitNextFace = nullptr;
    QAction* mnuAlignByPoints = nullptr;
    QAction* mnuMorphIt = nullptr;
    QAction* mnuRunOptions = nullptr;  // 作成オプション
    QAction* mnuMorph = nullptr;
    QAction* mnuAVI = nullptr;
    QAction* mnuAVI2 = nullptr;
    QAction* mnuVideo = nullptr;  // 動画ファイルの書き出し

signals:
    // Sent when the window has been unloaded.
    void Unloaded();
    // Sent after a save under a new name has added to the recent-file list.
    void RecentFilesChanged();
    // Sent when PointerStatus changes (the pointer moved, the zoom changed).
    void PointerStatusChanged(const QString& status);
    // Sent when Hint changes.
    void HintChanged(const QString& hint);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Ctrl + wheel steps through the zooms; the wheel scrolls up and down,
    // with Shift left and right.
    void wheelEvent(QWheelEvent* event) override;

private:
    void BuildMenus();
    // Dirty as given, and the window's title marked while it is set.
    void SetDirty(bool dirty);
    // The window's title marked ("*") while the document has changes that
    // are not saved; only inside the frame, whose box shows the mark.
    void ShowModified();
    // The pointer at pane position `at` over P(k); k = 0: over neither.
    void ShowPointer(int k, QPointF at);
    void HScroll1_Change(int value);
    void VScroll1_Change(int value);
    void ShowWindow();
    void EndMorphRun(const QString& caption);
    void SetPreviewShown(bool shown);
    void TickZoom();
    // SetZoom, keeping the picture pixel under `cursor` (window coordinates)
    // under it where the scroll bars allow.
    void ZoomAround(ZoomScale zoom, QPointF cursor);
    void PlacePreview();
    // The window's fit with the sizes as they are now.
    FittedView FitWindow() const;
    // The fitted zoom again, after a resize or a run.
    void Refit();
    // The size of the panes at the current zoom with the scroll bars.
    QSize ContentSize();
    // Once the preview is turned on: the window grows within the frame,
    // and the pictures are fitted when the preview is still not seen whole.
    void MakeRoomForPreview();
    // Asks for the preview frame of the current state; `quick` while a point
    // is dragged: a reduced frame for a large picture.
    void UpdatePreview(bool quick = false);
    void ShowPreviewFrame(const QImage& frame, const PreviewJob::Request& request);
    void SetRunControls(bool running);
    void MorphRunFinished(const std::string& result, int written);
    void StopRunForClose();
    // The document's pictures and grids as they are now, for a run or a preview.
    MorphCopy MorphNow();
    // Makes this document the active one, in front.
    void ComeToFront();
    bool RelocateImages();
    void SaveUnderName(bool addToRecentFiles);
    // Asks for a project file with the save dialog titled `title`; the file
    // that will be written (".mph" added where missing), with `chosen` the
    // name as picked. Empty when cancelled.
    std::string AskProjectPath(const char* title, std::string& chosen);
    bool WriteProject(const std::string& path);
    QWidget* OuterWindow();
    void DrawGrids();
    // What picture k's grid is drawn with beside its record (DocumentOverlay
    // and the point under the pointer).
    GridOverlay Overlay(int k) const;
    bool LoadImage(int k, const std::string& path);
    void OpenAtFittingZoom();
    void ApplySnapshot(const DocumentSnapshot& snapshot);
    void PushEdit(const QString& text, const DocumentSnapshot& before);
    void StartFit(std::vector<FitReference> references, int face = 0);
    void FitFinished(const GridFitResult& result, const PointGrid& endBefore,
                     const std::array<std::vector<Point>, 2>& freeBefore);
    // A click on P(k) while 基準点で合わせる takes pairs; true when taken.
    bool TakeReference(int k, double x, double y);

    // Strokes (Fennix_MainStrokes.cpp). The press, move and release of a
    // picture go to the strokes first while 線を引く is on or a side is
    // drawn anew: true when they took it.
    bool StrokePress(int k, double x, double y);
    bool StrokeMove(int k, double x, double y);
    bool StrokeRelease(int k);
    // Escape: the half-drawn stroke goes.
    void CancelStroke();
    // Sets Hint from where the drawing of a stroke stands.
    void UpdateStrokeHint();
    // Chooses the stroke whose line passes under (x, y) of P(k), or none;
    // true when one lies there.
    bool ChooseStrokeAt(int k, double x, double y);
    void mnuDrawStroke_Click();
    void mnuRedrawStroke_Click();
    void mnuDeleteStroke_Click();
    // The chosen stroke and a waiting start curve over the grids.
    void DrawStrokeMarks();

    QAction* cancelStrokeAction_ = nullptr;  // Escape while a stroke is half-drawn
    bool drawingStrokes_ = false;
    int chosenStroke_ = -1;
    int redrawStroke_ = -1;  // the stroke whose side the next curve draws anew
    int strokeSide_ = 0;     // the picture of the curve under way; 0 for none
    std::vector<Point> strokeCurve_;       // the curve under way
    std::vector<Point> strokeStartCurve_;  // a new stroke's start curve, drawn

    QList<QMenu*> menus_;
    PaneWidget* paneWidgets_[2] = {};
    PaneWidget* morphWidget_ = nullptr;
    bool unloading_ = false;
    int zoomWheel_ = 0; // Ctrl + wheel turned but not yet a whole step
    QUndoStack* undoStack_ = nullptr;
    QAction* cancelRunAction_ = nullptr;  // Escape during a run
    // Ctrl+S while 上書き保存 is disabled (a new document): saves under a name.
    QAction* saveShortcut_ = nullptr;
    QString pointerStatus_;
    QString hint_;
    int pointerPane_ = 0;  // the picture under the pointer (1, 2), or 0
    QPointF pointerAt_;    // where on it, in pane pixels
    QList<QAction*> disabledForRun_;
    QString runCaption_;
    bool quietRunEnd_ = false;
    // The question whether to stop the run and close is up; the run ended
    // while it was.
    bool askingToStop_ = false;
    bool runEndedWhileAsking_ = false;
    MorphRunJob run_{this};
    BackgroundJob fitJob_{this};
    QProgressDialog* fitDialog_ = nullptr;
    bool takingReferences_ = false;
    std::vector<FitReference> referencePairs_;
    std::optional<FitReference> pendingReference_;  // its start place clicked
    // The face landmark model, read at the first fit; shared with the fit's
    // worker thread (one fit runs at a time).
    std::shared_ptr<FaceLandmarker> faceModel_;
    bool faceNoteShown_ = false;  // the missing model was mentioned once
    int fitFace_ = 0;             // the face the last fit asked for
    bool previewShown_ = false;
    bool previewBelow_ = false;
    bool fitToWindow_ = false;  // ウィンドウに合わせる in force
    QTimer* refitTimer_ = nullptr;
    PaneWidget* previewWidget_ = nullptr;
    QImage previewFrame_;
    // The edges of the free mesh drawn over both pictures.
    MeshEdgeCache meshEdges_;
    // The point under the pointer while no button is held, shown whole where
    // the markers are reduced: its picture (0 for none), grid index (i, j)
    // or -1, free point or -1.
    std::array<int, 4> hovered_{0, -1, -1, -1};
    void HoverAt(int k, double x, double y);
    PreviewJob previewJob_{this, [this](const QImage& frame, const PreviewJob::Request& request) {
                               ShowPreviewFrame(frame, request);
                           }};
};

}  // namespace fennix
