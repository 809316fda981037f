#include "ui/document/Fennix_RunOpt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/Translation.h"
#include "model/MorphDocument.h"
#include "ui/controls/FormFields.h"
#include "ui/controls/GFXFrameX.h"
#include "ui/controls/ccXPButton.h"

namespace fennix {

namespace {

// The curves as the lists show them, in Easing order.
const char* const kCurveCaptions[] = {TrMark("Fennix_RunOpt", "一定の速さ"),
                                      TrMark("Fennix_RunOpt", "ゆっくり始まる"),
                                      TrMark("Fennix_RunOpt", "ゆっくり終わる"),
                                      TrMark("Fennix_RunOpt", "ゆっくり始まり、ゆっくり終わる")};

QComboBox* CurveList(QWidget* parent, int x, int y, int width) {
    auto* list = new QComboBox(parent);
    for (const char* caption : kCurveCaptions) list->addItem(Q(Tr("Fennix_RunOpt", caption)));
    list->setGeometry(x, y, width, 24);
    return list;
}

QSpinBox* HoldField(QWidget* parent, int x, int y) {
    auto* field = new QSpinBox(parent);
    field->setRange(0, kMaxHoldFrames);
    field->setAlignment(Qt::AlignRight);
    field->setGeometry(x, y, 80, 24);
    return field;
}

}  // namespace

Fennix_RunOpt::Fennix_RunOpt(const RunOptions& options, int lastFrame, QWidget* parent)
    : ProgramDialog(parent) {
    setWindowTitle(Q(Tr("Fennix_RunOpt", "作成オプション")));
    setModal(true);
    setFixedSize(kWidth, kHeight);

    // This document's frame count; a count outside the usual range that a
    // project brought along stays choosable.
    const int frames = static_cast<int>(
        std::clamp<int64_t>(int64_t{lastFrame} + 1, 1, std::numeric_limits<int>::max()));
    auto* morph = new GFXFrameX(Q(Tr("Fennix_RunOpt", "このドキュメントのモーフィング")), this);
    morph->setGeometry(8, 6, kWidth - 16, 52);
    Label(Tr("Fennix_RunOpt", "フレーム数"), this, 24, 26, 120, 24);
    spnFrames = new QSpinBox(this);
    spnFrames->setRange(std::min(frames, 2), std::max(frames, kMaxFrameCount));
    spnFrames->setAlignment(Qt::AlignRight);
    spnFrames->setGeometry(150, 26, 80, 24);
    spnFrames->setToolTip(Q(Tr(
        "Fennix_RunOpt",
        "開始画像から終了画像までのフレーム数。新しいドキュメントの数はオプションの総ﾌﾚｰﾑ数です")));
    spnFrames->setValue(frames);

    constexpr int top = 58;
    auto* hold = new GFXFrameX(Q(Tr("Fennix_RunOpt", "静止（そのまま見せるフレーム数）")), this);
    hold->setGeometry(8, top + 6, kWidth - 16, 86);
    Label(Tr("Fennix_RunOpt", "開始画像"), this, 24, top + 32, 120, 24);
    spnHoldStart = HoldField(this, 150, top + 32);
    Label(Tr("Fennix_RunOpt", "フレーム"), this, 236, top + 32, 80, 24);
    Label(Tr("Fennix_RunOpt", "終了画像"), this, 24, top + 60, 120, 24);
    spnHoldEnd = HoldField(this, 150, top + 60);
    Label(Tr("Fennix_RunOpt", "フレーム"), this, 236, top + 60, 80, 24);

    auto* curve = new GFXFrameX(Q(Tr("Fennix_RunOpt", "変化のカーブ")), this);
    curve->setGeometry(8, top + 98, kWidth - 16, 144);
    Label(Tr("Fennix_RunOpt", "形の動き"), this, 24, top + 124, 120, 24);
    cboMotion = CurveList(this, 24, top + 148, kWidth - 48);
    chkDissolve = new QCheckBox(Q(Tr("Fennix_RunOpt", "色の変化に別のカーブを使う")), this);
    chkDissolve->setGeometry(24, top + 178, 230, 24);
    cboDissolve = CurveList(this, 24, top + 206, kWidth - 48);

    auto* quality = new GFXFrameX(Q(Tr("Fennix_RunOpt", "画質")), this);
    quality->setGeometry(8, top + 248, kWidth - 16, 58);
    optStandard = new QRadioButton(Q(Tr("Fennix_RunOpt", "標準")), this);
    optStandard->setGeometry(24, top + 274, 120, 24);
    optSmooth = new QRadioButton(Q(Tr("Fennix_RunOpt", "滑らか")), this);
    optSmooth->setGeometry(150, top + 274, 160, 24);

    lblCount = new QLabel(this);
    lblCount->setGeometry(14, top + 312, kWidth - 28, 20);

    cmdOK = new ccXPButton(Q(Tr("Fennix_RunOpt", "設定")), this);
    cmdOK->setToolTip(Q(Tr("Fennix_RunOpt", "作成オプションを決定して閉じます")));
    cmdOK->setGeometry(kWidth - 8 - 84 - 8 - 84, kHeight - 38, 84, 30);
    cmdCancel = new ccXPButton(Q(Tr("Fennix_RunOpt", "ｷｬﾝｾﾙ")), this);
    cmdCancel->setToolTip(Q(Tr("Fennix_RunOpt", "何も変えずに閉じます")));
    cmdCancel->setGeometry(kWidth - 8 - 84, kHeight - 38, 84, 30);
    SetEnterButton(cmdOK);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    spnHoldStart->setValue(options.HoldStart);
    spnHoldEnd->setValue(options.HoldEnd);
    cboMotion->setCurrentIndex(static_cast<int>(options.Motion));
    chkDissolve->setChecked(options.Dissolve.has_value());
    cboDissolve->setCurrentIndex(static_cast<int>(options.DissolveCurve()));
    cboDissolve->setEnabled(chkDissolve->isChecked());
    (options.Smooth ? optSmooth : optStandard)->setChecked(true);
    connect(chkDissolve, &QCheckBox::toggled, cboDissolve, &QWidget::setEnabled);
    for (QSpinBox* field : {spnFrames, spnHoldStart, spnHoldEnd})
        connect(field, &QSpinBox::valueChanged, this, &Fennix_RunOpt::ShowCount);
    ShowCount();

    OpenFromCursor(size());
}

RunOptions Fennix_RunOpt::Options() const {
    RunOptions options;
    options.HoldStart = spnHoldStart->value();
    options.HoldEnd = spnHoldEnd->value();
    options.Motion = static_cast<Easing>(cboMotion->currentIndex());
    if (chkDissolve->isChecked()) options.Dissolve = static_cast<Easing>(cboDissolve->currentIndex());
    options.Smooth = optSmooth->isChecked();
    return options;
}

int Fennix_RunOpt::FrameCount() const {
    return spnFrames->value();
}

void Fennix_RunOpt::ShowCount() {
    lblCount->setText(Q(Tr("Fennix_RunOpt", "書き出すフレーム数: %1"))
                          .arg(WrittenFrameCount(Options(), LastFrameOf(FrameCount()))));
}

void Fennix_RunOpt::done(int result) {
    ZoomBackToCursor();
    QDialog::done(result);
}

}  // namespace fennix
