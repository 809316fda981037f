#pragma once

#include <cstdint>

#include "ui/common/ProgramDialog.h"
#include "media/PicturePane.h"
#include "model/ZoomScale.h"

class QLabel;

namespace fennix {

class ccXPButton;
class PaneWidget;
class PanelWidget;

// Shared by the source image dialog and the trimming window: the slot being
// trimmed and the requested size. The trimming window's OK sets
// Settings.DialogConfirmed.
inline int16_t TrimSlot = 0;
inline int16_t TrimWidth = 0;
inline int16_t TrimHeight = 0;

// "Fennix 画像のトリミング": shows the picture of a slot behind a fixed
// rectangle of W × H drawn as four lines; the user drags the picture until
// the wanted part lies inside and confirms. OK crops that part into the
// slot's pane (`target`).
class Fennix_Tri : public ProgramDialog {
    Q_OBJECT
  public:
    Fennix_Tri(PicturePane& target, int W, int H, QWidget* parent = nullptr);

    PanelWidget* Pic_B = nullptr;
    PanelWidget* PicBack = nullptr;
    QWidget* Client = nullptr;  // the viewport inside its 2-pixel border
    PicturePane Image;          // the picture being dragged (P)
    PaneWidget* P = nullptr;
    PanelWidget* Pic_Line[4] = {};  // top, bottom, left, right
    PanelWidget* Pic_m = nullptr;
    QLabel* lbl_hint = nullptr;  // lbl(1)
    QLabel* lbl_size = nullptr;  // the trim size caption
    ccXPButton* cmd_Color = nullptr;
    ccXPButton* cmd_OK = nullptr;
    ccXPButton* Cmd_Can = nullptr;

    // Mouse on the picture, the cursor in screen pixels.
    void P_MouseDown(Qt::MouseButton button, QPoint cursor);
    void P_MouseMove(QPoint cursor);
    void P_MouseUp();
    void cmd_Color_Click();
    void cmd_OK_Click();
    void Cmd_Can_Click();

    int32_t LineColor() const;

  protected:
    void done(int result) override;

  private:
    PicturePane& target_;
    int W_, H_;
    ZoomScale scale_;  // screen pixels per picture pixel
    int16_t drag_ = 0;
    int16_t grabX_ = 0;
    int16_t grabY_ = 0;
};

}  // namespace fennix
