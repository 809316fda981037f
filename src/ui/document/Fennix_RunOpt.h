#pragma once

#include "model/RunOptions.h"
#include "ui/common/ProgramDialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace fennix {

class ccXPButton;

// "作成オプション": the timing of the document's runs. The number of frames
// of this document's morph (its LastFrame + 1, kept in the project's own
// line; the options dialog's 総ﾌﾚｰﾑ数 stays the default of new documents),
// how long the first and the last picture are held, the curve of the motion
// and, when ticked, a curve of its own for the colour dissolve, and the 画質:
// 標準 (the exact frames) or 滑らか (the smooth warp). The count below says
// how many frame files a run writes. 設定 accepts (Options() and
// FrameCount() then hold the choice), ｷｬﾝｾﾙ changes nothing.
class Fennix_RunOpt : public ProgramDialog {
    Q_OBJECT
  public:
    // `lastFrame`: the document's last frame index, for the count.
    Fennix_RunOpt(const RunOptions& options, int lastFrame, QWidget* parent = nullptr);

    // What the controls hold.
    RunOptions Options() const;
    // The frame count chosen (at least 1; 2 … kMaxFrameCount offered, more
    // or fewer only where the document had that many).
    int FrameCount() const;

    // The most frames the field offers for a document that has fewer.
    static constexpr int kMaxFrameCount = 10000;

    QSpinBox* spnFrames = nullptr;
    QSpinBox* spnHoldStart = nullptr;
    QSpinBox* spnHoldEnd = nullptr;
    QComboBox* cboMotion = nullptr;    // in Easing order
    QCheckBox* chkDissolve = nullptr;  // the dissolve has its own curve
    QComboBox* cboDissolve = nullptr;  // in Easing order
    QRadioButton* optStandard = nullptr;
    QRadioButton* optSmooth = nullptr;
    QLabel* lblCount = nullptr;
    ccXPButton* cmdOK = nullptr;
    ccXPButton* cmdCancel = nullptr;

    static constexpr int kWidth = 340;
    static constexpr int kHeight = 438;

  protected:
    void done(int result) override;

  private:
    void ShowCount();
};

}  // namespace fennix
