#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Translation.h"
#include "engine/BackgroundJob.h"
#include "media/ImageFile.h"
#include "media/PicturePane.h"
#include "ui/common/ProgramDialog.h"

class QCheckBox;
class QDragEnterEvent;
class QDropEvent;
class QMimeData;
class QLabel;
class QLineEdit;

namespace fennix {

class ccXPButton;
class Fennix_Tri;
class GFXFrameX;
class PaneWidget;
class PanelWidget;
class ucScrollbar;
class ucUpDown;

// The files picked for the start and the end image in the last source image
// dialog; cleared when the dialog opens. They name the relocated images
// when a new document is saved for the first time.
inline std::string StartSourcePath;
inline std::string EndSourcePath;

// Asked by OK when the two prepared pictures differ in size: Yes matches the
// end picture to the start picture's size, No goes back to the dialog.
inline constexpr const char* kSizesDifferQuestion =
    TrMark("Fennix_Pic",
           "開始画像と終了画像のサイズが違います。\n終了画像のサイズを開始画像に合わせますか？");

// "画像の選択": prepares the two pictures of a new morph. Slot 0 holds the
// start image, slot 1 the end image; each is picked from a file, seen
// through a 300 × 300 viewport (scroll bars, dragging, a thumbnail), and can
// be reduced, matched to the other slot's size, trimmed or reset. OK writes
// both prepared pictures into the temporary folder and hands them on (after
// asking kSizesDifferQuestion when their sizes differ).
// Every handler is public, so tests drive the dialog as a user would.
class Fennix_Pic : public ProgramDialog {
    Q_OBJECT
  public:
    explicit Fennix_Pic(QWidget* parent = nullptr);
    ~Fennix_Pic() override;

    struct Slot {
        PicturePane P;   // what the viewport shows and OK saves
        PicturePane Ps;  // the picture as picked or last trimmed
        PicturePane P1;  // the thumbnail
        PanelWidget* PicBack = nullptr;
        PaneWidget* PaneView = nullptr;
        PaneWidget* ThumbnailView = nullptr;
        QLabel* lbl_sam = nullptr;
        ucScrollbar* VScroll = nullptr;
        ucScrollbar* HScroll = nullptr;
        QWidget* Cmd_D = nullptr;
        ccXPButton* cmd_Sel = nullptr;
        ccXPButton* Cmd_Triming = nullptr;
        QLineEdit* txt_w = nullptr;
        QLineEdit* txt_h = nullptr;
        ccXPButton* cmd_Doki = nullptr;
        ucUpDown* VS_Stretch = nullptr;
        QLabel* lbl_Stretch = nullptr;
        QLineEdit* txt_Stretch = nullptr;  // a typed percentage or width
        QCheckBox* chk_Whole = nullptr;    // a large picture shown whole
        ccXPButton* Cmd_Stretch = nullptr;
        ccXPButton* Cmd_Reset = nullptr;
        QLabel* lbl_Size = nullptr;
        QLabel* lbl_Size_S = nullptr;
        int32_t BaseWidth = 0;
        int TargetWidth = 0;  // a typed reduced width, until the spin is stepped
        std::string UnmetReduction;  // the typed text last answered with a message
        int32_t BaseHeight = 0;
        bool Centred = false;  // placed in the middle of the viewport, shown whole
        int16_t Drag = 0;
        int16_t GrabX = 0;
        int16_t GrabY = 0;
    };
    Slot slot[2];
    PicturePane Scratch;  // P(2), used by the size match
    ccXPButton* cmd_OK = nullptr;
    ccXPButton* cmd_Can = nullptr;

    // Called after OK with the two written files, start first, once the
    // dialog has closed; the frame opens a new document from them.
    std::function<void(const std::string& start, const std::string& end)> Confirmed;

    // Shows the trimming window modally; tests replace it to act on the
    // window instead of waiting for a user.
    std::function<void(Fennix_Tri&)> RunTrimming;

    void cmd_Sel_Click(int s);
    // Picks the picture at `path` for slot s (0 start, 1 end), as the file
    // dialog of cmd_Sel_Click does; false, with a message saying why, when
    // it cannot be read, the slot then unchanged.
    bool PickPicture(int s, const std::string& path);
    // The side a drop at `position` (in the dialog) picks: the left half
    // the start picture, the right half the end picture.
    int DropSide(QPoint position) const;
    // The files of a drop, local paths as the system's bytes.
    static std::vector<std::string> DroppedFiles(const QMimeData* data);
    void UpdateScrollBars(int s);
    void VScroll_Change(int s);
    void HScroll_Change(int s);
    // Mouse on a pane, the cursor in screen pixels.
    void P_MouseDown(int s, Qt::MouseButton button, QPoint cursor);
    void P_MouseMove(int s, QPoint cursor);
    void P_MouseUp(int s);
    void VS_Stretch_Change(int s);
    // A reduction typed into txt_Stretch (see TypedReduction) becomes the
    // spin value; other text is left without effect.
    void txt_Stretch_Change(int s);
    // 全体表示: while ticked, a picture larger than the viewport is shown
    // whole, scaled down, without scroll bars; unticked it is shown pixel
    // for pixel with the scroll bars and dragging.
    void chk_Whole_Click(int s);
    void Cmd_Stretch_Click(int s);
    void cmd_Doki_Click(int s);
    void Cmd_Reset_Click(int s);
    void Cmd_Triming_Click(int s);
    void cmd_OK_Click();
    void cmd_Can_Click();

    // The path picked for slot s (StartSourcePath or EndSourcePath).
    static std::string& SourcePath(int s) { return s == 0 ? StartSourcePath : EndSourcePath; }

  protected:
    void done(int result) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void BuildSlot(int s, int left);
    void Form_Load();
    void ShowSizes(int s, bool withPrefix);
    void EnableAfterPick(int s);
    // Decodes `path` into slot s; false, with a message saying why, when it
    // cannot be read, the slot then unchanged.
    bool LoadSlot(int s, const std::string& path);
    // Decodes `path` on a thread of its own and returns once it is done;
    // meanwhile the dialog keeps painting but takes no input.
    std::optional<QImage> ReadPicture(const std::string& path, ImageFailure& why);

    BackgroundJob reading_{this};
    bool picking_ = false;  // a picture is being read in; drops wait
};

}  // namespace fennix
