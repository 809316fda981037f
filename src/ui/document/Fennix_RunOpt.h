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

// "作成オプション": the timing of the document's runs. How long the first
// and the last picture are held, the curve of the motion and, when ticked,
// a curve of its own for the colour dissolve, and the 画質: 標準 (the exact
// frames) or 滑らか (the smooth warp). The count below says how many
// frame files a run writes. 設定 accepts (Options() then holds the choice),
// ｷｬﾝｾﾙ changes nothing.
class Fennix_RunOpt : public ProgramDialog {
    Q_OBJECT
  public:
    // `lastFrame`: the document's last frame index, for the count.
    Fennix_RunOpt(const RunOptions& options, int lastFrame, QWidget* parent = nullptr);

    // What the controls hold.
    RunOptions Options() const;

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
    static constexpr int kHeight = 380;

  protected:
    void done(int result) override;

  private:
    void ShowCount();

    int lastFrame_;
};

}  // namespace fennix
