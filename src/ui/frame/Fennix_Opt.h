#pragma once

class QLabel;

#include "ui/common/ProgramDialog.h"

namespace fennix {

class ccXPButton;
class ImageOption;
class Slider;

// "オプションの設定": edits the frame count, the grid counts, the marker size,
// the frame file kind and the number of recent files shown, in the settings
// record. OK sets Settings.DialogConfirmed and writes the values (counts
// below 2 become 2, a marker size of 0 becomes 1); cancel writes nothing.
// Values beyond a slider's range (from the settings file) are shown and kept
// unless that slider is moved.
class Fennix_Opt : public ProgramDialog {
    Q_OBJECT
  public:
    explicit Fennix_Opt(QWidget* parent = nullptr);

    Slider* Slider1 = nullptr;  // FrameCount, 0 … 100
    Slider* Slider2 = nullptr;  // Rows, 0 … 40
    Slider* Slider3 = nullptr;  // Columns, 0 … 40
    Slider* Slider4 = nullptr;  // PointerSize, 0 … 15
    QLabel* lbl_Frame = nullptr;
    QLabel* lbl_Gyo = nullptr;
    QLabel* lbl_Retu = nullptr;
    QLabel* lbl_Point = nullptr;
    ImageOption* Kind[2] = {};          // Img_Kind(i) / lbl_Kind(i): "BMP", "JPG"
    ImageOption* Recent[6] = {};        // 1 … 5: "なし", "5", "10", "15", "20"
    ccXPButton* ccXPButton1 = nullptr;  // 設定 (OK)
    ccXPButton* ccXPButton2 = nullptr;  // ｷｬﾝｾﾙ

    int SelectedKind() const { return kind_; }
    int SelectedRecent() const { return recent_; }

    void Kind_Click(int index);
    void Recent_Click(int index);
    void ccXPButton1_Click();
    void ccXPButton2_Click();

    static constexpr int kWidth = 311;
    static constexpr int kHeight = 394;

  protected:
    void done(int result) override;

  private:
    int kind_ = 0;
    int recent_ = 1;
};

}  // namespace fennix
